#include "IconListFixture.h"

#include <filesystem>
#include <string>

namespace mirvane::test {

COLORREF ProgramColor(int i) {
    return RGB(10 + 20 * (i % 12), 200 - 15 * (i % 13), 30 + 40 * (i % 5));
}

void IconListTest::SetUp() {
    DeviceFolderTest::SetUp();
    std::filesystem::create_directories(Device() / "Windows" / "Favorites");
    platform::SetFramePacing(false);
    platform::SetShellExecuteHook([this](const SHELLEXECUTEINFO& request) {
        m_started.emplace_back(request.lpFile);
        return TRUE;
    });
    ASSERT_TRUE(m_view.Create(nullptr, u"Tovalo", WS_VISIBLE, RECT{0, 0, 240, 294}, nullptr, 0));
    m_skin.CreateCompatibleDC(nullptr);
    m_skinBitmap.CreateCompatibleBitmap(&m_skin, 240, 294);
    m_skin.SelectObject(&m_skinBitmap);
    m_skin.FillSolidRect(0, 0, 240, 294, kSkin);
}

void IconListTest::TearDown() {
    m_wnd.reset();
    for (int i = 0; i < m_list.m_List.GetCount(); ++i)
        DestroyIcon(m_list.GetIcon(i).hIcon);
    m_list.m_List.RemoveAll();
    platform::SetShellExecuteHook(nullptr);
    m_view.DestroyWindow();
    DeviceFolderTest::TearDown();
}

void IconListTest::Fill(const std::vector<int>& groups) {
    for (std::size_t i = 0; i < groups.size(); ++i) {
        EXEICONDATA data;
        data.PK = static_cast<int>(i);
        data.GroupPosition = groups[i];
        const std::string name = "Program " + std::to_string(i);
        std::copy(name.begin(), name.end(), data.IconName);
        const std::string path = "\\Windows\\program" + std::to_string(i) + ".exe";
        std::copy(path.begin(), path.end(), data.IconPath);
        const COLORREF c = ProgramColor(static_cast<int>(i));
        const DWORD argb =
            0xFF000000u | (DWORD{GetRValue(c)} << 16) | (DWORD{GetGValue(c)} << 8) | GetBValue(c);
        std::vector<DWORD> pixels(32 * 32, argb);
        data.hIcon = platform::CreateIconFromPixels(32, 32, pixels.data());
        m_list.m_List.AddTail(data);
    }
}

void IconListTest::Build(int nMaxRows, int bSkinBack) {
    m_wnd = std::make_unique<IconList>(40, nMaxRows, bSkinBack);
    m_wnd->SetListPtr(&m_list);
    const CRect placed(122, 7, 240, 294);
    ASSERT_TRUE(m_wnd->Create(nullptr, u"ICONINFO", WS_CHILD | WS_VISIBLE, placed, &m_view, 3333));
    m_wnd->MakeInitWnd(m_skin, placed);
}

COLORREF IconListTest::Shown(int x, int y) {
    m_wnd->Invalidate();
    m_wnd->UpdateWindow();
    HDC dc = GetDC(*m_wnd);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(*m_wnd, dc);
    return c;
}

int IconListTest::ProgramInRow(int row) {
    HDC dc = GetDC(*m_wnd);
    const COLORREF c = GetPixel(dc, 16, row * 40 + 3 + 8);
    ReleaseDC(*m_wnd, dc);
    for (int i = 0; i < m_list.m_List.GetCount(); ++i)
        if (ProgramColor(i) == c)
            return i;
    return -1;
}

std::vector<int> IconListTest::Rows() {
    m_wnd->Invalidate();
    m_wnd->UpdateWindow();
    std::vector<int> rows;
    for (int i = 0; i < m_wnd->m_nRows; ++i)
        rows.push_back(ProgramInRow(i));
    return rows;
}

void IconListTest::Key(UINT vk) {
    m_wnd->SendMessage(WM_KEYDOWN, vk, 1);
}

void IconListTest::Press(int x, int y) {
    m_wnd->SendMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(x, y));
}

void IconListTest::Release(int x, int y) {
    m_wnd->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

} // namespace mirvane::test
