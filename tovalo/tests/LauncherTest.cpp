#include "LauncherFixture.h"

#include "HardwareKeys.h"

#include <platform/Hotkeys.h>
#include <platform/Registry.h>
#include <testsupport/Surface.h>

namespace {

using namespace tovalo::test;

constexpr const WCHAR* kRoot = u"Software\\NorviSoft\\NorviLuncher";

void SetRootDword(const WCHAR* name, DWORD value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kRoot, &key), ERROR_SUCCESS);
    RegSetValueExW(key, name, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
}

COLORREF ShownIn(CWnd* wnd, int x, int y) {
    wnd->Invalidate();
    wnd->UpdateWindow();
    HDC dc = GetDC(*wnd);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(*wnd, dc);
    return c;
}

TEST_F(LauncherTest, FirstStartFillsTheStoreFromTheStartMenu) {
    StartMenu({"Calendar.lnk", "Notes.lnk", "Games/Solitaire.lnk"});
    Start();
    std::vector<std::u16string> names = ProgramNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::u16string>{u"Calendar", u"Notes", u"Solitaire"}));
    ASSERT_EQ(View().m_GroupList.m_List.GetCount(), 1);
    EXPECT_EQ(std::u16string(View().m_GroupList.GetIcon(0).GroupName), u"etc.");
    // Sorted by group and, within the group, by slot.
    CGetExeIconInfo& list = View().m_ExeList;
    for (int i = 1; i < list.m_List.GetCount(); ++i)
        EXPECT_LT(list.GetIcon(i - 1).PK, list.GetIcon(i).PK);
    // The built-in skin is recorded as the choice.
    EXPECT_EQ(View().m_RegData.CheckSkin(), 1u);
    // The three windows lie where the main screen has them.
    RECT r;
    View().m_pIconListWnd->GetWindowRect(&r);
    EXPECT_EQ(r, (RECT{122, 7, 240, 294}));
    View().m_pGroupListWnd->GetWindowRect(&r);
    EXPECT_EQ(r, (RECT{0, 13, 118, 123}));
    View().m_pQuickLWnd->GetWindowRect(&r);
    EXPECT_EQ(r, (RECT{10, 163, 85, 288}));
    EXPECT_TRUE(m_messages.empty()) << "the logo loads";
}

TEST_F(LauncherTest, TheLogoIsDrawnOverTheSkinWithRedLeftOut) {
    Start();
    int logo = 0, red = 0;
    for (int y = 137; y < 158; ++y)
        for (int x = 8; x < 84; ++x) {
            const COLORREF c = Shown(x, y);
            logo += c != Shown(x, 120) ? 1 : 0;
            red += c == RGB(255, 0, 0) ? 1 : 0;
        }
    EXPECT_GT(logo, 50);
    EXPECT_EQ(red, 0);
}

TEST_F(LauncherTest, ASecondStartFindsTheFirst) {
    Start();
    CTovaloApp second;
    EXPECT_FALSE(second.InitInstance());
    EXPECT_EQ(FindWindowW(nullptr, u"Tovalo"), Frame().GetSafeHwnd());
}

COLORREF Quadrants(int x, int y) {
    return x < 240 && y < 294 ? RGB(30, 160, 90) : RGB(200, 40, 200);
}
COLORREF Plain(int, int) {
    return RGB(90, 120, 150);
}

TEST_F(LauncherTest, SkinsOfAtLeast240By294AreTakenAndSmallerOnesRefused) {
    Start();
    View().ChangeSkin(Put("exact.bmp", MakeBmp(240, 294, Plain)));
    EXPECT_TRUE(m_messages.empty());
    EXPECT_EQ(Shown(200, 100), RGB(90, 120, 150));
    for (auto [w, h] : {std::pair{239, 294}, std::pair{240, 293}}) {
        m_messages.clear();
        View().m_RegData.SkinToggle(0);
        View().ChangeSkin(Put("small.bmp", MakeBmp(w, h, Plain)));
        EXPECT_EQ(m_messages,
                  (std::vector<std::u16string>{u"Picture should be larger than 240*294."}));
        EXPECT_NE(Shown(200, 100), RGB(90, 120, 150)) << "the built-in skin is shown";
        EXPECT_EQ(View().m_RegData.CheckSkin(), 1u);
    }
}

TEST_F(LauncherTest, ALargeSkinShowsItsTopLeftCorner) {
    Start();
    View().ChangeSkin(Put("large.bmp", MakeBmp(480, 640, Quadrants)));
    EXPECT_EQ(Shown(239, 293), RGB(30, 160, 90));
    EXPECT_EQ(Shown(0, 0), RGB(30, 160, 90));
    // The windows take their background from the new skin: a corner of the bar's gap.
    EXPECT_EQ(ShownIn(View().m_pQuickLWnd, 22, 22), RGB(30, 160, 90));
}

