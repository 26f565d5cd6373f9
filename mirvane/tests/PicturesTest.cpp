// The windows over the built-in skin and the real arrows, saved four times enlarged as PNG
// files for a person to look at.
#include "Selector.h"

#include <mirvane/CIconListWnd.h>
#include <mirvane/CQuickLWnd.h>

namespace {

using namespace mirvanetest;

void Save(CWnd& wnd, const char* name) {
    wnd.Invalidate();
    wnd.UpdateWindow();
    RECT rc;
    wnd.GetClientRect(&rc);
    Surface big(rc.right * 4, rc.bottom * 4);
    HDC hShown = GetDC(wnd);
    big.dc.StretchBlt(0, 0, rc.right * 4, rc.bottom * 4, CDC::FromHandle(hShown), 0, 0, rc.right,
                      rc.bottom, SRCCOPY);
    ReleaseDC(wnd, hShown);
    auto folder = std::filesystem::path(TOVALO_BIN_DIR).parent_path() / "pictures";
    std::filesystem::create_directories(folder);
    EXPECT_TRUE(platform::SaveBitmapImage(big.bitmap, (folder / name).c_str())) << name;
}

TEST_F(SelectorTest, ThreeWindowsOverTheBuiltInSkin) {
    auto skin = platform::DevicePath(std::filesystem::path(TOVALO_SOURCE_DIR) / "tovalo" / "res" /
                                     "DefaultSkin.bmp");
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.Attach(reinterpret_cast<HGDIOBJ>(SHLoadDIBitmap(skin->c_str()))));
    Surface file(240, 294);
    file.dc.SelectObject(&bitmap);
    m_skin.dc.BitBlt(0, 0, 240, 294, &file.dc, 0, 0, SRCCOPY);

    AddGroups({u"etc.", u"Games", u"Office", u"Internet Explorer Favorites", u"Media", u"Tools"});
    ASSERT_TRUE(Open());
    Save(*m_wnd, "GroupSelector.png");
    Key(*m_wnd, VK_LEFT);
    Save(*m_wnd, "GroupSelectorTurned.png");

    const char16_t* names[] = {u"Calendar",      u"Contacts",
                               u"File Explorer", u"Internet Explorer",
                               u"Pocket Word",   u"Calculator and Unit Converter"};
    const char16_t* paths[] = {u"\\Windows\\calendar.exe", u"\\Windows\\contacts.lnk",
                               u"\\Windows\\fexplore.exe", u"\\Windows\\iexplore.exe",
                               u"\\Windows\\pword.doc",    u"\\Windows\\calc.exe"};
    CGetExeIconInfo programs;
    CGetQLIconInfo quick;
    for (int i = 0; i < 6; ++i) {
        EXEICONDATA exe;
        exe.GroupPosition = i / 3;
        std::u16string_view name(names[i]), path(paths[i]);
        std::copy(name.begin(), name.end(), exe.IconName);
        std::copy(path.begin(), path.end(), exe.IconPath);
        SHFILEINFO large, small;
        SHGetFileInfo(paths[i], 0, &large, sizeof large, SHGFI_ICON | SHGFI_LARGEICON);
        SHGetFileInfo(paths[i], 0, &small, sizeof small, SHGFI_ICON | SHGFI_SMALLICON);
        exe.hIcon = large.hIcon;
        programs.m_List.AddTail(exe);
        QLICONDATA ql;
        ql.hIcon = small.hIcon;
        std::copy(path.begin(), path.end(), ql.QLPath);
        quick.m_List.AddTail(ql);
    }
    CIconListWnd column(40, 7, 1);
    column.SetListPtr(&programs);
    const CRect columnPlace(122, 7, 240, 294), barPlace(10, 163, 85, 288);
    ASSERT_TRUE(
        column.Create(nullptr, u"ICONINFO", WS_CHILD | WS_VISIBLE, columnPlace, &m_parent, 3333));
    column.MakeInitWnd(m_skin.dc, columnPlace);
    Save(column, "IconList.png");
    CQuickLWnd bar;
    bar.SetListPtr(&quick);
    ASSERT_TRUE(bar.Create(nullptr, u"QLWND", WS_CHILD | WS_VISIBLE, barPlace, &m_parent, 5555));
    bar.MakeInitWnd(m_skin.dc, barPlace);
    Save(bar, "QuickLaunch.png");
    Press(bar, 30, 5);
    Save(bar, "QuickLaunchPressed.png");
    Release(bar, 40, 40);
    for (int i = 0; i < 6; ++i)
        DestroyIcon(programs.GetIcon(i).hIcon), DestroyIcon(quick.GetIcon(i).hIcon);
}

} // namespace
