#include "WindowTest.h"

#include <mirvane/CIconListWnd.h>

#include <algorithm>
#include <filesystem>

namespace {

using namespace mirvanetest;

const CRect kPlace(122, 7, 240, 294);
constexpr COLORREF kBand = RGB(252, 148, 54);

COLORREF ProgramColor(int i) {
    return RGB(10 + 20 * (i % 12), 200 - 15 * (i % 13), 30 + 40 * (i % 5));
}
bool Dark(COLORREF c) {
    return GetRValue(c) < 100 && GetGValue(c) < 100 && GetBValue(c) < 100;
}

class IconList : public CIconListWnd {
public:
    using CIconListWnd::CIconListWnd;
    using CIconListWnd::DrawIconList;
    using CIconListWnd::m_dcCompose;
};

class IconListTest : public WindowTest {
protected:
    void TearDown() override {
        Clear();
        WindowTest::TearDown();
    }
    void Clear() {
        m_wnd.reset();
        while (m_list.m_List.GetCount())
            DestroyIcon(m_list.m_List.RemoveTail().hIcon);
        m_started.clear();
        m_parent.m_notices.clear();
    }
    // Program i is \Windows\program<i>.exe in the given group, its icon all ProgramColor(i).
    void Build(const std::vector<int>& groups, int bSkinBack = 1) {
        Clear();
        for (int i = 0; i < std::ssize(groups); ++i) {
            EXEICONDATA data{.PK = i, .GroupPosition = groups[i]};
            const std::string path = "\\Windows\\program" + std::to_string(i) + ".exe";
            std::copy(path.begin() + 9, path.end() - 4, data.IconName);
            std::copy(path.begin(), path.end(), data.IconPath);
            data.hIcon = TwoToneIcon(32, ProgramColor(i), ProgramColor(i));
            m_list.m_List.AddTail(data);
        }
        m_wnd = std::make_unique<IconList>(40, 7, bSkinBack);
        ASSERT_TRUE(Open(*m_wnd, &m_list, u"ICONINFO", kPlace, 3333));
    }
    COLORREF Shown(int x, int y) {
        Repaint(*m_wnd);
        return At(*m_wnd, x, y);
    }
    // The program shown in each of the first nRows rows, told by its icon's colour (-1: none).
    std::vector<int> Rows(std::size_t nRows) {
        Repaint(*m_wnd);
        std::vector<int> rows;
        for (int r = 0; r < static_cast<int>(nRows); ++r) {
            int i = 0, n = m_list.m_List.GetCount();
            // An icon fills lines 3 to 34 of its row.
            while (i < n && (ProgramColor(i) != At(*m_wnd, 16, r * 40 + 3) ||
                             ProgramColor(i) != At(*m_wnd, 16, r * 40 + 34)))
                ++i;
            rows.push_back(i < n ? i : -1);
        }
        return rows;
    }
    void Keys(const std::string& keys) {
        for (char k : keys)
            Key(*m_wnd, k == 'D' ? VK_DOWN : k == 'U' ? VK_UP : VK_RETURN);
    }

