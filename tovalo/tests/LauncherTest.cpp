#include "LauncherFixture.h"
#include "LauncherValues.h"

#include <platform/Gdi.h>
#include <platform/Hotkeys.h>
#include <platform/Registry.h>
#include <testsupport/ImageFiles.h>
#include <testsupport/Surface.h>

#include <iterator>

namespace {

namespace fs = std::filesystem;
using namespace tovalo::test;

TEST_F(LauncherTest, AFirstStartFillsTheStoreFromTheStartMenuAndShowsTheMainScreen) {
    testsupport::MakeStartMenu(Device(), {"Calendar.lnk", "Notes.lnk", "Games/Solitaire.lnk"});
    Start();
    Texts names = ProgramNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (Texts{u"Calendar", u"Notes", u"Solitaire"}));
    RECT r;
    View().m_pIconListWnd->GetWindowRect(&r);
    EXPECT_EQ(r, (RECT{122, 7, 240, 294}));
    View().m_pGroupListWnd->GetWindowRect(&r);
    EXPECT_EQ(r, (RECT{0, 13, 118, 123}));
    View().m_pQuickLWnd->GetWindowRect(&r);
    EXPECT_EQ(r, (RECT{10, 163, 85, 288}));
    EXPECT_TRUE(m_messages.empty()) << "the logo loads";
    // The logo is drawn over the skin with its red left out.
    int logo = 0, red = 0;
    for (int y = 137; y < 158; ++y)
        for (int x = 8; x < 84; ++x) {
            const COLORREF c = Shown(x, y);
            logo += c != Shown(x, 120) ? 1 : 0;
            red += c == RGB(255, 0, 0) ? 1 : 0;
        }
    EXPECT_GT(logo, 50);
    EXPECT_EQ(red, 0);
    // The frame carries the launcher's own icon: drawn over black, the orange hub in the middle
    // of a 48-pixel picture with a clear corner.
    ASSERT_NE(Frame().GetIcon(FALSE), nullptr);
    testsupport::Surface surface(64, 64, RGB(0, 0, 0));
    surface.dc.DrawIcon(0, 0, Frame().GetIcon(TRUE));
    EXPECT_EQ(surface.dc.GetPixel(24, 24), RGB(252, 148, 54));
    EXPECT_EQ(surface.dc.GetPixel(0, 0), RGB(0, 0, 0));
}

TEST_F(LauncherTest, SkinsSmallerThan240By294AreRefusedAndALargeOneShowsItsTopLeftCorner) {
    Start();
    View().ChangeSkin(Put("exact.bmp", testsupport::MakeSolidBmp(240, 294, 0x5a7896)));
    EXPECT_TRUE(m_messages.empty());
    EXPECT_EQ(Shown(200, 100), RGB(90, 120, 150));
    for (auto [w, h] : {std::pair{239, 294}, std::pair{240, 293}}) {
        m_messages.clear();
        View().m_RegData.SkinToggle(0);
        View().ChangeSkin(Put("small.bmp", testsupport::MakeSolidBmp(w, h, 0x5a7896)));
        EXPECT_EQ(m_messages, Texts{u"Picture should be larger than 240*294."});
        EXPECT_NE(Shown(200, 100), RGB(90, 120, 150)) << "the built-in skin is shown";
        EXPECT_EQ(View().m_RegData.CheckSkin(), 1u);
    }
    std::string pixels; // rows bottom first: green in the top-left 240 x 294, magenta elsewhere
    for (int y = 639; y >= 0; --y)
        for (int x = 0; x < 480; ++x)
            pixels += x < 240 && y < 294 ? "\x5a\xa0\x1e" : "\xc8\x28\xc8";
    View().ChangeSkin(Put("large.bmp", testsupport::MakeBmp(480, 640, 24, 480 * 640 * 3, pixels)));
    EXPECT_EQ(Shown(239, 293), RGB(30, 160, 90));
    EXPECT_EQ(Shown(0, 0), RGB(30, 160, 90));
    // The windows take their background from the new skin: a corner of the bar's gap.
    EXPECT_EQ(Shown(22, 22, View().m_pQuickLWnd), RGB(30, 160, 90));
}

