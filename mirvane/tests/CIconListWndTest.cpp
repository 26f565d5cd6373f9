#include "IconListFixture.h"

#include <platform/Files.h>

#include <testsupport/DeviceFolder.h>

#include <cstdlib>
#include <filesystem>

namespace {

using namespace mirvane::test;

constexpr COLORREF kBand = RGB(252, 148, 54);

COLORREF Blend(COLORREF source, COLORREF background, int opacity) {
    auto mix = [&](int s, int b) {
        return static_cast<BYTE>((opacity * s + (255 - opacity) * b) >> 8);
    };
    return RGB(mix(GetRValue(source), GetRValue(background)),
               mix(GetGValue(source), GetGValue(background)),
               mix(GetBValue(source), GetBValue(background)));
}

bool Dark(COLORREF c) {
    return GetRValue(c) < 100 && GetGValue(c) < 100 && GetBValue(c) < 100;
}

TEST_F(IconListTest, RestingPictureStartsWithTheLastProgramAbove) {
    Fill({0, 0, 0});
    Build();
    EXPECT_EQ(m_wnd->m_nRows, 3);
    EXPECT_EQ(m_wnd->m_nTopIndex, 2);
    EXPECT_EQ(Rows(), (std::vector<int>{2, 0, 1}));
    EXPECT_EQ(m_wnd->m_rcList, CRect(0, 0, 118, 120));
    EXPECT_EQ(m_wnd->m_pRowRects[2], CRect(0, 80, 118, 120));
    // Below the rows the skin shows.
    EXPECT_EQ(Shown(10, 200), kSkin);
}

TEST_F(IconListTest, TenProgramsShowSevenRows) {
    Fill(std::vector<int>(10, 0));
    Build();
    EXPECT_EQ(Rows(), (std::vector<int>{9, 0, 1, 2, 3, 4, 5}));
}

TEST_F(IconListTest, TheBandCoversTwelveLinesOfRowOne) {
    Fill({0});
    Build();
    EXPECT_EQ(m_wnd->m_nRows, 1);
    // A single row: the band lies below it, over the skin.
    for (int y = 54; y <= 65; ++y)
        EXPECT_EQ(Shown(116, y), Blend(kBand, kSkin, 130)) << y;
    EXPECT_EQ(Shown(116, 53), kSkin);
    EXPECT_EQ(Shown(116, 66), kSkin);
}

TEST_F(IconListTest, AWhiteBackgroundWhenTheSkinIsNotUsed) {
    Fill({0, 0});
    Build(7, 0);
    EXPECT_EQ(Shown(116, 100), RGB(255, 255, 255));
    EXPECT_EQ(Shown(116, 60), Blend(kBand, RGB(255, 255, 255), 130));
}

TEST_F(IconListTest, ADashedLineMarksTheTopOfEachNewGroup) {
    // Row 0 shows program 3 (group 5), row 1 program 0 (group 0): a line at y = 40.
    Fill({0, 0, 5, 5});
    Build();
    std::vector<int> dark;
    for (int x = 0; x < 118; ++x)
        if (Dark(Shown(x, 40)))
            dark.push_back(x);
    ASSERT_FALSE(dark.empty());
    EXPECT_EQ(std::vector<int>(dark.begin(), dark.begin() + 6),
              (std::vector<int>{0, 1, 2, 3, 4, 8}));
    // Row 3 (program 2) begins group 5 again; row 2 stays in group 0.
    EXPECT_TRUE(Dark(Shown(0, 120)));
    EXPECT_FALSE(Dark(Shown(0, 80)));
    // Never a line on top of row 0.
    EXPECT_FALSE(Dark(Shown(0, 0)));
}

TEST_F(IconListTest, DownAndUpScrollByOneProgram) {
    Fill({0, 0, 0});
    Build();
    Key(0x28);
    EXPECT_EQ(m_wnd->m_nTopIndex, 0);
    EXPECT_EQ(Rows(), (std::vector<int>{0, 1, 2}));
    Key(0x26);
    Key(0x26);
    EXPECT_EQ(m_wnd->m_nTopIndex, 1);
    EXPECT_EQ(Rows(), (std::vector<int>{1, 2, 0}));
    EXPECT_TRUE(m_view.m_notices.empty());
}

TEST_F(IconListTest, UpFromTheTopWrapsToTheLast) {
    Fill({0, 0, 0, 0, 0});
    Build();
    Key(0x28);
    ASSERT_EQ(m_wnd->m_nTopIndex, 0);
    Key(0x26);
    EXPECT_EQ(m_wnd->m_nTopIndex, 4);
}

TEST_F(IconListTest, AScrollIntoAnotherGroupTellsTheParent) {
    Fill({0, 0, 3, 3});
    Build();
    Key(0x28); // selection on program 1
    EXPECT_TRUE(m_view.m_notices.empty());
    Key(0x28); // program 2, group 3
    EXPECT_EQ(m_view.m_notices, (std::vector<mirvanetest::Notice>{{0x19B3, 0, 3}}));
    Key(0x26); // back to program 1, group 0
    EXPECT_EQ(m_view.m_notices.back(), (mirvanetest::Notice{0x19B3, 1, 0}));
    EXPECT_EQ(m_view.m_notices.size(), 2u);
}

TEST_F(IconListTest, AKeyScrollShowsThreeFramesOfTheListArea) {
    Fill(std::vector<int>(9, 0));
    Build();
    std::vector<RECT> areas;
    std::vector<int> middleRows;
    platform::SetWindowCopyHook([&](HWND hWnd, RECT area) {
        if (hWnd != *m_wnd)
            return;
        areas.push_back(area);
        if (areas.size() == 2) {
            // Row tops at -20, 20, 60, ...: row t + 1 begins at y = 20.
            HDC dc = GetDC(hWnd);
            for (int y : {5, 45, 85})
                middleRows.push_back(static_cast<int>(GetPixel(dc, 16, y)));
            ReleaseDC(hWnd, dc);
        }
    });
    const int before = Copies();
    const int t = m_wnd->m_nTopIndex; // 8
    Key(0x28);
    platform::SetWindowCopyHook(nullptr);
    EXPECT_EQ(Copies() - before, 3);
    ASSERT_EQ(areas.size(), 3u);
    for (const RECT& a : areas)
        EXPECT_EQ(a, (RECT{0, 0, 118, 280}));
    // y = 5 lies in the lower half of program t (icon rows 3..34 of a row at -20 → -17..14).
    ASSERT_EQ(middleRows.size(), 3u);
    EXPECT_EQ(static_cast<COLORREF>(middleRows[0]), ProgramColor(t));
    EXPECT_EQ(static_cast<COLORREF>(middleRows[1]), ProgramColor((t + 1) % 9));
    EXPECT_EQ(static_cast<COLORREF>(middleRows[2]), ProgramColor((t + 2) % 9));
}

TEST_F(IconListTest, TheActionKeyStartsTheSelectedProgram) {
    Fill({0, 0, 0, 0});
    Build();
    ASSERT_EQ(m_wnd->m_nTopIndex, 3);
    Key(0x0D);
    EXPECT_EQ(m_started, (std::vector<std::u16string>{u"\\Windows\\program0.exe"}));
    EXPECT_EQ(m_wnd->m_nTopIndex, 3);
}

TEST_F(IconListTest, ATapStartsTheTappedRowWithoutMovingTheSelection) {
    Fill(std::vector<int>(7, 0));
    Build();
    Key(0x26);
    Key(0x26);
    ASSERT_EQ(m_wnd->m_nTopIndex, 4);
    Key(0x28);
    ASSERT_EQ(m_wnd->m_nTopIndex, 5);
    Press(50, 3 * 40 + 10);
    EXPECT_EQ(m_wnd->m_nPressedRow, 3);
    EXPECT_EQ(GetCapture(), m_wnd->GetSafeHwnd());
    // The press highlight is on the window itself, 3 pixels below the row's top.
    HDC dc = GetDC(*m_wnd);
    EXPECT_NE(GetPixel(dc, 116, 3 * 40 + 2), GetPixel(dc, 116, 3 * 40 + 3));
    ReleaseDC(*m_wnd, dc);
    Release(60, 3 * 40 + 30);
    EXPECT_EQ(m_started, (std::vector<std::u16string>{u"\\Windows\\program1.exe"}));
    EXPECT_EQ(m_wnd->m_nTopIndex, 5);
    EXPECT_EQ(m_wnd->m_nPressedRow, -1);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(IconListTest, ReleasingOverAnotherRowStartsNothingAndRemovesTheHighlight) {
    Fill(std::vector<int>(7, 0));
    Build();
    const COLORREF resting = Shown(116, 90);
    Press(50, 2 * 40 + 10);
    HDC dc = GetDC(*m_wnd);
    EXPECT_NE(GetPixel(dc, 116, 90), resting);
    ReleaseDC(*m_wnd, dc);
    Release(50, 3 * 40 + 10);
    EXPECT_TRUE(m_started.empty());
    EXPECT_EQ(Shown(116, 90), resting);
}

TEST_F(IconListTest, APressBelowAShortListDoesNothing) {
    Fill({0, 0});
    Build();
    const int before = Copies();
    Press(50, 200);
    EXPECT_EQ(m_wnd->m_nPressedRow, -1);
    Release(50, 200);
    EXPECT_TRUE(m_started.empty());
    EXPECT_EQ(Copies(), before);
}

TEST_F(IconListTest, MoveNextGroupPutsTheGroupsFirstProgramInRowOne) {
    Fill({0, 0, 3, 3});
    Build();
    ASSERT_EQ(m_wnd->m_nTopIndex, 3);
    m_wnd->MoveNextGroup(2, 1, 3);
    EXPECT_EQ(m_wnd->m_nTopIndex, 1);
    EXPECT_EQ(Rows(), (std::vector<int>{1, 2, 3, 0}));
    m_wnd->MoveNextGroup(2, 0, 0);
    EXPECT_EQ(m_wnd->m_nTopIndex, 3);
    EXPECT_EQ(Rows(), (std::vector<int>{3, 0, 1, 2}));
    EXPECT_TRUE(m_view.m_notices.empty());
}

TEST_F(IconListTest, MoveNextGroupIgnoresEmptyWholeAndMissingGroups) {
    Fill({0, 0, 3, 3});
    Build();
    const int before = Copies();
    m_wnd->MoveNextGroup(0, 1, 3);
    m_wnd->MoveNextGroup(4, 1, 3);
    m_wnd->MoveNextGroup(2, 1, 7);
    m_wnd->MoveNextGroup(2, 0, 7);
    EXPECT_EQ(Copies(), before);
    EXPECT_EQ(m_wnd->m_nTopIndex, 3);
    m_wnd->MoveNextGroup(2, 1, 3);
    EXPECT_EQ(Copies(), before + 1);
}

TEST_F(IconListTest, AnEmptyListShowsTheSkinAndIgnoresInput) {
    Build();
    EXPECT_EQ(m_wnd->m_nRows, 0);
    EXPECT_EQ(Shown(116, 60), kSkin);
    const int before = Copies();
    for (UINT vk : {0x26u, 0x28u, 0x0Du})
        Key(vk);
    Press(10, 10);
    Release(10, 10);
    m_wnd->MoveNextGroup(1, 1, 0);
    m_wnd->UpdateDrawList(0);
    EXPECT_EQ(Copies(), before);
    EXPECT_TRUE(m_started.empty());
}

TEST_F(IconListTest, UpdateDrawListResizesTheRowsAndStartsOver) {
    Fill(std::vector<int>(10, 0));
    Build();
    Key(0x28);
    m_list.m_List.RemoveTail();
    m_wnd->UpdateDrawList(4);
    EXPECT_EQ(m_wnd->m_nRows, 4);
    EXPECT_EQ(m_wnd->m_rcList.Height(), 160);
    EXPECT_EQ(m_wnd->m_pRowRects[3], CRect(0, 120, 118, 160));
    EXPECT_EQ(m_wnd->m_nTopIndex, m_list.m_List.GetCount() - 1);
    EXPECT_EQ(Rows()[1], 0);
}

TEST_F(IconListTest, AWindowWithoutRoomForItsSurfacesIsRefused) {
    IconList wnd(40, 7, 1);
    wnd.SetListPtr(&m_list);
    EXPECT_FALSE(wnd.Create(nullptr, u"ICONINFO", WS_CHILD, RECT{122, 7, 122, 294}, &m_view, 1));
    EXPECT_EQ(wnd.GetSafeHwnd(), nullptr);
}

// Rows of dark pixels in the label area of row 1.
std::vector<int> LabelLines(CDC& dc) {
    std::vector<int> lines;
    for (int y = 40; y < 80; ++y)
        for (int x = 37; x < 118; ++x)
            if (Dark(dc.GetPixel(x, y))) {
                lines.push_back(y);
                break;
            }
    return lines;
}

// A label of exactly the wanted width in the system font, from wide and narrow letters.
CString LabelOfWidth(CDC& dc, int width) {
    for (int wide = 0; wide < 20; ++wide)
        for (int narrow = 0; narrow < 40; ++narrow) {
            CString s;
            for (int i = 0; i < wide; ++i)
                s += u'W';
            for (int i = 0; i < narrow; ++i)
                s += u'l';
            if (dc.GetTextExtent(s).cx == width)
                return s;
        }
    return {};
}

TEST_F(IconListTest, LabelsWiderThanTheRoomAreSplitInTwoLines) {
    Fill({0, 0});
    Build();
    const CString fits = LabelOfWidth(m_wnd->m_dcCompose, 76);
    const CString over = LabelOfWidth(m_wnd->m_dcCompose, 77);
    ASSERT_FALSE(fits.IsEmpty());
    ASSERT_FALSE(over.IsEmpty());
    const int line = platform::SystemFontLineHeight();
    for (const CString* label : {&fits, &over}) {
        EXEICONDATA data = m_list.GetIcon(0);
        std::copy(label->str().begin(), label->str().end(), data.IconName);
        data.IconName[label->GetLength()] = 0;
        m_wnd->m_dcCompose.FillSolidRect(0, 40, 118, 40, RGB(255, 255, 255));
        m_wnd->DrawIconList(data, CPoint(0, 43), CRect(37, 40, 113, 46));
        const std::vector<int> lines = LabelLines(m_wnd->m_dcCompose);
        ASSERT_FALSE(lines.empty());
        const int extent = lines.back() - lines.front() + 1;
        if (label == &fits) {
            EXPECT_LE(extent, line);
            EXPECT_GE(lines.front(), 40 + (40 - line) / 2);
        } else {
            EXPECT_GT(extent, line);
            EXPECT_GE(lines.front(), 40 + (40 - 2 * line) / 2);
        }
    }
}

class DefaultListTest : public IconListTest {};

TEST_F(DefaultListTest, MakeDefaultListWalksTheTreeAndNamesByTheFirstDot) {
    const auto programs = Device() / "Windows" / "Start Menu" / "Programs";
    testsupport::WriteFile(programs / "Word.lnk", "22#\\Windows\\pword.exe");
    testsupport::WriteFile(programs / "Old.Notes.lnk", "x");
    testsupport::WriteFile(programs / "Readme", "x");
    testsupport::WriteFile(programs / ".hidden", "x");
    testsupport::WriteFile(programs / "Games" / "Solitaire.lnk", "x");
    ASSERT_EQ(m_list.InitReg(), 3333u);
    m_wnd = std::make_unique<IconList>(40, 7, 1);
    m_wnd->SetListPtr(&m_list);
    m_wnd->MakeDefaultList(u"\\Windows\\Start Menu\\Programs\\*.*");
    std::vector<std::u16string> names, paths;
    for (int i = 0; i < m_list.m_List.GetCount(); ++i) {
        names.emplace_back(m_list.GetIcon(i).IconName);
        paths.emplace_back(m_list.GetIcon(i).IconPath);
        EXPECT_EQ(m_list.GetIcon(i).GroupPosition, 0);
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::u16string>{u"", u"Old", u"Solitaire", u"Word"}));
    EXPECT_NE(std::find(paths.begin(), paths.end(),
                        u"\\Windows\\Start Menu\\Programs\\Games\\Solitaire.lnk"),
              paths.end());
    // The store holds them too: a fresh list reads the same programs back.
    CGetExeIconInfo again;
    again.InitReg();
    EXPECT_EQ(again.m_List.GetCount(), 4);
}

TEST_F(DefaultListTest, AReadOnlyFolderIsTakenAsAProgram) {
    const auto programs = Device() / "Windows" / "Start Menu" / "Programs";
    testsupport::WriteFile(programs / "Locked" / "Inside.lnk", "x");
    namespace fs = std::filesystem;
    fs::permissions(programs / "Locked",
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    ASSERT_EQ(m_list.InitReg(), 3333u);
    m_wnd = std::make_unique<IconList>(40, 7, 1);
    m_wnd->SetListPtr(&m_list);
    m_wnd->MakeDefaultList(u"\\Windows\\Start Menu\\Programs\\*.*");
    fs::permissions(programs / "Locked", fs::perms::owner_write, fs::perm_options::add);
    ASSERT_EQ(m_list.m_List.GetCount(), 1);
    // Named like any entry: up to its first dot, so a name without one gives no label.
    EXPECT_EQ(std::u16string(m_list.GetIcon(0).IconName), u"");
    EXPECT_EQ(std::u16string(m_list.GetIcon(0).IconPath),
              u"\\Windows\\Start Menu\\Programs\\Locked");
}

TEST_F(DefaultListTest, AMissingFolderAddsNothing) {
    ASSERT_EQ(m_list.InitReg(), 3333u);
    m_wnd = std::make_unique<IconList>(40, 7, 1);
    m_wnd->SetListPtr(&m_list);
    m_wnd->MakeDefaultList(u"\\Windows\\Nowhere\\*.*");
    EXPECT_EQ(m_list.m_List.GetCount(), 0);
}

} // namespace

namespace {

using namespace mirvane::test;

// The resting picture with the shell's own icons and ordinary names, saved for a person to
// look at; every row carries a readable label.
TEST_F(IconListTest, RestingPictureWithShellIconsAndRealNames) {
    const char16_t* names[] = {u"Calendar",
                               u"Contacts",
                               u"File Explorer",
                               u"Internet Explorer",
                               u"Pocket Word",
                               u"Solitaire",
                               u"Calculator and Unit Converter"};
    const char16_t* paths[] = {u"\\Windows\\calendar.exe", u"\\Windows\\contacts.lnk",
                               u"\\Windows\\fexplore.exe", u"\\Windows\\iexplore.exe",
                               u"\\Windows\\pword.doc",    u"\\Windows\\solitare.exe",
                               u"\\Windows\\calc.exe"};
    for (int i = 0; i < 7; ++i) {
        EXEICONDATA data;
        data.PK = i;
        data.GroupPosition = i < 3 ? 0 : 1;
        std::u16string_view name(names[i]), path(paths[i]);
        std::copy(name.begin(), name.end(), data.IconName);
        std::copy(path.begin(), path.end(), data.IconPath);
        SHFILEINFO info;
        SHGetFileInfo(paths[i], 0, &info, sizeof info, SHGFI_ICON | SHGFI_LARGEICON);
        data.hIcon = info.hIcon;
        m_list.m_List.AddTail(data);
    }
    Build();
    m_wnd->Invalidate();
    m_wnd->UpdateWindow();
    const auto png = Device() / "iconlist.png";
    ASSERT_TRUE(platform::SaveWindowImage(*m_wnd, png.string().c_str()));
    if (const char* keep = std::getenv("TOVALO_KEEP_PICTURES"))
        std::filesystem::copy_file(png, std::filesystem::path(keep) / "iconlist.png",
                                   std::filesystem::copy_options::overwrite_existing);
    HDC dc = GetDC(*m_wnd);
    for (int row = 0; row < 7; ++row) {
        int dark = 0;
        for (int y = row * 40; y < row * 40 + 40; ++y)
            for (int x = 37; x < 118; ++x)
                dark += Dark(GetPixel(dc, x, y)) ? 1 : 0;
        EXPECT_GT(dark, 20) << row;
    }
    ReleaseDC(*m_wnd, dc);
}

} // namespace
