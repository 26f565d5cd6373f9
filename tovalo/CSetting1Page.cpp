#include "CSetting1Page.h"

#include "CTovaloView.h"
#include "HardwareKeys.h"
#include "LauncherValues.h"
#include "SettingTemplates.h"

#include <platform/Hotkeys.h>
#include <platform/InputPanel.h>
#include <quintar/CPXFileDialog.h>

namespace {

constexpr int kMostPrograms = 50;
constexpr int kMostGroups = 19;
constexpr const WCHAR* kFavoriteName = u"MyFavorite";

} // namespace

BEGIN_MESSAGE_MAP(CSetting1Page, CPropertyPage)
ON_BN_CLICKED(IDC_ADDEXE, OnAddProgram)
ON_BN_CLICKED(IDC_DELEXE, OnDeleteProgram)
ON_BN_CLICKED(IDC_MODEXE, OnModifyProgram)
ON_BN_CLICKED(IDC_ADDGROUP, OnAddGroup)
ON_BN_CLICKED(IDC_DELGROUP, OnDeleteGroup)
ON_BN_CLICKED(IDC_MODGROUP, OnModifyGroup)
ON_LBN_SELCHANGE(IDC_EXELIST, OnSelectProgram)
ON_LBN_SELCHANGE(IDC_GROUPLIST, OnSelectGroup)
ON_CBN_SELCHANGE(IDC_GROUPCHOICE, OnSelectGroupChoice)
ON_BN_CLICKED(IDC_SHOWFAVORITE, OnShowFavorite)
ON_BN_CLICKED(IDC_UPDATEFAVORITE, OnUpdateFavorites)
ON_EN_SETFOCUS(IDC_EXENAME, OnEditFocus)
ON_EN_SETFOCUS(IDC_GROUPNAME, OnEditFocus)
ON_EN_KILLFOCUS(IDC_EXENAME, OnEditBlur)
ON_EN_KILLFOCUS(IDC_GROUPNAME, OnEditBlur)
ON_WM_DESTROY()
END_MESSAGE_MAP()

CSetting1Page::CSetting1Page() : CPropertyPage(Setting1Template()) {}

void CSetting1Page::DoDataExchange(CDataExchange* pDX) {
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_GROUPLIST, m_GroupList);
    DDX_Control(pDX, IDC_EXELIST, m_ExeList);
    DDX_Control(pDX, IDC_GROUPCHOICE, m_GroupChoice);
    DDX_Text(pDX, IDC_EXENAME, m_strExeName);
    DDX_Text(pDX, IDC_GROUPNAME, m_strGroupName);
    DDX_Check(pDX, IDC_SHOWFAVORITE, m_bShowFavorite);
}

BOOL CSetting1Page::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    m_pView->SortProgramList(CTovaloView::SORT_BY_SLOT);
    m_nSelected = -1;
    CGetGroupIconInfo& groups = m_pView->m_GroupList;
    for (int i = 0; i < groups.m_RegData.m_nGroupCount; ++i) {
        const GROUPICONDATA group = groups.GetIcon(i);
        m_GroupList.AddString(group.GroupName);
        m_GroupChoice.AddString(group.GroupName);
    }
    ReadLauncherValue(u"CheckFavorite", m_nShowFavorite, false);
    m_bShowFavorite = m_nShowFavorite;
    ReadFavoritePK();
    UpdateData(FALSE);
    CGetExeIconInfo& programs = m_pView->m_ExeList;
    // Favourites sort after every stored program; while shown they are not listed.
    int listed = 0;
    for (int i = 0; listed < programs.m_RegData.m_nExeIconCount && i < programs.m_List.GetCount();
         ++i) {
        const EXEICONDATA program = programs.GetIcon(i);
        if (m_nShowFavorite == 1 && program.GroupPosition == m_nFavoritePK)
            continue;
        m_ExeList.AddString(program.IconName);
        ++listed;
    }
    for (UINT code = kFirstHardwareKey; code <= kLastHardwareKey; ++code)
        ClaimHardwareKey(m_pView->GetSafeHwnd(), code);
    return TRUE;
}

