#include "WindowTestSupport.h"

#include <mirvane/CQuickLWnd.h>

#include <platform/Shell.h>
#include <platform/ShellExecute.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using namespace mirvanetest;

class TestBar : public CQuickLWnd {
public:
    CRect Cell(int i) const { return m_rcCells[i]; }
    int Pressed() const { return m_nPressed; }
};

struct Start {
    DWORD cbSize;
    ULONG fMask;
    bool bOwner, bVerb, bParameters, bDirectory;
    std::u16string file;
    int nShow;
};

constexpr RECT kBarPlace{10, 163, 85, 288};

// Entry i's icon is split down the middle into two colours.
constexpr COLORREF LeftColor(int i) {
    return RGB(static_cast<BYTE>(10 + 20 * i), 200, 30);
}
constexpr COLORREF RightColor(int i) {
    return RGB(200, static_cast<BYTE>(10 + 20 * i), 90);
}

class QuickLaunch : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        platform::SetShellExecuteHook([this](const SHELLEXECUTEINFO& r) {
            m_started.push_back({r.cbSize, r.fMask, r.hwnd != nullptr, r.lpVerb != nullptr,
                                 r.lpParameters != nullptr, r.lpDirectory != nullptr,
                                 r.lpFile ? r.lpFile : u"", r.nShow});
            return TRUE;
        });
    }
    void TearDown() override {
        platform::SetShellExecuteHook(nullptr);
        m_wnd.reset();
        WindowTest::TearDown();
    }

    std::u16string PathOf(int i) { return u"\\Windows\\Prog" + Digits(i) + u".desktop"; }
    static std::u16string Digits(int i) {
        std::string s = std::to_string(i);
        return {s.begin(), s.end()};
    }

    // Program i: a desktop entry whose icon is a 16 x 16 picture of its two colours.
    void AddEntries(int nCount) {
        for (int k = 0; k < nCount; ++k) {
            int i = m_list.m_List.GetCount();
            auto picture = Device() / "icons" / ("prog" + std::to_string(i) + ".png");
            std::filesystem::create_directories(picture.parent_path());
            Surface icon(16, 16);
            icon.dc().FillSolidRect(0, 0, 8, 16, LeftColor(i));
            icon.dc().FillSolidRect(8, 0, 8, 16, RightColor(i));
            ASSERT_TRUE(platform::SaveBitmapImage(icon.bitmap(), picture.c_str()));
            testsupport::WriteFile(Device() / "Windows" / ("Prog" + std::to_string(i) + ".desktop"),
                                   "[Desktop Entry]\nType=Application\nName=Prog\nExec=/bin/true\n"
                                   "Icon=" +
                                       picture.string() + "\n");
            AddEntry(PathOf(i), true);
        }
    }
    void AddEntry(const std::u16string& path, bool bIcon) {
        QLICONDATA entry;
        entry.PK = m_list.m_List.GetCount();
        std::copy(path.begin(), path.end(), entry.QLPath);
        if (bIcon) {
            SHFILEINFO info;
            SHGetFileInfo(entry.QLPath, 0, &info, sizeof(info), 0x301);
            entry.hIcon = info.hIcon;
        }
        m_list.m_List.AddTail(entry);
    }

    bool Open(RECT place = kBarPlace) {
        m_wnd.emplace();
        m_wnd->SetListPtr(&m_list);
        if (!m_wnd->Create(nullptr, u"QLWND", WS_CHILD | WS_VISIBLE, place, &m_parent, 5555))
            return false;
        m_wnd->MakeInitWnd(m_skin->dc(), CRect(place));
        return true;
    }
    HWND Hwnd() { return m_wnd->GetSafeHwnd(); }
    COLORREF At(int x, int y) { return Shown(Hwnd(), x, y); }
    COLORREF SkinAt(int x, int y) { return SkinColor(x + kBarPlace.left, y + kBarPlace.top); }
    void Press(int x, int y) { m_wnd->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)); }
    void Release(int x, int y) { m_wnd->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }
    int Copies() { return platform::WindowCopyCount(Hwnd()); }

    // The bar at rest: the skin with the first nIcons entries' icons at their cells + (2, 2).
    std::vector<Mismatch> CompareWithRest(int nIcons) {
        Surface picture(75, 125);
        picture.dc().BitBlt(0, 0, 75, 125, &m_skin->dc(), kBarPlace.left, kBarPlace.top, SRCCOPY);
        for (int i = 0; i < nIcons; ++i) {
            int x = 25 * (i % 3) + 2, y = 25 * (i / 3) + 2;
            picture.dc().FillSolidRect(x, y, 8, 16, LeftColor(i));
            picture.dc().FillSolidRect(x + 8, y, 8, 16, RightColor(i));
        }
        return Differences(Hwnd(), picture.dc(), 75, 125);
    }

    std::optional<TestBar> m_wnd;
    CGetQLIconInfo m_list;
    std::vector<Start> m_started;
};

