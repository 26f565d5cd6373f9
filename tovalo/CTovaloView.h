#pragma once

#include "CProgramSorter.h"
#include "CSettingPSheet.h"

#include <mirvane/CGroupListWnd.h>
#include <mirvane/CIconListWnd.h>
#include <mirvane/CQuickLWnd.h>
#include <ostrel/CGetExeIconInfo.h>
#include <ostrel/CGetGroupIconInfo.h>
#include <ostrel/CGetQLIconInfo.h>
#include <ostrel/CPXRegData.h>
#include <platform/CFrameWnd.h>
#include <platform/Device.h>
#include <sorvik/CImageLoadProc.h>

#include <string>

// The main view: owns the launcher's lists, the skin and the three windows of the main
// screen, and relays between the windows.
class CTovaloView : public CView {
public:
    enum SortMode { SORT_BY_SLOT = 0, SORT_BY_GROUP = 1 };

    CTovaloView();
    ~CTovaloView() override;

    void OnInitialUpdate() override;
    void ResetToDefaultSkin();
    void ChangeSkin(CString strPath);
    void SortProgramList(int nMode);
    void RegisterSetKey();
    void RegisterHideKey();
    // Runs the settings sheet modally with the frame shown, hiding the frame again after
    // when it was hidden; *ppOpen points at the sheet while it runs.
    void RunSettingSheet(CSettingPSheet** ppOpen = nullptr);

    CPXRegData m_RegData;
    CGetGroupIconInfo m_GroupList;
    CGetExeIconInfo m_ExeList;
    CGetQLIconInfo m_QLList;
    CImageLoadProc m_ImageLoad;
    CGroupListWnd* m_pGroupListWnd = nullptr;
    CIconListWnd* m_pIconListWnd = nullptr;
    CQuickLWnd* m_pQuickLWnd = nullptr;
    struct CModulePath {
        CString GetDirectory() const { return platform::ModuleDirectory(); }
    } m_ModulePath;
    CProgramSorter m_Sorter;
    CBitmap m_bmpDefaultSkin;
    CDC m_dcBack;
    CDC m_dcLogo;
    UINT m_nSetKeyCode = 0;
    int m_nSetKey = 2;
    int m_nHideKey = 3;
    UINT m_nHideKeyCode = 0;

protected:
    void OnDraw(CDC* pDC) override;
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    LRESULT OnGroupTurnedUp(WPARAM wParam, LPARAM lParam);
    LRESULT OnGroupTurnedDown(WPARAM wParam, LPARAM lParam);
    LRESULT OnIconGroupChanged(WPARAM wParam, LPARAM lParam);
    void OnHotKey(UINT nHotKeyId, UINT nKey1, UINT nKey2);
    void OnDestroy();
    LRESULT OnStoreWriteFailed(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

    void ApplyDefaultSkin();
    BOOL ApplySkinImage(CString strPath);

private:
    // The built-in skin without recording it as the user's choice: what a skin that cannot
    // be shown falls back to.
    void ShowDefaultSkin();
    void DrawLogo();
    void MakeWindowObjects();
    void CreateWindows();
    void DestroyWindows();
    void ShowFrame(int nCmdShow);
    // Loads the lists; a first start fills the store, whole or not at all.
    void LoadLists();

    // Decoded bitmaps the surfaces hold, released with them.
    HBITMAP m_hSkinImage = nullptr;
    HBITMAP m_hLogoImage = nullptr;
    // The store's message of a write it could not keep, until it is shown.
    std::u16string m_strWriteFailure;
};