TEST_F(LauncherTest, AStoredSkinThatIsGoneFallsBackToTheBuiltInOneAndStaysStored) {
    {
        CPXRegData store;
        store.InitRegistry();
        const std::u16string path = u"\\Windows\\gone.jpg";
        store.ApplySkin(reinterpret_cast<const BYTE*>(path.c_str()),
                        static_cast<int>((path.size() + 1) * 2));
        store.SkinToggle(0);
    }
    Start();
    EXPECT_EQ(m_messages, (std::vector<std::u16string>{u"DII Failed!"}));
    EXPECT_EQ(View().m_RegData.CheckSkin(), 0u);
    EXPECT_EQ(View().m_RegData.GetSkinPath(), CString(u"\\Windows\\gone.jpg"));
    // Not an empty (black) background.
    EXPECT_NE(Shown(200, 100), RGB(0, 0, 0));
}

TEST_F(LauncherTest, AnUnknownStoredSkinStateShowsTheBuiltInSkin) {
    {
        CPXRegData store;
        store.InitRegistry();
        store.SkinToggle(7);
    }
    Start();
    EXPECT_TRUE(m_messages.empty());
    EXPECT_NE(Shown(200, 100), RGB(0, 0, 0));
    EXPECT_EQ(View().m_RegData.CheckSkin(), 7u);
}

TEST_F(LauncherTest, HotkeysDefaultToButtonsTwoAndThree) {
    Start();
    EXPECT_EQ(View().m_nSetKeyCode, 0xC2u);
    EXPECT_EQ(View().m_nHideKeyCode, 0xC3u);
    EXPECT_EQ(platform::HotKeyOwner(0xC2), View().GetSafeHwnd());
    EXPECT_EQ(platform::HotKeyOwner(0xC3), View().GetSafeHwnd());
    EXPECT_EQ(platform::HotKeyOwner(0xC4), nullptr);
}

TEST_F(LauncherTest, StoredKeyNumbersBindTheirCodes) {
    {
        CPXRegData store;
        store.InitRegistry();
    }
    SetRootDword(u"SetKey", 15);
    SetRootDword(u"HideKey", 13);
    Start();
    EXPECT_EQ(View().m_nSetKeyCode, 0xCFu);
    EXPECT_EQ(View().m_nHideKeyCode, 0xCDu);
    EXPECT_EQ(platform::HotKeyOwner(0xCF), View().GetSafeHwnd());
}

TEST_F(LauncherTest, AStoredNumberOutOfRangeBindsNoKey) {
    {
        CPXRegData store;
        store.InitRegistry();
    }
    SetRootDword(u"SetKey", 16);
    Start();
    EXPECT_EQ(View().m_nSetKeyCode, 0u);
}

TEST_F(LauncherTest, TheMainScreenKeyBringsAHiddenLauncherBack) {
    Start();
    Frame().PostMessage(WM_CLOSE);
    platform::PumpMessages();
    EXPECT_FALSE(Frame().IsWindowVisible()) << "a posted close request only hides";
    EXPECT_TRUE(IsWindow(Frame()));
    View().SendMessage(WM_HOTKEY, 0xC3, MAKELPARAM(MOD_WIN, 0xC3));
    EXPECT_TRUE(Frame().IsWindowVisible());
    EXPECT_EQ(platform::HotKeyOwner(0xC3), View().GetSafeHwnd());
}

TEST_F(LauncherTest, TheSettingsKeyOpensTheSheetOnceAndRebindsTheKeys) {
    Start();
    Frame().ShowWindow(SW_HIDE);
    int nested = 0;
    m_duringModal = [&] {
        EXPECT_TRUE(Frame().IsWindowVisible());
        EXPECT_NE(FindWindowW(nullptr, u"Tovalo Setting"), nullptr);
        // The key again, while the sheet is open: no second sheet.
        View().SendMessage(WM_HOTKEY, 0xC2, 0);
        ++nested;
    };
    View().SendMessage(WM_HOTKEY, 0xC2, 0);
    EXPECT_EQ(m_modals.Titles(), (std::vector<std::u16string>{u"Tovalo Setting"}));
    EXPECT_EQ(nested, 1);
    EXPECT_FALSE(Frame().IsWindowVisible()) << "hidden again as it was";
    EXPECT_EQ(platform::HotKeyOwner(0xC2), View().GetSafeHwnd());
    EXPECT_EQ(platform::HotKeyOwner(0xC3), View().GetSafeHwnd());
}

