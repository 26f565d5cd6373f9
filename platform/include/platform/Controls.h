#pragma once

#include <platform/CString.h>
#include <platform/Handles.h>
#include <platform/platform_export.h>

class CBitmap;
class CImageList;

// Notification codes controls send their dialog: WM_COMMAND with MAKEWPARAM(id, code) and
// the control's window in lParam, or WM_NOTIFY with an NMHDR.
inline constexpr UINT BN_CLICKED = 0;
inline constexpr UINT LBN_SELCHANGE = 1;
inline constexpr UINT LBN_DBLCLK = 2;
inline constexpr UINT CBN_SELCHANGE = 1;
inline constexpr UINT EN_SETFOCUS = 0x0100;
inline constexpr UINT EN_KILLFOCUS = 0x0200;
inline constexpr UINT EN_CHANGE = 0x0300;
inline constexpr UINT NM_CLICK = static_cast<UINT>(-2);
inline constexpr UINT NM_DBLCLK = static_cast<UINT>(-3);

inline constexpr int LB_ERR = -1;
inline constexpr int CB_ERR = -1;

inline constexpr int BST_UNCHECKED = 0;
inline constexpr int BST_CHECKED = 1;

inline constexpr int LVCFMT_LEFT = 0;
inline constexpr DWORD LVS_EX_FULLROWSELECT = 0x0020;
inline constexpr int LVSIL_NORMAL = 0;
inline constexpr int LVSIL_SMALL = 1;
inline constexpr UINT LVNI_SELECTED = 0x0002;
inline constexpr UINT ILC_COLOR4 = 0x0004;
inline constexpr UINT ILC_MASK = 0x0001;

struct NMHDR {
    HWND hwndFrom = nullptr;
    UINT idFrom = 0;
    UINT code = 0;
};

// A list view's tap: the row hit (-1 for none) and the point in the control.
struct NMLISTVIEW {
    NMHDR hdr;
    int iItem = -1;
    int iSubItem = 0;
    POINT ptAction;
};

// An image list's handle: the shell's small-icon list (from SHGetFileInfo) or one made with
// CImageList::Create.
struct IMAGELIST__;
using HIMAGELIST = IMAGELIST__*;

// A control of a dialog, reached through the dialog's data exchange (DDX_Control). The
// control's window belongs to the dialog; this object only refers to it.
class PLATFORM_EXPORT CDialogControl {
public:
    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }
    UINT GetDlgCtrlID() const;
    BOOL EnableWindow(BOOL bEnable = TRUE);
    BOOL IsWindowEnabled() const;
    BOOL ShowWindow(int nCmdShow);
    BOOL IsWindowVisible() const;
    void SetFocus();
    CString GetWindowText() const;
    void SetWindowText(LPCWSTR text);

    HWND m_hWnd = nullptr;
};

class PLATFORM_EXPORT CButton : public CDialogControl {
public:
    int GetCheck() const;
    void SetCheck(int nCheck);
};

class PLATFORM_EXPORT CEdit : public CDialogControl {};

// A single-selection list box. Rows are numbered from 0; "no row" is LB_ERR.
class PLATFORM_EXPORT CListBox : public CDialogControl {
public:
    int GetCount() const;
    int AddString(LPCWSTR text);
    // -1 appends; an index beyond the last row is refused with LB_ERR.
    int InsertString(int nIndex, LPCWSTR text);
    // The rows left, or LB_ERR.
    int DeleteString(UINT nIndex);
    void ResetContent();
    int GetCurSel() const;
    int SetCurSel(int nSelect);
    void GetText(int nIndex, CString& text) const;
    int GetTextLen(int nIndex) const;
    // The first row after nStartAfter whose whole text matches, ignoring case; LB_ERR for none.
    int FindStringExact(int nStartAfter, LPCWSTR text) const;
};

// A drop-down list combo box; sorted ones (CBS_SORT) put added entries in order.
class PLATFORM_EXPORT CComboBox : public CDialogControl {
public:
    int GetCount() const;
    int AddString(LPCWSTR text);
    int InsertString(int nIndex, LPCWSTR text);
    int DeleteString(UINT nIndex);
    void ResetContent();
    int GetCurSel() const;
    int SetCurSel(int nSelect);
    void GetLBText(int nIndex, CString& text) const;
    int FindStringExact(int nStartAfter, LPCWSTR text) const;
};

// A list view in report mode: rows of cells under column headers, each row with an image of
// the small-image list.
class PLATFORM_EXPORT CListCtrl : public CDialogControl {
public:
    DWORD SetExtendedStyle(DWORD dwNewStyle);
    int InsertColumn(int nCol, LPCWSTR heading, int nFormat = LVCFMT_LEFT, int nWidth = -1);
    int InsertItem(int nItem, LPCWSTR text, int nImage);
    BOOL SetItemText(int nItem, int nSubItem, LPCWSTR text);
    CString GetItemText(int nItem, int nSubItem) const;
    int GetItemCount() const;
    BOOL DeleteAllItems();
    int GetNextItem(int nItem, UINT nFlags) const;
    // The control shares the list (LVS_SHAREIMAGELISTS): it never destroys it. Returns the
    // handle it had before.
    HIMAGELIST SetImageList(CImageList* pImageList, int nImageListType);
    HIMAGELIST GetImageList(int nImageListType) const;
};

class PLATFORM_EXPORT CImageList {
public:
    CImageList() = default;
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;
    ~CImageList();

    BOOL Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow);
    // The bitmap's pixels of crMask become transparent; the index of the new image.
    int Add(CBitmap* pbmImage, COLORREF crMask);
    int GetImageCount() const;
    BOOL Attach(HIMAGELIST hImageList);
    HIMAGELIST Detach();
    BOOL DeleteImageList();
    HIMAGELIST GetSafeHandle() const { return m_hImageList; }
    operator HIMAGELIST() const { return m_hImageList; }

    HIMAGELIST m_hImageList = nullptr;
};
