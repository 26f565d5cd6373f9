#include <platform/CWnd.h>
#include <platform/Hotkeys.h>

#include "windows/WindowState.h"

#include <QCoreApplication>
#include <QKeyEvent>

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Hit {
    WPARAM id;
    LPARAM lParam;
    UINT key;
    friend bool operator==(const Hit&, const Hit&) = default;
};

class HotKeyWindow : public CWnd {
public:
    ~HotKeyWindow() override { DestroyWindow(); }
    std::vector<Hit> hits;
    std::vector<UINT> keys;

protected:
    void OnHotKey(UINT id, UINT modifiers, UINT key) {
        hits.push_back({id, MAKELPARAM(static_cast<int>(modifiers), static_cast<int>(key)), key});
    }
    void OnKeyDown(UINT key, UINT, UINT) { keys.push_back(key); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(HotKeyWindow, CWnd)
ON_WM_HOTKEY()
ON_WM_KEYDOWN()
END_MESSAGE_MAP()

using ReleaseFunc = BOOL (*)(UINT, UINT);

ReleaseFunc Release() {
    HMODULE core = LoadLibraryW(u"coredll.dll");
    auto release = reinterpret_cast<ReleaseFunc>(GetProcAddress(core, "UnregisterFunc1"));
    FreeLibrary(core);
    return release;
}

void Press(CWnd& w, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QCoreApplication::sendEvent(platform::detail::WindowState::Of(w.GetSafeHwnd())->widget, &press);
    platform::PumpMessages();
}

class HotKeys : public ::testing::Test {
protected:
    void SetUp() override {
        a.Create(nullptr, u"a", 0, RECT{0, 0, 10, 10}, nullptr, 0);
        b.Create(nullptr, u"b", 0, RECT{0, 0, 10, 10}, nullptr, 0);
    }
    void TearDown() override {
        for (UINT vk = VK_APP1; vk <= VK_APP15; ++vk)
            Release()(MOD_WIN, vk);
    }
    HotKeyWindow a, b;
};

TEST_F(HotKeys, AKeyBelongsToOneWindowUntilTheReleaseFunctionTakesIt) {
    ASSERT_NE(Release(), nullptr);
    EXPECT_TRUE(RegisterHotKey(a, 0xC2, MOD_WIN, 0xC2));
    EXPECT_FALSE(RegisterHotKey(b, 0xC2, MOD_WIN, 0xC2));
    EXPECT_EQ(platform::HotKeyOwner(0xC2), a.GetSafeHwnd());
    EXPECT_FALSE(UnregisterHotKey(b, 0xC2)) << "b holds nothing to release";
    EXPECT_TRUE(Release()(MOD_WIN, 0xC2));
    EXPECT_TRUE(RegisterHotKey(b, 0xC2, MOD_WIN, 0xC2));
    EXPECT_FALSE(UnregisterHotKey(a, 0xC2));
    EXPECT_EQ(platform::HotKeyOwner(0xC2), b.GetSafeHwnd());
    EXPECT_TRUE(UnregisterHotKey(b, 0xC2));
    EXPECT_EQ(platform::HotKeyOwner(0xC2), nullptr);

    HotKeyWindow gone;
    gone.Create(nullptr, u"gone", 0, RECT{0, 0, 5, 5}, nullptr, 0);
    RegisterHotKey(gone, 0xC3, MOD_WIN, 0xC3);
    gone.DestroyWindow();
    EXPECT_EQ(platform::HotKeyOwner(0xC3), nullptr) << "a destroyed window holds no key";
    EXPECT_TRUE(RegisterHotKey(a, 0xC3, MOD_WIN, 0xC3));
}

TEST_F(HotKeys, OnlyApplicationButtonsRegister) {
    for (auto [key, registers] :
         {std::pair{0xC0u, false}, {0xC1u, true}, {0xCFu, true}, {0xD0u, false}})
        EXPECT_EQ(RegisterHotKey(a, key, MOD_WIN, key), registers) << std::hex << key;
}

// Held buttons arrive as hot-key messages to their owner; keys nobody holds stay ordinary.
TEST_F(HotKeys, ButtonsArriveAsHotKeyMessagesToTheirOwner) {
    RegisterHotKey(a, 0xC2, MOD_WIN, 0xC2);
    RegisterHotKey(b, 0xC1, MOD_WIN, 0xC1);
    RegisterHotKey(b, 0xCF, MOD_WIN, 0xCF);
    Press(b, Qt::Key_F2);
    Press(a, Qt::Key_Launch1);
    Press(a, Qt::Key_F3, Qt::ShiftModifier);
    Press(a, Qt::Key_F5);
    Press(a, Qt::Key_F2, Qt::ControlModifier);
    EXPECT_EQ(a.hits, (std::vector<Hit>{{0xC2, MAKELPARAM(8, 0xC2), 0xC2}}));
    EXPECT_EQ(b.hits, (std::vector<Hit>{{0xC1, MAKELPARAM(8, 0xC1), 0xC1},
                                        {0xCF, MAKELPARAM(8, 0xCF), 0xCF}}));
    EXPECT_EQ(a.keys, (std::vector<UINT>{0x74, 0x71}));
}

TEST(Modules, OnlyTheCoreLibraryAndItsReleaseFunctionExist) {
    EXPECT_EQ(LoadLibraryW(u"other.dll"), nullptr);
    HMODULE core = LoadLibraryW(u"COREDLL.DLL");
    ASSERT_NE(core, nullptr);
    EXPECT_EQ(GetProcAddress(core, "RegisterHotKey"), nullptr);
    EXPECT_NE(GetProcAddress(core, "UnregisterFunc1"), nullptr);
    EXPECT_TRUE(FreeLibrary(core));
}

TEST(Modules, DesktopNamesOfTheButtons) {
    const std::pair<UINT, std::u16string> rows[] = {
        {0xC1, u"F1"}, {0xCC, u"F12"}, {0xCD, u"Shift+F1"}, {0xCF, u"Shift+F3"}, {0x41, u""}};
    for (const auto& [key, name] : rows)
        EXPECT_EQ(platform::HotKeyDesktopName(key), name) << std::hex << key;
}

} // namespace