TEST_F(LauncherTest, AStoredSkinThatCannotBeShownLeavesTheBuiltInOneAndStaysStored) {
    const struct {
        int state;
        Texts messages;
    } rows[] = {{1, {}}, {0, {u"DII Failed!"}}, {7, {}}};
    constexpr char16_t kGone[] = u"\\Windows\\gone.jpg";
    COLORREF builtIn = CLR_INVALID;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.state);
        {
            CPXRegData store;
            store.InitRegistry();
            store.ApplySkin(reinterpret_cast<const BYTE*>(kGone), sizeof kGone);
            store.SkinToggle(row.state);
        }
        m_messages.clear();
        Start();
        EXPECT_EQ(m_messages, row.messages);
        EXPECT_EQ(View().m_RegData.CheckSkin(), static_cast<DWORD>(row.state));
        EXPECT_EQ(View().m_RegData.GetSkinPath(), CString(kGone));
        if (row.state == 1)
            builtIn = Shown(200, 100);
        EXPECT_EQ(Shown(200, 100), builtIn) << "the built-in skin";
        Exit();
    }
}

TEST_F(LauncherTest, StoredKeyNumbersFrom1To15BindTheirCodes) {
    const struct {
        int set, hide; // 0: none stored
        UINT setCode, hideCode;
    } rows[] = {{16, 0, 0, 0xC3}, {15, 13, 0xCF, 0xCD}};
    CPXRegData().InitRegistry();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.set);
        for (auto [name, number] : {std::pair{u"SetKey", row.set}, std::pair{u"HideKey", row.hide}})
            if (number != 0)
                WriteLauncherValue(name, number);
        Start();
        EXPECT_EQ(View().m_nSetKeyCode, row.setCode);
        EXPECT_EQ(View().m_nHideKeyCode, row.hideCode);
        for (UINT code : {row.setCode, row.hideCode})
            EXPECT_EQ(platform::HotKeyOwner(code), code != 0 ? View().GetSafeHwnd() : HWND{});
        EXPECT_EQ(platform::HotKeyOwner(0xC4), nullptr);
        Exit();
    }
}

TEST_F(LauncherTest, TheKeysAndTheTrayIconBringTheLauncherAndItsSheetForward) {
    Start();
    Frame().PostMessage(WM_CLOSE); // hides the launcher
    platform::PumpMessages();
    int menus = 0, nested = 0;
    platform::SetPopupMenuHook([&](const std::vector<MenuItem>& items, POINT) {
        ++menus;
        EXPECT_EQ(items.size(), 5u);
        EXPECT_EQ(items[0].text, u"Setting");
        EXPECT_EQ(items[2].text, u"View");
        EXPECT_EQ(items[4].text, u"Exit");
        return UINT{0};
    });
    m_modals.Then([&](testsupport::DialogDriver&) {
        EXPECT_TRUE(Frame().IsWindowVisible());
        // The key again, or the tray icon, while the sheet is open: no second sheet, no menu.
        View().SendMessage(WM_HOTKEY, 0xC2, 0);
        EXPECT_EQ(Frame().SendMessage(WM_TRAYNOTIFY, ID_TRAY_ICON, WM_LBUTTONDOWN), 0);
        ++nested;
        return IDCANCEL;
    });
    View().SendMessage(WM_HOTKEY, 0xC2, 0);
    EXPECT_EQ(m_modals.Titles(), Texts{u"Tovalo Setting"});
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(menus, 0);
    EXPECT_FALSE(Frame().IsWindowVisible()) << "hidden again as it was";
    EXPECT_EQ(Frame().SendMessage(WM_TRAYNOTIFY, ID_TRAY_ICON, WM_LBUTTONDOWN), 1);
    EXPECT_EQ(menus, 1);
    platform::SetPopupMenuHook(nullptr);
}