TEST_F(QuickLaunch, CellsAreTwentyPixelSquaresTwentyFiveApart) {
    ASSERT_TRUE(Open());
    EXPECT_EQ(m_wnd->Cell(0), CRect(0, 0, 20, 20));
    EXPECT_EQ(m_wnd->Cell(1), CRect(25, 0, 45, 20));
    EXPECT_EQ(m_wnd->Cell(2), CRect(50, 0, 70, 20));
    EXPECT_EQ(m_wnd->Cell(3), CRect(0, 25, 20, 45));
    EXPECT_EQ(m_wnd->Cell(14), CRect(50, 100, 70, 120));
    EXPECT_EQ(m_wnd->Pressed(), -1);
}

TEST_F(QuickLaunch, RestShowsEachIconInItsCellOverTheSkin) {
    AddEntries(5);
    ASSERT_TRUE(Open());
    auto found = CompareWithRest(5);
    EXPECT_TRUE(found.empty()) << Describe(found);
}

TEST_F(QuickLaunch, FifteenEntriesFillTheBar) {
    AddEntries(12);
    ASSERT_TRUE(Open());
    auto found = CompareWithRest(12);
    EXPECT_TRUE(found.empty()) << Describe(found);
}

TEST_F(QuickLaunch, EmptyListShowsTheSkinAlone) {
    ASSERT_TRUE(Open());
    auto found = CompareWithRest(0);
    EXPECT_TRUE(found.empty()) << Describe(found);
    Press(5, 5);
    Release(5, 5);
    EXPECT_TRUE(m_started.empty());
}

TEST_F(QuickLaunch, DrawListFollowsTheChangedList) {
    AddEntries(4);
    ASSERT_TRUE(Open());
    m_list.m_List.RemoveTail();
    int before = Copies();
    m_wnd->DrawList();
    EXPECT_EQ(Copies(), before + 1) << "one copy shows the new picture";
    auto found = CompareWithRest(3);
    EXPECT_TRUE(found.empty()) << Describe(found);
    // The resting look after a press is the new picture too.
    Press(5, 5);
    Release(30, 30);
    found = CompareWithRest(3);
    EXPECT_TRUE(found.empty()) << Describe(found);
}

TEST_F(QuickLaunch, PressedCellShowsItsIconEnlargedUntilReleased) {
    AddEntries(4);
    ASSERT_TRUE(Open());
    int before = Copies();
    Press(55, 10);
    EXPECT_EQ(m_wnd->Pressed(), 2);
    EXPECT_EQ(Copies(), before + 1) << "only the cell is copied";
    // The 16 x 16 icon fills the 20 x 20 cell: its left half the cell's left ten columns.
    for (int y = 0; y < 20; ++y)
        for (int x = 50; x < 70; ++x)
            ASSERT_EQ(At(x, y), x < 60 ? LeftColor(2) : RightColor(2)) << x << "," << y;
    EXPECT_EQ(At(49, 10), SkinAt(49, 10));
    EXPECT_EQ(At(70, 10), SkinAt(70, 10));
    EXPECT_EQ(At(60, 20), SkinAt(60, 20));
    EXPECT_TRUE(m_started.empty()) << "nothing starts on the press";

    Release(55, 10);
    EXPECT_EQ(m_wnd->Pressed(), -1);
    EXPECT_EQ(GetCapture(), nullptr);
    auto found = CompareWithRest(4);
    EXPECT_TRUE(found.empty()) << Describe(found);
    ASSERT_EQ(m_started.size(), 1u);
    const Start& start = m_started[0];
    EXPECT_EQ(start.file, PathOf(2));
    EXPECT_EQ(start.cbSize, 60u);
    EXPECT_EQ(start.fMask, 0u);
    EXPECT_EQ(start.nShow, 5);
    EXPECT_FALSE(start.bOwner || start.bVerb || start.bParameters || start.bDirectory);
}

TEST_F(QuickLaunch, SlidingOffThePressedCellCancelsTheStart) {
    AddEntries(4);
    ASSERT_TRUE(Open());
    Press(5, 5);
    ASSERT_EQ(m_wnd->Pressed(), 0);
    ASSERT_EQ(At(12, 12), RightColor(0)) << "cell 0 is pressed";
    Release(30, 5);
    EXPECT_TRUE(m_started.empty());
    auto found = CompareWithRest(4);
    EXPECT_TRUE(found.empty()) << Describe(found);
    // Leaving the bar altogether cancels too; the capture brings the release here.
    Press(30, 5);
    Release(-40, 300);
    EXPECT_TRUE(m_started.empty());
}

