#include "CTovaloView.h"

#include "HardwareKeys.h"
#include "Resources.h"

#include <platform/Hotkeys.h>
#include <platform/MessageBox.h>
#include <platform/Registry.h>

namespace {

constexpr UINT WM_GROUP_TURNED_UP = 0x1105;
constexpr UINT WM_GROUP_TURNED_DOWN = 0x1106;
constexpr UINT WM_ICON_GROUP_CHANGED = 0x19B3;
constexpr UINT WM_STORE_WRITE_FAILED = WM_USER + 0x120;
constexpr int kSkinWidth = 240;
constexpr int kSkinHeight = 294;
constexpr int kTurnFrames = 5;
constexpr COLORREF kLogoKey = RGB(255, 0, 0);
constexpr RECT kLogo{8, 137, 8 + 76, 137 + 21};
constexpr const WCHAR* kStartMenu = u"\\Windows\\Start Menu\\Programs\\*.*";
constexpr const WCHAR* kInputPanelButton = u"MS_SIPBUTTON";

void ShowInputPanelButton(int nCmdShow) {
    if (HWND button = FindWindowW(nullptr, kInputPanelButton))
        ShowWindow(button, nCmdShow);
}

} // namespace

BEGIN_MESSAGE_MAP(CTovaloView, CView)
ON_WM_KEYDOWN()
ON_WM_HOTKEY()
ON_WM_DESTROY()
ON_MESSAGE(WM_GROUP_TURNED_UP, OnGroupTurnedUp)
ON_MESSAGE(WM_GROUP_TURNED_DOWN, OnGroupTurnedDown)
ON_MESSAGE(WM_ICON_GROUP_CHANGED, OnIconGroupChanged)
ON_MESSAGE(WM_STORE_WRITE_FAILED, OnStoreWriteFailed)
END_MESSAGE_MAP()

CTovaloView::CTovaloView() = default;

CTovaloView::~CTovaloView() {
    platform::SetRegistryWriteFailureHook(nullptr);
    DestroyWindows();
    DestroyWindow();
}

void CTovaloView::OnInitialUpdate() {
    CView::OnInitialUpdate();
    MakeWindowObjects();
    // A change the store could not keep is told once, after the operation that made it,
    // however many of its values failed.
    platform::SetRegistryWriteFailureHook([this](const std::u16string& message) {
        if (m_strWriteFailure.empty() && GetSafeHwnd()) {
            m_strWriteFailure = message;
            PostMessage(WM_STORE_WRITE_FAILED);
        }
    });
    LoadLists();
    m_Sorter.SetList(&m_ExeList);
    SortProgramList(SORT_BY_GROUP);

    CClientDC screen(this);
    m_dcBack.CreateCompatibleDC(&screen);
    m_dcLogo.CreateCompatibleDC(&screen);
    m_hLogoImage = CImageLoadProc::LoadJPEG(m_ModulePath.GetDirectory() + u"\\Skin\\NORVI_LOGO.GIF",
                                            &m_dcLogo);

    const CString skinPath = m_RegData.GetSkinPath();
    const DWORD skin = m_RegData.CheckSkin();
    if (skin == 1)
        ApplyDefaultSkin();
    else if (skin == 0)
        ApplySkinImage(skinPath);
    // A stored choice that cannot be shown leaves a usable screen, not an empty one, and
    // stays stored for when the picture is back.
    if (!m_hSkinImage && !m_bmpDefaultSkin.GetSafeHandle())
        ShowDefaultSkin();

    CreateWindows();
    RegisterSetKey();
    RegisterHideKey();
    ShowInputPanelButton(SW_HIDE);
    SetFocus();
}

void CTovaloView::LoadLists() {
    // One transaction: the start's reads share one snapshot, and a first start killed half
    // way leaves no store rather than half of one. A failed write is told by the hook.
    platform::RegistryTransaction start;
    if (m_ExeList.InitReg() == 3333)
        m_pIconListWnd->MakeDefaultList(kStartMenu);
    m_GroupList.InitReg();
    m_QLList.InitReg();
    start.Commit();
}