TEST_F(LauncherTest, TheWheelAndTheColumnStayOnOneGroup) {
    Store({u"Office"}, {{u"C", 1}, {u"A", 0}, {u"D", 1}, {u"B", 0}}); // slots out of group order
    Start();
    EXPECT_EQ(ProgramNames(), (Texts{u"A", u"B", u"C", u"D"})) << "by group, then by slot";
    ASSERT_EQ(View().m_GroupList.m_List.GetCount(), 2);
    View().SendMessage(WM_KEYDOWN, VK_RIGHT, 0); // the wheel turns to "Office"
    EXPECT_EQ(View().m_pGroupListWnd->GetCurGroup().PK, 1);
    View().SendMessage(WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(m_started, Texts{u"\\Windows\\C.exe"});
    View().SendMessage(WM_KEYDOWN, VK_UP, 0); // back into "etc."
    EXPECT_EQ(View().m_pGroupListWnd->GetCurGroup().PK, 0);
    View().SendMessage(WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(m_started.back(), u"\\Windows\\B.exe");
    // A group the wheel already shows turns nothing; a key no group has stops after one turn.
    for (LPARAM key : {0, 17}) {
        View().SendMessage(0x19B3, 1, key);
        EXPECT_EQ(View().m_pGroupListWnd->GetCurGroup().PK, 0);
    }
}

TEST_F(LauncherTest, ExitReleasesEverythingItMade) {
    const int gdi = platform::LiveGdiObjectCount();
    const int icons = platform::LiveIconCount();
    testsupport::MakeStartMenu(Device(), {"A.lnk", "B.lnk"});
    Start();
    Exit();
    EXPECT_EQ(platform::LiveGdiObjectCount(), gdi);
    EXPECT_EQ(platform::LiveIconCount(), icons);
    EXPECT_EQ(FindWindowW(nullptr, u"Tovalo"), nullptr);
    EXPECT_EQ(platform::HotKeyOwner(0xC2), nullptr);
}

TEST_F(LauncherTest, ADamagedOrUnreadableStoreIsToldAndTheStartFailsWritingNothing) {
    // A sound store kept in the history first, so that the message can name a backup.
    CPXRegData().InitRegistry();
    ASSERT_TRUE(platform::BackUpRegistry(platform::BackupReason::Start).ok);
    const fs::path backups = Device() / "backups";
    const auto kept = std::distance(fs::directory_iterator(backups), fs::directory_iterator());
    const fs::path hive = Device() / "registry.db";
    for (bool file : {true, false}) {
        SCOPED_TRACE(file ? "a file that is no hive" : "a folder in the hive's place");
        platform::CloseRegistry();
        m_messages.clear();
        fs::remove_all(hive);
        const std::string content = file ? std::string(5000, 'G') : "";
        file ? testsupport::WriteFile(hive, content) : (void)fs::create_directory(hive);

        CTovaloApp app;
        EXPECT_FALSE(app.InitInstance());
        EXPECT_EQ(app.ExitInstance(), 1);
        EXPECT_EQ(m_messages, Texts{platform::RegistryProblemText()});
        EXPECT_EQ(FindWindowW(nullptr, u"Tovalo"), nullptr);
        EXPECT_EQ(file ? testsupport::ReadFile(hive) : "", content);
        EXPECT_EQ(std::distance(fs::directory_iterator(backups), fs::directory_iterator()), kept)
            << "a damaged file must not join the backups";
    }
}

TEST_F(LauncherTest, AChangeTheStoreCouldNotKeepIsToldOncePerOperation) {
    Start();
    ASSERT_TRUE(m_messages.empty());
    HKEY skin = nullptr;
    const std::u16string skinKey = u"Software\\NorviSoft\\NorviLuncher\\Skin";
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, skinKey.c_str(), &skin), ERROR_SUCCESS);
    // Another program deletes the key under the launcher's hands.
    ASSERT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, skinKey.c_str()), ERROR_SUCCESS);
    // Two values fail in one operation, then one in a later one: a message for each operation.
    const DWORD one = 1;
    for (const auto& names : {Texts{u"SkinCheck", u"PATHSKIN"}, Texts{u"SkinCheck"}}) {
        for (const auto& name : names)
            EXPECT_EQ(RegSetValueExW(skin, name.c_str(), REG_DWORD,
                                     reinterpret_cast<const BYTE*>(&one), sizeof one),
                      ERROR_KEY_DELETED);
        platform::PumpMessages();
    }
    EXPECT_EQ(m_messages.size(), 2u);
    RegCloseKey(skin);
}

} // namespace