TEST_F(QuickLaunch, PressOutsideTheOccupiedCellsOnlyCaptures) {
    AddEntries(4);
    ASSERT_TRUE(Open());
    int before = Copies();
    for (POINT p : {POINT{30, 30}, POINT{22, 5}, POINT{5, 22}, POINT{72, 5}, POINT{20, 20}}) {
        Press(p.x, p.y);
        EXPECT_EQ(GetCapture(), Hwnd()) << p.x << "," << p.y;
        EXPECT_EQ(m_wnd->Pressed(), -1) << p.x << "," << p.y;
        Release(p.x, p.y);
        EXPECT_EQ(GetCapture(), nullptr);
    }
    EXPECT_EQ(Copies(), before);
    EXPECT_TRUE(m_started.empty());
    // The misses leave nothing behind that would block a press on an occupied cell.
    Press(30, 5);
    EXPECT_EQ(m_wnd->Pressed(), 1);
}

TEST_F(QuickLaunch, EntryWithoutIconShowsSkinButStarts) {
    AddEntries(1);
    AddEntry(u"\\Windows\\missing.exe", false);
    ASSERT_TRUE(Open());
    auto found = CompareWithRest(1);
    EXPECT_TRUE(found.empty()) << Describe(found);
    Press(30, 5);
    Release(31, 6);
    ASSERT_EQ(m_started.size(), 1u);
    EXPECT_EQ(m_started[0].file, u"\\Windows\\missing.exe");
}

TEST_F(QuickLaunch, DrawLineDrawsTwoTonesOnTheNextCopy) {
    ASSERT_TRUE(Open());
    m_wnd->DrawLine(CPoint(5, 60), CPoint(40, 60), 1000);
    m_wnd->DrawLine(CPoint(60, 30), CPoint(60, 50), 7);
    EXPECT_EQ(At(10, 60), SkinAt(10, 60)) << "the lines wait for the next copy";
    m_wnd->Invalidate();
    m_wnd->UpdateWindow();
    const COLORREF dark = RGB(50, 21, 171), light = RGB(178, 149, 171);
    for (int x = 5; x < 40; ++x) {
        EXPECT_EQ(At(x, 60), dark) << x;
        EXPECT_EQ(At(x, 61), light) << x;
    }
    EXPECT_EQ(At(40, 60), SkinAt(40, 60)) << "the end point is not drawn";
    EXPECT_EQ(At(5, 59), SkinAt(5, 59));
    EXPECT_EQ(At(5, 62), SkinAt(5, 62));
    for (int y = 30; y < 50; ++y) {
        EXPECT_EQ(At(60, y), dark) << y;
        EXPECT_EQ(At(61, y), light) << y;
    }
    EXPECT_EQ(At(59, 40), SkinAt(59, 40));
    EXPECT_EQ(At(62, 40), SkinAt(62, 40));
}

TEST_F(QuickLaunch, WindowWithoutSurfacesIsRefused) {
    EXPECT_FALSE(Open(RECT{10, 163, 10, 163}));
    EXPECT_EQ(Hwnd(), nullptr);
}

TEST_F(QuickLaunch, DestroyingTheWindowFreesItsSurfaces) {
    AddEntries(3);
    int live = platform::LiveGdiObjectCount();
    ASSERT_TRUE(Open());
    Press(5, 5);
    Release(5, 5);
    m_wnd->DrawLine(CPoint(0, 0), CPoint(10, 10), 0);
    m_wnd.reset();
    EXPECT_EQ(platform::LiveGdiObjectCount(), live);
}

TEST_F(QuickLaunch, SavedForLooking) {
    for (const char16_t* path :
         {u"\\Windows\\iexplore.exe", u"\\Windows\\Calc.exe", u"\\Windows\\notes.txt",
          u"\\Windows\\Start Menu\\Programs", u"\\Windows\\pword.exe"})
        AddEntry(path, true);
    ASSERT_TRUE(Open());
    auto picture = PictureFolder() / "QuickLaunch.png";
    EXPECT_TRUE(platform::SaveWindowImage(Hwnd(), picture.c_str()));
    Press(30, 5);
    auto pressed = PictureFolder() / "QuickLaunchPressed.png";
    EXPECT_TRUE(platform::SaveWindowImage(Hwnd(), pressed.c_str()));
    Release(30, 5);
}

} // namespace