void CSetting1Page::OnAddProgram() {
    CGetExeIconInfo& programs = m_pView->m_ExeList;
    if (programs.m_List.GetCount() == kMostPrograms) {
        AfxMessageBox(u"Registable programs can't exceed 50.");
        return;
    }
    CPXFileDialog dialog;
    if (dialog.DoModal() != IDOK || !AcceptChosenPath(dialog.GetPathName()))
        return;
    programs.InsertExe(dialog.GetPathName(), dialog.GetFileTitle());
    m_pView->m_GroupList.GroupListReload();
    m_ExeList.InsertString(programs.m_nNewPK, dialog.GetFileTitle());
    m_strExeName.Empty();
    UpdateData(FALSE);
}

void CSetting1Page::OnDeleteProgram() {
    UpdateData(TRUE);
    const int row = m_ExeList.GetCurSel();
    if (row == LB_ERR)
        return;
    m_pView->m_ExeList.DeleteExe(row);
    m_pView->m_GroupList.GroupListReload();
    m_ExeList.DeleteString(static_cast<UINT>(row));
    m_strExeName.Empty();
    UpdateData(FALSE);
}

void CSetting1Page::OnModifyProgram() {
    UpdateData(TRUE);
    const int row = m_ExeList.GetCurSel();
    const int choice = m_GroupChoice.GetCurSel();
    if (row == LB_ERR || choice == CB_ERR)
        return;
    const int key = m_pView->m_GroupList.GetIcon(choice).PK;
    m_pView->m_ExeList.ModifyExe(m_strExeName, row, key);
    m_pView->m_GroupList.GroupListReload();
    m_ExeList.DeleteString(static_cast<UINT>(row));
    m_ExeList.InsertString(row, m_strExeName);
    m_strExeName.Empty();
    UpdateData(FALSE);
}

void CSetting1Page::OnAddGroup() {
    UpdateData(TRUE);
    CGetGroupIconInfo& groups = m_pView->m_GroupList;
    if (groups.m_List.GetCount() == kMostGroups) {
        AfxMessageBox(u"You can register groups up to 19.");
        return;
    }
    if (m_GroupList.FindStringExact(-1, m_strGroupName) != LB_ERR) {
        AfxMessageBox(u"Group name you choose is already exist.");
        return;
    }
    if (m_strGroupName.IsEmpty())
        return;
    groups.InsertGroups(m_strGroupName);
    InsertGroupRow(groups.m_nNewPK, m_strGroupName);
    m_strGroupName.Empty();
    UpdateData(FALSE);
}

int CSetting1Page::SelectedGroup(GROUPICONDATA& group) {
    UpdateData(TRUE);
    const int row = m_GroupList.GetCurSel();
    if (row != LB_ERR) {
        group = m_pView->m_GroupList.GetIcon(row);
        ReadFavoritePK();
    }
    return row;
}

void CSetting1Page::OnDeleteGroup() {
    GROUPICONDATA group;
    const int row = SelectedGroup(group);
    if (row == LB_ERR)
        return;
    if (group.PK == 0) {
        AfxMessageBox(u" etc. group can't be deleted");
    } else if (IsShownFavorite(group.PK)) {
        AfxMessageBox(u"Please cancel the Show Favorite check.");
    } else if (group.IconCount != 0) {
        AfxMessageBox(u"Please delete included ExeIcon.");
    } else {
        m_pView->m_GroupList.DeleteGroup(row);
        DeleteGroupRow(row);
        m_strGroupName.Empty();
    }
    UpdateData(FALSE);
}

void CSetting1Page::OnModifyGroup() {
    GROUPICONDATA group;
    const int row = SelectedGroup(group);
    if (row == LB_ERR)
        return;
    if (IsShownFavorite(group.PK)) {
        AfxMessageBox(u"Myfavorite name can't be modified.");
    } else {
        m_pView->m_GroupList.ModifyGroup(m_strGroupName, row);
        DeleteGroupRow(row);
        InsertGroupRow(row, m_strGroupName);
    }
    m_strGroupName.Empty();
    UpdateData(FALSE);
}

void CSetting1Page::OnSelectProgram() {
    UpdateData(TRUE);
    m_nSelected = 1;
    const int row = m_ExeList.GetCurSel();
    if (row == LB_ERR)
        return;
    const EXEICONDATA program = m_pView->m_ExeList.GetIcon(row);
    const CString group = m_pView->m_RegData.ReturnGroupName(program.GroupPosition);
    m_GroupChoice.SetCurSel(m_GroupChoice.FindStringExact(-1, group));
    m_ExeList.GetText(row, m_strExeName);
    UpdateData(FALSE);
}