void CTovaloView::MakeWindowObjects() {
    m_pIconListWnd = new CIconListWnd(40, 7, 1);
    m_pGroupListWnd = new CGroupListWnd(20, 5, 1);
    m_pQuickLWnd = new CQuickLWnd();
    m_pIconListWnd->SetListPtr(&m_ExeList);
    m_pGroupListWnd->SetListPtr(&m_GroupList);
    m_pQuickLWnd->SetListPtr(&m_QLList);
}

void CTovaloView::CreateWindows() {
    CRect client;
    GetClientRect(&client);
    const int w = client.Width(), h = client.Height();
    const CRect icons(w / 2 + 2, client.top + 7, w, h);
    const CRect groups(0, 13, w / 2 - 2, 123);
    const CRect quick(10, 163, 85, 288);
    // A window that refused its creation is left without a picture.
    if (m_pIconListWnd->Create(nullptr, u"ICONINFO", WS_CHILD | WS_VISIBLE, icons, this, 3333))
        m_pIconListWnd->MakeInitWnd(m_dcBack, icons);
    if (m_pGroupListWnd->Create(nullptr, u"GROUPWND", WS_CHILD | WS_VISIBLE, groups, this, 4444))
        m_pGroupListWnd->MakeInitWnd(m_dcBack, groups);
    if (m_pQuickLWnd->Create(nullptr, u"QLWND", WS_CHILD | WS_VISIBLE, quick, this, 5555))
        m_pQuickLWnd->MakeInitWnd(m_dcBack, quick);
    // The wheel scrolls the column as Up and Down do, and turns the selector as Left and Right.
    platform::SetWheelKeys(*m_pIconListWnd, VK_UP, VK_DOWN);
    platform::SetWheelKeys(*m_pGroupListWnd, VK_LEFT, VK_RIGHT);
}

void CTovaloView::DestroyWindows() {
    for (CWnd* wnd : {static_cast<CWnd*>(m_pIconListWnd), static_cast<CWnd*>(m_pQuickLWnd),
                      static_cast<CWnd*>(m_pGroupListWnd)})
        if (wnd)
            wnd->DestroyWindow();
    delete m_pIconListWnd;
    delete m_pQuickLWnd;
    delete m_pGroupListWnd;
    m_pIconListWnd = nullptr;
    m_pQuickLWnd = nullptr;
    m_pGroupListWnd = nullptr;
}

void CTovaloView::DrawLogo() {
    m_dcBack.TransparentImage(kLogo.left, kLogo.top, kLogo.right - kLogo.left,
                              kLogo.bottom - kLogo.top, &m_dcLogo, 0, 0, kLogo.right - kLogo.left,
                              kLogo.bottom - kLogo.top, kLogoKey);
}

void CTovaloView::ShowDefaultSkin() {
    CBitmap fresh;
    if (!fresh.LoadBitmap(IDB_DEFAULTSKIN))
        return;
    // Selecting the new picture takes the old one off the surface, so it can be deleted.
    m_dcBack.SelectObject(&fresh);
    m_bmpDefaultSkin.DeleteObject();
    m_bmpDefaultSkin.Attach(fresh.Detach());
    if (m_hSkinImage) {
        DeleteObject(m_hSkinImage);
        m_hSkinImage = nullptr;
    }
    DrawLogo();
}

void CTovaloView::ApplyDefaultSkin() {
    ShowDefaultSkin();
    m_RegData.SkinToggle(1);
}

BOOL CTovaloView::ApplySkinImage(CString strPath) {
    HBITMAP image = CImageLoadProc::LoadJPEG(strPath, &m_dcBack);
    if (!image)
        return FALSE;
    // The picture before it has left the surface.
    if (m_hSkinImage)
        DeleteObject(m_hSkinImage);
    m_hSkinImage = image;
    BITMAP bm;
    GetObjectW(image, sizeof bm, &bm);
    if (bm.bmWidth < kSkinWidth || bm.bmHeight < kSkinHeight) {
        AfxMessageBox(u"Picture should be larger than 240*294.");
        ApplyDefaultSkin();
        return FALSE;
    }
    DrawLogo();
    Invalidate(TRUE);
    return TRUE;
}

