#include "CSSetting2Page.h"

#include "CTovaloView.h"
#include "HardwareKeys.h"
#include "LauncherValues.h"
#include "SettingTemplates.h"

#include <pelagor/CPXImageFileDialog.h>
#include <platform/Hotkeys.h>
#include <quintar/CPXFileDialog.h>

namespace {

constexpr int kMostQuickStarts = 15;
constexpr const WCHAR* kNoSkin = u"Skin route is not selected.";
constexpr const WCHAR* kSetKeyRow = u"HotKey %d : View SettingDialog";
constexpr const WCHAR* kHideKeyRow = u"HotKey %d : View MainScreen";

} // namespace

BEGIN_MESSAGE_MAP(CSSetting2Page, CPropertyPage)
ON_BN_CLICKED(IDC_BROWSESKIN, OnBrowseSkin)
ON_BN_CLICKED(IDC_DEFAULTSKIN, OnApplyDefaultSkin)
ON_BN_CLICKED(IDC_ADDQL, OnAddQuickStart)
ON_BN_CLICKED(IDC_DELQL, OnDeleteQuickStart)
ON_LBN_SELCHANGE(IDC_QLLIST, OnSelectQuickStart)
ON_WM_DESTROY()
END_MESSAGE_MAP()

CSSetting2Page::CSSetting2Page()
    : CPropertyPage(Setting2Template()),
      m_bDefaultSkin(static_cast<int>(CPXRegData().CheckSkin())) {}

void CSSetting2Page::DoDataExchange(CDataExchange* pDX) {
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_HOTKEYLIST, m_HotKeyList);
    DDX_Control(pDX, IDC_HOTKEYCHOICE, m_HotKeyChoice);
    DDX_Control(pDX, IDC_QLLIST, m_QLList);
    DDX_Check(pDX, IDC_DEFAULTSKIN, m_bDefaultSkin);
    DDX_Text(pDX, IDC_SKINPATH, m_strSkinPath);
}

BOOL CSSetting2Page::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    m_nQLSelected = 0;
    CGetQLIconInfo& quick = m_pView->m_QLList;
    for (int i = 0; i < quick.m_RegData.m_nQLCount; ++i)
        m_QLList.AddString(quick.GetIcon(i).QLPath);
    m_strSkinPath = m_pView->m_RegData.GetSkinPath();
    m_strSkinPathAtOpen = m_strSkinPath;
    m_nSkinStateAtOpen = m_pView->m_RegData.CheckSkin();
    InitHotKeyControls();
    UpdateData(FALSE);
    return TRUE;
}

void CSSetting2Page::InitHotKeyControls() {
    m_HotKeyChoice.AddString(u"View SettingDialog");
    m_HotKeyChoice.AddString(u"View MainScreen");
    ReadLauncherValue(u"SetKey", m_nSetKey);
    ReadLauncherValue(u"HideKey", m_nHideKey);
    m_HotKeyList.InsertString(0, FormatString(kSetKeyRow, m_nSetKey).c_str());
    m_HotKeyList.InsertString(1, FormatString(kHideKeyRow, m_nHideKey).c_str());
    UpdateData(FALSE);
    for (UINT code = kFirstHardwareKey; code <= kLastHardwareKey; ++code)
        ClaimHardwareKey(m_hWnd, code);
}

LRESULT CSSetting2Page::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_HOTKEY && GetFocus() != nullptr) {
        const int choice = m_HotKeyChoice.GetCurSel();
        if (choice == 0)
            AssignSetKey(static_cast<UINT>(wParam));
        else if (choice == 1)
            AssignHideKey(static_cast<UINT>(wParam));
    }
    return CPropertyPage::WindowProc(message, wParam, lParam);
}

void CSSetting2Page::AssignSetKey(UINT nCode) {
    AssignKey(nCode, m_nSetKey, m_nHideKey, u"SetKey", 0, kSetKeyRow);
}

void CSSetting2Page::AssignHideKey(UINT nCode) {
    AssignKey(nCode, m_nHideKey, m_nSetKey, u"HideKey", 1, kHideKeyRow);
}

void CSSetting2Page::AssignKey(UINT nCode, int& number, int other, const WCHAR* valueName, int row,
                               const WCHAR* format) {
    if (nCode < kFirstHardwareKey || nCode > kLastHardwareKey)
        return;
    const int pressed = static_cast<int>(nCode - kHardwareKeyBase);
    // The page keeps the stored number: both actions must never end on one key.
    if (pressed == other) {
        AfxMessageBox(u"Same key is selected");
        return;
    }
    number = pressed;
    WriteLauncherValue(valueName, number);
    m_HotKeyList.DeleteString(static_cast<UINT>(row));
    m_HotKeyList.InsertString(row, FormatString(format, number).c_str());
}

void CSSetting2Page::OnBrowseSkin() {
    UpdateData(TRUE);
    CPXImageFileDialog dialog;
    if (dialog.DoModal() != IDOK || !AcceptChosenPath(dialog.GetPathName()))
        return;
    const CString path = dialog.GetPathName();
    m_pView->m_RegData.ApplySkin(reinterpret_cast<const BYTE*>(path.GetString()),
                                 (path.GetLength() + 1) * 2);
    m_strSkinPath = path;
    UpdateData(FALSE);
}

void CSSetting2Page::OnApplyDefaultSkin() {
    UpdateData(TRUE);
    if (m_bDefaultSkin == 0 && m_strSkinPath == kNoSkin) {
        AfxMessageBox(u"Please select skin file first to apply new skin.");
        m_bDefaultSkin = 1;
        UpdateData(FALSE);
    }
}

void CSSetting2Page::OnAddQuickStart() {
    CGetQLIconInfo& quick = m_pView->m_QLList;
    if (quick.m_List.GetCount() == kMostQuickStarts) {
        AfxMessageBox(u"You can register quick start up to 15.");
        return;
    }
    CPXFileDialog dialog;
    if (dialog.DoModal() != IDOK || !AcceptChosenPath(dialog.GetPathName()))
        return;
    quick.InsertQL(dialog.GetPathName());
    m_QLList.InsertString(quick.m_nNewPK, dialog.GetPathName());
    UpdateData(FALSE);
}

void CSSetting2Page::OnSelectQuickStart() {
    m_nQLSelected = 1;
}

void CSSetting2Page::OnDeleteQuickStart() {
    UpdateData(TRUE);
    const int row = m_QLList.GetCurSel();
    if (row == LB_ERR)
        return;
    m_pView->m_QLList.DeleteQL(row);
    m_QLList.DeleteString(static_cast<UINT>(row));
    UpdateData(FALSE);
}

void CSSetting2Page::OnOK() {
    m_pView->m_RegData.SkinToggle(m_bDefaultSkin);
    if (m_bDefaultSkin != 0) {
        if (m_nSkinStateAtOpen != static_cast<DWORD>(m_bDefaultSkin))
            m_pView->ResetToDefaultSkin();
    } else if (m_nSkinStateAtOpen != 0 || m_strSkinPath != m_strSkinPathAtOpen) {
        m_pView->ChangeSkin(m_strSkinPath);
    }
    CPropertyPage::OnOK();
}

void CSSetting2Page::OnDestroy() {
    Default();
    // The keys this window took go with it, as a destroyed window's hotkeys do.
    for (UINT code = kFirstHardwareKey; code <= kLastHardwareKey; ++code)
        UnregisterHotKey(m_hWnd, static_cast<int>(code));
    if (m_pView->m_pQuickLWnd)
        m_pView->m_pQuickLWnd->DrawList();
}
