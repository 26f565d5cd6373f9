// The two windows over the real skin and arrows, saved enlarged as PNG files to look at.
#include "GroupSelectorSupport.h"
#include "QuickLaunchSupport.h"

#include <platform/Device.h>

namespace {

using namespace mirvanetest;

// Paints the program's built-in skin picture over the test skin.
void PaintRealSkin(CDC& target) {
    auto device = platform::DevicePath(std::filesystem::path(TOVALO_SOURCE_DIR) / "tovalo" / "res" /
                                       "DefaultSkin.bmp");
    ASSERT_TRUE(device);
    HBITMAP hBitmap = SHLoadDIBitmap(device->c_str());
    ASSERT_NE(hBitmap, nullptr);
    CBitmap bitmap;
    bitmap.Attach(reinterpret_cast<HGDIOBJ>(hBitmap));
    CDC dc;
    dc.CreateCompatibleDC(&target);
    dc.SelectObject(&bitmap);
    target.BitBlt(0, 0, 240, 294, &dc, 0, 0, SRCCOPY);
}

// Saves what the window shows, four times enlarged.
void SaveEnlarged(HWND hWnd, const char* name) {
    RECT rc;
    CWnd::FromHandle(hWnd)->GetClientRect(&rc);
    Surface big(rc.right * 4, rc.bottom * 4);
    HDC hShown = GetDC(hWnd);
    big.dc().StretchBlt(0, 0, rc.right * 4, rc.bottom * 4, CDC::FromHandle(hShown), 0, 0, rc.right,
                        rc.bottom, SRCCOPY);
    ReleaseDC(hWnd, hShown);
    auto path = PictureFolder() / name;
    EXPECT_TRUE(platform::SaveBitmapImage(big.bitmap(), path.c_str())) << path;
}

using SelectorPictures = GroupSelectorTest;

TEST_F(SelectorPictures, RestAndTurned) {
    PaintRealSkin(m_skin->dc());
    AddGroups({u"etc.", u"Games", u"Office", u"Internet Explorer Favorites", u"Media", u"Tools",
               u"System", u"MyFavorite"});
    ASSERT_TRUE(Open(20, 5, 1));
    SaveEnlarged(m_wnd->GetSafeHwnd(), "GroupSelector.png");
    Key(VK_LEFT);
    SaveEnlarged(m_wnd->GetSafeHwnd(), "GroupSelectorTurned.png");
    m_wnd->RotateUpList(5);
    m_wnd->RotateUpList(5);
    m_wnd->RotateUpList(5);
    SaveEnlarged(m_wnd->GetSafeHwnd(), "GroupSelectorLongName.png");
}

using BarPictures = QuickLaunch;

TEST_F(BarPictures, RestAndPressed) {
    PaintRealSkin(m_skin->dc());
    AddEntries(2);
    for (const char16_t* path :
         {u"\\Windows\\iexplore.exe", u"\\Windows\\Calc.exe", u"\\Windows\\notes.txt",
          u"\\Windows\\Start Menu\\Programs", u"\\Windows\\pword.exe"})
        AddEntry(path, true);
    ASSERT_TRUE(Open());
    SaveEnlarged(Hwnd(), "QuickLaunch.png");
    Press(30, 5);
    SaveEnlarged(Hwnd(), "QuickLaunchPressed.png");
    Release(30, 5);
}

} // namespace