    CGetExeIconInfo m_list;
    std::unique_ptr<IconList> m_wnd;
};

// Keys, a tap and the view's calls, in turn, and the rows, notices and starts they leave.
// Keys into another group tell the parent: 1 after the up key, 0 after the down key, with the
// new group's slot.
TEST_F(IconListTest, KeysTapsAndCallsMoveTheRowsAndStartPrograms) {
    const std::vector<int> seven(7, 0), ten(10, 0), twoGroups{0, 0, 3, 3};
    const std::vector<int> rest{6, 0, 1, 2, 3, 4, 5};
    struct Row {
        std::vector<int> groups;
        std::string keys; // D down, U up, \r the action key
        // Then MoveNextGroup(count, forward, key), or with a count of -n: the last program
        // dropped and UpdateDrawList(n).
        std::vector<std::array<int, 3>> calls;
        std::pair<int, int> tap; // the lines pressed and released, if any
        std::vector<int> rows;
        std::vector<Notice> notices = {};
        std::vector<std::u16string> started = {};
    } table[] = {
        {{0, 0, 0}, "", {}, {}, {2, 0, 1}},
        {ten, "", {}, {}, {9, 0, 1, 2, 3, 4, 5}},
        {{0, 0, 0}, "D", {}, {}, {0, 1, 2}},
        {{0, 0, 0}, "DUU", {}, {}, {1, 2, 0}},
        {{0, 0, 0, 0, 0}, "DU", {}, {}, {4, 0, 1, 2, 3}},
        {{0, 0, 0, 0, 0}, "UUU", {}, {}, {1, 2, 3, 4, 0}},
        {twoGroups, "DDU", {}, {}, {0, 1, 2, 3}, {{0x19B3, 0, 3}, {0x19B3, 1, 0}}},
        {seven, "\r", {}, {}, rest, {}, {u"\\Windows\\program0.exe"}},
        {seven, "UUD", {}, {130, 150}, {5, 6, 0, 1, 2, 3, 4}, {}, {u"\\Windows\\program1.exe"}},
        {seven, "", {}, {90, 130}, rest},
        {seven, "", {}, {285, 285}, rest},
        // Empty, whole and missing groups are ignored.
        {twoGroups, "", {{0, 1, 3}, {4, 1, 3}, {2, 1, 7}, {2, 0, 7}}, {}, {3, 0, 1, 2}},
        {twoGroups, "", {{2, 1, 3}}, {}, {1, 2, 3, 0, -1}},
        {twoGroups, "", {{2, 1, 3}, {2, 0, 0}}, {}, {3, 0, 1, 2}},
        {ten, "D", {{-4, 0, 0}}, {}, {8, 0, 1, 2, -1}},
    };
    for (const Row& row : table) {
        SCOPED_TRACE(testing::Message() << "row " << (&row - table));
        Build(row.groups);
        Keys(row.keys);
        for (auto [count, forward, key] : row.calls) {
            if (count >= 0) {
                m_wnd->MoveNextGroup(count, forward, key);
            } else {
                DestroyIcon(m_list.m_List.RemoveTail().hIcon);
                m_wnd->UpdateDrawList(-count);
            }
        }
        if (auto [press, release] = row.tap; press) {
            const int top = press / 40 * 40;
            const COLORREF resting = Shown(116, top + 3), above = Shown(116, top + 2);
            Press(*m_wnd, 50, press);
            // The press highlight starts 3 pixels below the row's top, on the window itself.
            if (press < 280) {
                EXPECT_EQ(std::pair(At(*m_wnd, 116, top + 2), At(*m_wnd, 116, top + 3)),
                          std::pair(above, Blend(kBand, resting, 200)));
            }
            Release(*m_wnd, 60, release);
            EXPECT_EQ(GetCapture(), nullptr);
            EXPECT_EQ(Shown(116, top + 3), resting) << "highlight gone";
        }
        EXPECT_EQ(Rows(row.rows.size()), row.rows);
        EXPECT_EQ(m_parent.m_notices, row.notices);
        EXPECT_EQ(m_started, row.started);
    }
}

// The band covers twelve lines below row 0 over the background; a dashed line marks the top
// of each new group.
TEST_F(IconListTest, TheBandGroupLinesAndScrollFramesOverTheBackground) {
    for (int bSkinBack : {1, 0}) {
        Build({0, 0, 5, 5}, bSkinBack); // rows show programs 3, 0, 1, 2: groups 5, 0, 0, 5
        for (int y = 53; y <= 66; ++y) {
            COLORREF back = bSkinBack ? SkinColor(122 + 116, y + 7) : RGB(255, 255, 255);
            EXPECT_EQ(Shown(116, y), y == 53 || y == 66 ? back : Blend(kBand, back, 130))
                << "skin " << bSkinBack << ", y " << y;
        }
        std::vector<int> dark;
        for (int x = 0; x < 10; ++x)
            if (Dark(Shown(x, 40)))
                dark.push_back(x);
        EXPECT_EQ(dark, (std::vector<int>{0, 1, 2, 3, 4, 8, 9}));
        EXPECT_TRUE(Dark(Shown(0, 120)));
        EXPECT_FALSE(Dark(Shown(0, 80)));
        EXPECT_FALSE(Dark(Shown(0, 0))) << "never a line on top of row 0";
    }
    // A key scroll shows three frames of the list area.
    FrameRecorder frames(*m_wnd, 118, 287);
    Keys("D");
    ASSERT_EQ(frames.areas, std::vector<RECT>(3, RECT{0, 0, 118, 160}));
    // The middle frame has the rows 20 pixels up: y 5 shows program 3's icon, 45 program 0's.
    for (int k : {0, 1, 2})
        EXPECT_EQ(frames.frames[1]->dc.GetPixel(16, 5 + 40 * k), ProgramColor((3 + k) % 4)) << k;
}

TEST_F(IconListTest, AnEmptyListShowsTheSkinAndIgnoresInputAndNoRoomIsRefused) {
    Build({});
    EXPECT_EQ(Shown(116, 60), SkinColor(238, 67));
    const int before = Copies(*m_wnd);
    Keys("UD\r");
    Tap(*m_wnd, 10, 10);
    m_wnd->MoveNextGroup(1, 1, 0);
    m_wnd->UpdateDrawList(0);
    EXPECT_EQ(Copies(*m_wnd), before);
    EXPECT_TRUE(m_started.empty());
    IconList narrow(40, 7, 1);
    narrow.SetListPtr(&m_list);
    EXPECT_FALSE(
        narrow.Create(nullptr, u"ICONINFO", WS_CHILD, RECT{122, 7, 122, 294}, &m_parent, 1));
}

TEST_F(IconListTest, LabelsWiderThanTheRoomAreSplitInTwoLines) {
    Build({0});
    CDC& dc = m_wnd->m_dcCompose;
    const int line = platform::SystemFontLineHeight();
    auto labelOf = [&](int width) { // exactly width pixels of W and l
        for (int wide = 0; wide < 20; ++wide) {
            CString s(std::u16string(wide, u'W').c_str());
            while (dc.GetTextExtent(s).cx < width)
                s += u'l';
            if (dc.GetTextExtent(s).cx == width)
                return s;
        }
        return CString();
    };
    for (int width : {76, 77}) {
        const CString label = labelOf(width);
        ASSERT_EQ(dc.GetTextExtent(label).cx, width);
        EXEICONDATA data{.hIcon = m_list.GetIcon(0).hIcon};
        std::copy(label.str().begin(), label.str().end(), data.IconName);
        dc.FillSolidRect(0, 40, 118, 40, RGB(255, 255, 255));
        m_wnd->DrawIconList(data, CPoint(0, 43), CRect(37, 40, 113, 46));
        std::vector<int> lines; // those with a dark pixel right of the icon
        for (int y = 40; y < 80; ++y)
            for (int x = 37; x < 118; ++x)
                if (Dark(dc.GetPixel(x, y))) {
                    lines.push_back(y);
                    break;
                }
        ASSERT_FALSE(lines.empty());
        const int nLines = width > 76 ? 2 : 1;
        EXPECT_EQ(lines.back() - lines.front() + 1 > line, nLines == 2) << width;
        EXPECT_GE(lines.front(), 40 + (40 - nLines * line) / 2) << width;
    }
}

// Every file but the hidden ones is taken, named up to its first dot, and so is a read-only
// folder; a start menu larger than the store fills it and ends the walk, the list holding what
// the next start finds.
TEST_F(IconListTest, MakeDefaultListWalksTheTreeNamesByTheFirstDotAndStopsWhenTheStoreIsFull) {
    const auto programs = Device() / "Windows" / "Start Menu" / "Programs";
    std::filesystem::create_directories(Device() / "Windows" / "Favorites");
    for (const char* file : {"Word.lnk", "Old.Notes.lnk", "Readme", ".hidden",
                             "Games/Solitaire.lnk", "Locked/Inside.lnk"})
        WriteFile(programs / file, "x");
    for (int i = 10; i < 70; ++i)
        WriteFile(programs / "Zoo" / ("A" + std::to_string(i) + ".lnk"), "x");
    namespace fs = std::filesystem;
    fs::permissions(programs / "Locked", static_cast<fs::perms>(0555));
    ASSERT_EQ(m_list.InitReg(), 3333u);
    IconList wnd;
    wnd.SetListPtr(&m_list);
    wnd.MakeDefaultList(u"\\Windows\\Start Menu\\Programs\\*.*");
    wnd.MakeDefaultList(u"\\Windows\\Nowhere\\*.*");
    fs::permissions(programs / "Locked", fs::perms::owner_all);
    auto entries = [&] {
        std::vector<std::u16string> found;
        for (int i = 0; i < m_list.m_List.GetCount(); ++i) {
            const EXEICONDATA entry = m_list.GetIcon(i);
            EXPECT_EQ(std::pair(entry.PK, entry.GroupPosition), std::pair(i, 0));
            found.push_back(std::u16string(entry.IconName) + u"=" + entry.IconPath);
        }
        return found;
    };
    const std::vector<std::u16string> found = entries();
    m_list.ExeIconListReload();
    EXPECT_EQ(entries(), found) << "what the store holds";
    const std::u16string root = u"\\Windows\\Start Menu\\Programs\\";
    std::vector<std::u16string> expected{u"Solitaire=" + root + u"Games\\Solitaire.lnk",
                                         u"=" + root + u"Locked", u"Old=" + root + u"Old.Notes.lnk",
                                         u"=" + root + u"Readme", u"Word=" + root + u"Word.lnk"};
    for (int i = 10; expected.size() < 50; ++i) {
        const std::string name = "A" + std::to_string(i);
        const std::u16string label(name.begin(), name.end());
        expected.push_back(label + u"=" + root + u"Zoo\\" + label + u".lnk");
    }
    EXPECT_EQ(found, expected);
}

} // namespace
