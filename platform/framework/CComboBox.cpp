#include <platform/Controls.h>
#include <platform/DialogTemplate.h>

#include "framework/ControlWindow.h"

#include <QComboBox>

using platform::detail::ControlWindow;
using platform::detail::ToQt;

namespace {

QComboBox* ComboOf(HWND hWnd, ControlWindow** control = nullptr) {
    ControlWindow* window = ControlWindow::Of(hWnd);
    if (control)
        *control = window;
    return window ? window->As<QComboBox>() : nullptr;
}

std::u16string TextOf(const QComboBox* combo, int row) {
    return combo->itemText(row).toStdU16String();
}

} // namespace

int CComboBox::GetCount() const {
    QComboBox* combo = ComboOf(m_hWnd);
    return combo ? combo->count() : CB_ERR;
}

int CComboBox::AddString(LPCWSTR text) {
    ControlWindow* control = nullptr;
    QComboBox* combo = ComboOf(m_hWnd, &control);
    if (!combo)
        return CB_ERR;
    const int row = control->Item().style & CBS_SORT
                        ? platform::detail::SortedRow(combo->count(), text ? text : u"",
                                                      [combo](int i) { return TextOf(combo, i); })
                        : combo->count();
    return InsertString(row, text);
}

int CComboBox::InsertString(int nIndex, LPCWSTR text) {
    ControlWindow* control = nullptr;
    QComboBox* combo = ComboOf(m_hWnd, &control);
    if (!combo || nIndex > combo->count())
        return CB_ERR;
    const int row = nIndex < 0 ? combo->count() : nIndex;
    ControlWindow::Quiet quiet(control);
    const int selected = combo->currentIndex();
    combo->insertItem(row, ToQt(text));
    // The toolkit selects the first entry of an empty box; the device selects nothing.
    if (selected < 0)
        combo->setCurrentIndex(-1);
    return row;
}

int CComboBox::DeleteString(UINT nIndex) {
    ControlWindow* control = nullptr;
    QComboBox* combo = ComboOf(m_hWnd, &control);
    if (!combo || nIndex >= static_cast<UINT>(combo->count()))
        return CB_ERR;
    ControlWindow::Quiet quiet(control);
    const int row = static_cast<int>(nIndex);
    const bool wasSelected = combo->currentIndex() == row;
    combo->removeItem(row);
    if (wasSelected)
        combo->setCurrentIndex(-1);
    return combo->count();
}

void CComboBox::ResetContent() {
    ControlWindow* control = nullptr;
    if (QComboBox* combo = ComboOf(m_hWnd, &control)) {
        ControlWindow::Quiet quiet(control);
        combo->clear();
    }
}

int CComboBox::GetCurSel() const {
    QComboBox* combo = ComboOf(m_hWnd);
    return combo && combo->currentIndex() >= 0 ? combo->currentIndex() : CB_ERR;
}

int CComboBox::SetCurSel(int nSelect) {
    ControlWindow* control = nullptr;
    QComboBox* combo = ComboOf(m_hWnd, &control);
    if (!combo)
        return CB_ERR;
    ControlWindow::Quiet quiet(control);
    const bool valid = nSelect >= 0 && nSelect < combo->count();
    combo->setCurrentIndex(valid ? nSelect : -1);
    return valid ? nSelect : CB_ERR;
}

void CComboBox::GetLBText(int nIndex, CString& text) const {
    QComboBox* combo = ComboOf(m_hWnd);
    text = combo && nIndex >= 0 && nIndex < combo->count() ? CString(TextOf(combo, nIndex))
                                                           : CString();
}

int CComboBox::FindStringExact(int nStartAfter, LPCWSTR text) const {
    QComboBox* combo = ComboOf(m_hWnd);
    if (!combo)
        return CB_ERR;
    return platform::detail::FindExactRow(combo->count(), nStartAfter, text ? text : u"",
                                          [combo](int i) { return TextOf(combo, i); });
}
