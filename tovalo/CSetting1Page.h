#pragma once

#include <ostrel/Records.h>
#include <platform/CPropertySheet.h>

class CTovaloView;

// Page "Group,ExeIcon": groups and programs, and the favourites group. Every change goes to
// the view's lists at once, which store it.
class CSetting1Page : public CPropertyPage {
public:
    CSetting1Page();

    CTovaloView* m_pView = nullptr;
    int m_nSelected = -1;
    int m_nShowFavorite = 0;
    int m_nFavoritePK = 0;
    CListBox m_GroupList;
    CListBox m_ExeList;
    CComboBox m_GroupChoice;
    CString m_strExeName;
    CString m_strGroupName;
    int m_bShowFavorite = 0;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnAddProgram();
    void OnDeleteProgram();
    void OnModifyProgram();
    void OnAddGroup();
    void OnDeleteGroup();
    void OnModifyGroup();
    void OnSelectProgram();
    void OnSelectGroup();
    void OnSelectGroupChoice();
    void OnShowFavorite();
    void OnUpdateFavorites();
    void OnEditFocus();
    void OnEditBlur();
    void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    void ShowFavoriteGroup();
    void HideFavoriteGroup();
    void ReadFavoritePK();
    // The row of list 1000 selected (moving the controls' data into the members first) and
    // its group, with the favourites key read again; LB_ERR for none.
    int SelectedGroup(GROUPICONDATA& group);
    // The favourites group shown and G's key its key.
    bool IsShownFavorite(int nGroupKey) const;
    void InsertGroupRow(int nRow, LPCWSTR name);
    void DeleteGroupRow(int nRow);
};
