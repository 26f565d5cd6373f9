#pragma once

#include "WindowTestSupport.h"

#include <mirvane/CIconListWnd.h>

#include <platform/Gdi.h>
#include <platform/ShellExecute.h>

#include <testsupport/DeviceFolder.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mirvane::test {

// The skin colour under the windows in these tests.
inline constexpr COLORREF kSkin = RGB(200, 220, 240);

// The colour program i's icon is filled with, so that a row tells which program it shows.
COLORREF ProgramColor(int i);

// Opens up the window's state for the tests.
class IconList : public CIconListWnd {
public:
    using CIconListWnd::CIconListWnd;
    using CIconListWnd::DrawIconList;
    using CIconListWnd::m_dcCompose;
    using CIconListWnd::m_nPressedRow;
    using CIconListWnd::m_nRows;
    using CIconListWnd::m_nTopIndex;
    using CIconListWnd::m_pRowRects;
    using CIconListWnd::m_rcList;
};

class IconListTest : public testsupport::DeviceFolderTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Programs with the given groups, named "Program <i>", each with its coloured icon.
    void Fill(const std::vector<int>& groups);
    // Builds the window as the main view does, over a skin surface.
    void Build(int nMaxRows = 7, int bSkinBack = 1);
    // What the window shows now, after a paint.
    COLORREF Shown(int x, int y);
    // The program whose icon colour is at the row's icon.
    int ProgramInRow(int row);
    std::vector<int> Rows();
    void Key(UINT vk);
    void Press(int x, int y);
    void Release(int x, int y);
    int Copies() const { return platform::WindowCopyCount(*m_wnd); }

    CGetExeIconInfo m_list;
    mirvanetest::ParentWnd m_view;
    CDC m_skin;
    CBitmap m_skinBitmap;
    std::unique_ptr<IconList> m_wnd;
    std::vector<std::u16string> m_started;
};

} // namespace mirvane::test