void CTovaloView::ResetToDefaultSkin() {
    ApplyDefaultSkin();
    DestroyWindows();
    MakeWindowObjects();
    CreateWindows();
    Invalidate(TRUE);
}

void CTovaloView::ChangeSkin(CString strPath) {
    ApplySkinImage(strPath);
    DestroyWindows();
    MakeWindowObjects();
    CreateWindows();
    Invalidate(TRUE);
}

void CTovaloView::SortProgramList(int nMode) {
    m_Sorter.Sort(nMode == SORT_BY_SLOT ? CProgramSorter::Mode::BySlot
                                        : CProgramSorter::Mode::ByGroup,
                  m_GroupList);
}

void CTovaloView::OnDraw(CDC* pDC) {
    ShowInputPanelButton(SW_HIDE);
    CRect client;
    GetClientRect(&client);
    pDC->BitBlt(0, 0, client.Width(), client.Height(), &m_dcBack, 0, 0, SRCCOPY);
}

void CTovaloView::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
    if (m_pIconListWnd && m_pIconListWnd->GetSafeHwnd())
        m_pIconListWnd->SendMessage(WM_KEYDOWN, nChar, 0);
    if (m_pGroupListWnd && m_pGroupListWnd->GetSafeHwnd())
        m_pGroupListWnd->SendMessage(WM_KEYDOWN, nChar, 0);
    Default();
}

LRESULT CTovaloView::OnGroupTurnedUp(WPARAM wParam, LPARAM lParam) {
    if (m_pIconListWnd)
        m_pIconListWnd->MoveNextGroup(static_cast<int>(wParam), 1, static_cast<int>(lParam));
    return 0;
}

LRESULT CTovaloView::OnGroupTurnedDown(WPARAM wParam, LPARAM lParam) {
    if (m_pIconListWnd)
        m_pIconListWnd->MoveNextGroup(static_cast<int>(wParam), 0, static_cast<int>(lParam));
    return 0;
}

LRESULT CTovaloView::OnIconGroupChanged(WPARAM wParam, LPARAM lParam) {
    const int groups = m_GroupList.m_List.GetCount();
    if (!m_pGroupListWnd || groups == 0)
        return 0;
    // A key that no group has stops the turning after one full turn.
    GROUPICONDATA current = m_pGroupListWnd->GetCurGroup();
    for (int turns = 0; current.PK != lParam && turns < groups; ++turns) {
        if (wParam != 0)
            m_pGroupListWnd->RotateDnList(kTurnFrames);
        else
            m_pGroupListWnd->RotateUpList(kTurnFrames);
        current = m_pGroupListWnd->GetCurGroup();
    }
    return 0;
}

LRESULT CTovaloView::OnStoreWriteFailed(WPARAM, LPARAM) {
    // Failures while the box is up belong to the same message.
    AfxMessageBox(CString(m_strWriteFailure));
    m_strWriteFailure.clear();
    return 0;
}

void CTovaloView::OnDestroy() {
    Default();
    platform::SetRegistryWriteFailureHook(nullptr);
    for (UINT code = kFirstHardwareKey; code <= kLastHardwareKey; ++code)
        UnregisterHotKey(m_hWnd, static_cast<int>(code));
    // Walked node by node: a long list (a first start on a large desktop) would otherwise
    // be walked again from its head for every record.
    for (POSITION pos = m_ExeList.m_List.GetHeadPosition(); pos;)
        DestroyIcon(m_ExeList.m_List.GetNext(pos).hIcon);
    for (POSITION pos = m_QLList.m_List.GetHeadPosition(); pos;)
        DestroyIcon(m_QLList.m_List.GetNext(pos).hIcon);
    DestroyWindows();
    m_dcBack.DeleteDC();
    m_dcLogo.DeleteDC();
    m_bmpDefaultSkin.DeleteObject();
    for (HBITMAP* image : {&m_hSkinImage, &m_hLogoImage})
        if (*image) {
            DeleteObject(*image);
            *image = nullptr;
        }
    ShowInputPanelButton(SW_SHOW);
}
