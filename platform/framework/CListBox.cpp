#include <platform/Controls.h>
#include <platform/DialogTemplate.h>

#include "framework/ControlWindow.h"

#include <QListWidget>

using platform::detail::ControlWindow;
using platform::detail::ToQt;

namespace {

QListWidget* ListOf(HWND hWnd, ControlWindow** control = nullptr) {
    ControlWindow* window = ControlWindow::Of(hWnd);
    if (control)
        *control = window;
    return window ? window->As<QListWidget>() : nullptr;
}

std::u16string TextOf(const QListWidgetItem* item) {
    return item ? item->text().toStdU16String() : std::u16string();
}

} // namespace

int CListBox::GetCount() const {
    QListWidget* list = ListOf(m_hWnd);
    return list ? list->count() : LB_ERR;
}

int CListBox::AddString(LPCWSTR text) {
    ControlWindow* control = nullptr;
    QListWidget* list = ListOf(m_hWnd, &control);
    if (!list)
        return LB_ERR;
    const int row =
        control->Item().style & LBS_SORT
            ? platform::detail::SortedRow(list->count(), text ? text : u"",
                                          [list](int i) { return TextOf(list->item(i)); })
            : list->count();
    return InsertString(row, text);
}

int CListBox::InsertString(int nIndex, LPCWSTR text) {
    ControlWindow* control = nullptr;
    QListWidget* list = ListOf(m_hWnd, &control);
    if (!list || nIndex > list->count())
        return LB_ERR;
    const int row = nIndex < 0 ? list->count() : nIndex;
    ControlWindow::Quiet quiet(control);
    list->insertItem(row, ToQt(text));
    return row;
}

int CListBox::DeleteString(UINT nIndex) {
    ControlWindow* control = nullptr;
    QListWidget* list = ListOf(m_hWnd, &control);
    if (!list || nIndex >= static_cast<UINT>(list->count()))
        return LB_ERR;
    ControlWindow::Quiet quiet(control);
    const int row = static_cast<int>(nIndex);
    const bool wasSelected = GetCurSel() == row;
    delete list->takeItem(row);
    // The selected row gone, no row is selected: the toolkit would move on to its neighbour.
    if (wasSelected) {
        list->setCurrentRow(-1);
        list->clearSelection();
    }
    return list->count();
}

void CListBox::ResetContent() {
    ControlWindow* control = nullptr;
    if (QListWidget* list = ListOf(m_hWnd, &control)) {
        ControlWindow::Quiet quiet(control);
        list->clear();
    }
}

int CListBox::GetCurSel() const {
    QListWidget* list = ListOf(m_hWnd);
    if (!list)
        return LB_ERR;
    QListWidgetItem* current = list->currentItem();
    return current && current->isSelected() ? list->row(current) : LB_ERR;
}

int CListBox::SetCurSel(int nSelect) {
    ControlWindow* control = nullptr;
    QListWidget* list = ListOf(m_hWnd, &control);
    if (!list)
        return LB_ERR;
    ControlWindow::Quiet quiet(control);
    if (nSelect < 0 || nSelect >= list->count()) {
        list->setCurrentRow(-1);
        list->clearSelection();
        return LB_ERR;
    }
    list->setCurrentRow(nSelect);
    return nSelect;
}

void CListBox::GetText(int nIndex, CString& text) const {
    QListWidget* list = ListOf(m_hWnd);
    text = list ? CString(TextOf(list->item(nIndex))) : CString();
}

int CListBox::GetTextLen(int nIndex) const {
    QListWidget* list = ListOf(m_hWnd);
    QListWidgetItem* item = list ? list->item(nIndex) : nullptr;
    return item ? static_cast<int>(item->text().size()) : LB_ERR;
}

int CListBox::FindStringExact(int nStartAfter, LPCWSTR text) const {
    QListWidget* list = ListOf(m_hWnd);
    if (!list)
        return LB_ERR;
    return platform::detail::FindExactRow(list->count(), nStartAfter, text ? text : u"",
                                          [list](int i) { return TextOf(list->item(i)); });
}
