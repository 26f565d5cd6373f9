#include <platform/Controls.h>

#include "framework/ControlWindow.h"

#include <QHeaderView>
#include <QTreeWidget>

using platform::detail::ControlWindow;
using platform::detail::ToQt;

namespace {

QTreeWidget* TreeOf(HWND hWnd, ControlWindow** control = nullptr) {
    ControlWindow* window = ControlWindow::Of(hWnd);
    if (control)
        *control = window;
    return window ? window->As<QTreeWidget>() : nullptr;
}

} // namespace

DWORD CListCtrl::SetExtendedStyle(DWORD dwNewStyle) {
    QTreeWidget* tree = TreeOf(m_hWnd);
    if (!tree)
        return 0;
    const DWORD before = tree->allColumnsShowFocus() ? LVS_EX_FULLROWSELECT : 0;
    const bool fullRow = (dwNewStyle & LVS_EX_FULLROWSELECT) != 0;
    tree->setAllColumnsShowFocus(fullRow);
    tree->setSelectionBehavior(fullRow ? QAbstractItemView::SelectRows
                                       : QAbstractItemView::SelectItems);
    return before;
}

int CListCtrl::InsertColumn(int nCol, LPCWSTR heading, int, int nWidth) {
    QTreeWidget* tree = TreeOf(m_hWnd);
    if (!tree || nCol < 0)
        return -1;
    const int count = tree->columnCount();
    const int column = std::min(nCol, count);
    QStringList labels;
    for (int i = 0; i < count; ++i)
        labels << tree->headerItem()->text(i);
    labels.insert(column, ToQt(heading));
    std::vector<int> widths;
    for (int i = 0; i < count; ++i)
        widths.push_back(tree->columnWidth(i));
    widths.insert(widths.begin() + column, nWidth >= 0 ? nWidth : 100);
    tree->setColumnCount(count + 1);
    tree->setHeaderLabels(labels);
    for (int i = 0; i <= count; ++i) {
        tree->header()->setSectionResizeMode(i, QHeaderView::Interactive);
        tree->setColumnWidth(i, widths[static_cast<std::size_t>(i)]);
    }
    return column;
}

int CListCtrl::InsertItem(int nItem, LPCWSTR text, int nImage) {
    ControlWindow* control = nullptr;
    QTreeWidget* tree = TreeOf(m_hWnd, &control);
    if (!tree || nItem < 0)
        return -1;
    const int row = std::min(nItem, tree->topLevelItemCount());
    auto* item = new QTreeWidgetItem;
    item->setText(0, ToQt(text));
    item->setData(0, Qt::UserRole, nImage);
    item->setIcon(0, control->IconOf(nImage));
    ControlWindow::Quiet quiet(control);
    tree->insertTopLevelItem(row, item);
    return row;
}

BOOL CListCtrl::SetItemText(int nItem, int nSubItem, LPCWSTR text) {
    QTreeWidget* tree = TreeOf(m_hWnd);
    QTreeWidgetItem* item = tree && nItem >= 0 ? tree->topLevelItem(nItem) : nullptr;
    if (!item || nSubItem < 0 || nSubItem >= std::max(tree->columnCount(), 1))
        return FALSE;
    item->setText(nSubItem, ToQt(text));
    return TRUE;
}

CString CListCtrl::GetItemText(int nItem, int nSubItem) const {
    QTreeWidget* tree = TreeOf(m_hWnd);
    QTreeWidgetItem* item = tree && nItem >= 0 ? tree->topLevelItem(nItem) : nullptr;
    return item && nSubItem >= 0 ? CString(item->text(nSubItem).toStdU16String()) : CString();
}

int CListCtrl::GetItemCount() const {
    QTreeWidget* tree = TreeOf(m_hWnd);
    return tree ? tree->topLevelItemCount() : 0;
}

BOOL CListCtrl::DeleteAllItems() {
    ControlWindow* control = nullptr;
    QTreeWidget* tree = TreeOf(m_hWnd, &control);
    if (!tree)
        return FALSE;
    ControlWindow::Quiet quiet(control);
    tree->clear();
    return TRUE;
}

int CListCtrl::GetNextItem(int nItem, UINT nFlags) const {
    QTreeWidget* tree = TreeOf(m_hWnd);
    if (!tree)
        return -1;
    for (int row = std::max(nItem + 1, 0); row < tree->topLevelItemCount(); ++row)
        if (!(nFlags & LVNI_SELECTED) || tree->topLevelItem(row)->isSelected())
            return row;
    return -1;
}

HIMAGELIST CListCtrl::SetImageList(CImageList* pImageList, int nImageListType) {
    ControlWindow* control = ControlWindow::Of(m_hWnd);
    if (!control || nImageListType != LVSIL_SMALL)
        return nullptr;
    const HIMAGELIST before = control->m_smallImages;
    control->m_smallImages = pImageList ? pImageList->GetSafeHandle() : nullptr;
    control->RefreshIcons();
    return before;
}

HIMAGELIST CListCtrl::GetImageList(int nImageListType) const {
    ControlWindow* control = ControlWindow::Of(m_hWnd);
    return control && nImageListType == LVSIL_SMALL ? control->m_smallImages : nullptr;
}