void CSetting1Page::OnSelectGroup() {
    m_nSelected = 1;
    const int row = m_GroupList.GetCurSel();
    if (row == LB_ERR)
        return;
    m_GroupList.GetText(row, m_strGroupName);
    UpdateData(FALSE);
}

void CSetting1Page::OnSelectGroupChoice() {
    ReadFavoritePK();
    const int choice = m_GroupChoice.GetCurSel();
    if (choice == CB_ERR || !IsShownFavorite(m_pView->m_GroupList.GetIcon(choice).PK))
        return;
    AfxMessageBox(u"MyFavorite group is automatic creation.");
    m_GroupChoice.SetCurSel(0);
}

void CSetting1Page::OnShowFavorite() {
    UpdateData(TRUE);
    m_nShowFavorite = m_bShowFavorite;
    WriteLauncherValue(u"CheckFavorite", m_nShowFavorite);
    if (m_nShowFavorite == 1)
        ShowFavoriteGroup();
    else
        HideFavoriteGroup();
    UpdateData(FALSE);
}

void CSetting1Page::ShowFavoriteGroup() {
    CGetGroupIconInfo& groups = m_pView->m_GroupList;
    groups.InsertFavoriteGroups(0);
    const int count = m_pView->m_ExeList.InitRegOpen();
    ReadFavoritePK();
    // Made again with its real count, in the same first free slot.
    groups.DeleteFavoriteGroup(m_nFavoritePK);
    groups.InsertFavoriteGroups(count);
    ReadFavoritePK();
    InsertGroupRow(m_nFavoritePK, kFavoriteName);
}

void CSetting1Page::HideFavoriteGroup() {
    ReadFavoritePK();
    CGetGroupIconInfo& groups = m_pView->m_GroupList;
    int row = 0;
    while (row < groups.m_List.GetCount() && groups.GetIcon(row).PK != m_nFavoritePK)
        ++row;
    if (row == groups.m_List.GetCount())
        return;
    groups.DeleteFavoriteGroup(row);
    m_pView->m_ExeList.ExeIconListReload();
    groups.GroupListReload();
    DeleteGroupRow(row);
}

void CSetting1Page::OnUpdateFavorites() {
    if (m_nShowFavorite != 1)
        return;
    UpdateData(TRUE);
    ReadFavoritePK();
    CGetGroupIconInfo& groups = m_pView->m_GroupList;
    for (int i = 0; i < groups.m_List.GetCount();) {
        if (groups.GetIcon(i).PK == m_nFavoritePK)
            groups.DeleteFavoriteGroup(i);
        else
            ++i;
    }
    const int row = m_GroupList.FindStringExact(-1, kFavoriteName);
    if (row != LB_ERR)
        DeleteGroupRow(row);
    m_pView->m_ExeList.ExeIconListReload();
    groups.GroupListReload();
    ShowFavoriteGroup();
    UpdateData(FALSE);
}

void CSetting1Page::OnEditFocus() {
    SipShowIM(SIPF_ON);
}

void CSetting1Page::OnEditBlur() {
    SipShowIM(SIPF_OFF);
}

void CSetting1Page::OnDestroy() {
    Default();
    m_pView->SortProgramList(CTovaloView::SORT_BY_GROUP);
    if (m_pView->m_pIconListWnd)
        m_pView->m_pIconListWnd->UpdateDrawList(m_ExeList.GetCount());
    if (m_pView->m_pGroupListWnd)
        m_pView->m_pGroupListWnd->UpdateDrawList(m_GroupList.GetCount());
    SipShowIM(SIPF_OFF);
    for (UINT code = kFirstHardwareKey; code <= kLastHardwareKey; ++code)
        UnregisterHotKey(m_pView->GetSafeHwnd(), static_cast<int>(code));
}

void CSetting1Page::ReadFavoritePK() {
    ReadLauncherValue(u"FavoritePK", m_nFavoritePK);
}

bool CSetting1Page::IsShownFavorite(int nGroupKey) const {
    return m_nShowFavorite == 1 && nGroupKey == m_nFavoritePK;
}

void CSetting1Page::InsertGroupRow(int nRow, LPCWSTR name) {
    m_GroupList.InsertString(nRow, name);
    m_GroupChoice.InsertString(nRow, name);
}

void CSetting1Page::DeleteGroupRow(int nRow) {
    m_GroupList.DeleteString(static_cast<UINT>(nRow));
    m_GroupChoice.DeleteString(static_cast<UINT>(nRow));
}
