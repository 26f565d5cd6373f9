#pragma once

#include <platform/CPropertySheet.h>

class CTovaloView;

// Page "Skin, QuickStartUp, HotKey": the skin picture or the built-in skin, the quick-launch
// entries and the two hotkeys. While its window exists it holds every hardware key.
class CSSetting2Page : public CPropertyPage {
public:
    CSSetting2Page();

    void InitHotKeyControls();
    void AssignSetKey(UINT nCode);
    void AssignHideKey(UINT nCode);
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnOK() override;

    CString m_strSkinPathAtOpen;
    DWORD m_nSkinStateAtOpen = 0;
    CTovaloView* m_pView = nullptr;
    int m_nQLSelected = 0;
    int m_nSetKey = 2;
    int m_nHideKey = 3;
    CListBox m_HotKeyList;
    CComboBox m_HotKeyChoice;
    CListBox m_QLList;
    int m_bDefaultSkin = 0;
    CString m_strSkinPath;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnBrowseSkin();
    void OnApplyDefaultSkin();
    void OnAddQuickStart();
    void OnDeleteQuickStart();
    void OnSelectQuickStart();
    void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    // Stores a key number for one action and shows it in its row of the hotkey list.
    void AssignKey(UINT nCode, int& number, int other, const WCHAR* valueName, int row,
                   const WCHAR* format);
};