TEST_F(LauncherTest, TheTrayIconBringsAnOpenSheetForwardInsteadOfTheMenu) {
    Start();
    int menus = 0;
    platform::SetPopupMenuHook([&](const std::vector<MenuItem>& items, POINT) {
        ++menus;
        EXPECT_EQ(items.size(), 5u);
        EXPECT_EQ(items[0].text, u"Setting");
        EXPECT_EQ(items[2].text, u"View");
        EXPECT_EQ(items[4].text, u"Exit");
        return UINT{0};
    });
    EXPECT_EQ(Frame().SendMessage(0x401, 102, WM_LBUTTONDOWN), 1);
    EXPECT_EQ(menus, 1);
    m_duringModal = [&] { EXPECT_EQ(Frame().SendMessage(0x401, 102, WM_LBUTTONDOWN), 0); };
    Frame().SendMessage(WM_COMMAND, 32771, 0);
    EXPECT_EQ(menus, 1);
    EXPECT_EQ(m_modals.Titles().size(), 1u);
    platform::SetPopupMenuHook(nullptr);
}

TEST_F(LauncherTest, TheWheelAndTheColumnStayOnOneGroup) {
    {
        CGetExeIconInfo programs;
        programs.InitReg();
        CGetGroupIconInfo groups;
        groups.InitReg();
        groups.InsertGroups(u"Office");
        for (const char16_t* name : {u"A", u"B", u"C", u"D"})
            programs.InsertExe(CString(u"\\Windows\\") + name + u".exe", name);
        programs.ModifyExe(u"C", 2, 1);
        programs.ModifyExe(u"D", 3, 1);
    }
    Start();
    ASSERT_EQ(View().m_GroupList.m_List.GetCount(), 2);
    View().SendMessage(WM_KEYDOWN, 0x27, 0); // right: the wheel turns to "Office"
    EXPECT_EQ(View().m_pGroupListWnd->GetCurGroup().PK, 1);
    View().SendMessage(WM_KEYDOWN, 0x0D, 0);
    EXPECT_EQ(m_started, (std::vector<std::u16string>{u"\\Windows\\C.exe"}));
    View().SendMessage(WM_KEYDOWN, 0x26, 0); // up: back into "etc."
    EXPECT_EQ(View().m_pGroupListWnd->GetCurGroup().PK, 0);
    View().SendMessage(WM_KEYDOWN, 0x0D, 0);
    EXPECT_EQ(m_started.back(), u"\\Windows\\B.exe");
    // A group the wheel already shows turns nothing.
    View().SendMessage(0x19B3, 1, 0);
    EXPECT_EQ(View().m_pGroupListWnd->GetCurGroup().PK, 0);
    // A key no group has stops after one full turn.
    View().SendMessage(0x19B3, 0, 17);
    EXPECT_EQ(View().m_pGroupListWnd->GetCurGroup().PK, 0);
}

TEST_F(LauncherTest, FrameCarriesTheLaunchersOwnIcon) {
    Start();
    ASSERT_NE(Frame().GetIcon(FALSE), nullptr);
    HICON big = Frame().GetIcon(TRUE);
    ASSERT_NE(big, nullptr);
    // Drawn at its own size over black: the orange hub in the middle, clear corners.
    testsupport::Surface surface(64, 64, RGB(0, 0, 0));
    surface.dc.DrawIcon(0, 0, big);
    EXPECT_EQ(surface.dc.GetPixel(24, 24), RGB(252, 148, 54));
    EXPECT_EQ(surface.dc.GetPixel(0, 0), RGB(0, 0, 0));
    EXPECT_EQ(surface.dc.GetPixel(50, 24), RGB(0, 0, 0)) << "a 48-pixel picture";
    EXPECT_NE(surface.dc.GetPixel(46, 24), RGB(0, 0, 0));
}

TEST_F(LauncherTest, ExitReleasesEverythingItMade) {
    const int gdi = platform::LiveGdiObjectCount();
    const int icons = platform::LiveIconCount();
    StartMenu({"A.lnk", "B.lnk"});
    Start();
    Exit();
    EXPECT_EQ(platform::LiveGdiObjectCount(), gdi);
    EXPECT_EQ(platform::LiveIconCount(), icons);
    EXPECT_EQ(FindWindowW(nullptr, u"Tovalo"), nullptr);
    EXPECT_EQ(platform::HotKeyOwner(0xC2), nullptr);
}

} // namespace
