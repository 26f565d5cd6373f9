#include "QuickLaunchSupport.h"

namespace {

using namespace mirvanetest;

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
    AddEntries(15);
    ASSERT_TRUE(Open());
    auto found = CompareWithRest(15);
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
    std::vector<RECT> copied;
    platform::SetWindowCopyHook([&](HWND hWnd, RECT area) {
        if (hWnd == Hwnd())
            copied.push_back(area);
    });
    Press(55, 10);
    EXPECT_EQ(m_wnd->Pressed(), 2);
    EXPECT_EQ(copied, (std::vector<RECT>{{50, 0, 70, 20}})) << "only the cell is copied";
    // The 16 x 16 icon fills the 20 x 20 cell: its left half the cell's left ten columns.
    for (int y = 0; y < 20; ++y)
        for (int x = 50; x < 70; ++x)
            ASSERT_EQ(At(x, y), x < 60 ? LeftColor(2) : RightColor(2)) << x << "," << y;
    EXPECT_EQ(At(49, 10), SkinAt(49, 10));
    EXPECT_EQ(At(70, 10), SkinAt(70, 10));
    EXPECT_EQ(At(60, 20), SkinAt(60, 20));
    EXPECT_TRUE(m_started.empty()) << "nothing starts on the press";

    Release(55, 10);
    platform::SetWindowCopyHook({});
    EXPECT_EQ(copied, (std::vector<RECT>(2, RECT{50, 0, 70, 20})));
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
    AddEntries(2);
    int live = platform::LiveGdiObjectCount();
    EXPECT_FALSE(Open(RECT{10, 163, 10, 163}));
    EXPECT_EQ(Hwnd(), nullptr);
    EXPECT_EQ(platform::LiveGdiObjectCount(), live) << "nothing half made stays";
    m_wnd->DrawList();
    m_wnd->DrawLine(CPoint(0, 0), CPoint(5, 5), 1000);
    EXPECT_EQ(platform::LiveGdiObjectCount(), live);
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

} // namespace
