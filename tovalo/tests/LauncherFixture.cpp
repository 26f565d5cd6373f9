#include "LauncherFixture.h"

#include <platform/CPropertySheet.h>
#include <platform/Gdi.h>
#include <platform/MessageBox.h>
#include <platform/ShellExecute.h>

#include <testsupport/ImageFiles.h>

namespace tovalo::test {

std::string MakeBmp(int width, int height, COLORREF (*color)(int x, int y)) {
    const int row = (width * 3 + 3) & ~3;
    std::string pixels;
    for (int y = height - 1; y >= 0; --y) {
        std::string line;
        for (int x = 0; x < width; ++x) {
            const COLORREF c = color(x, y);
            line.push_back(static_cast<char>(GetBValue(c)));
            line.push_back(static_cast<char>(GetGValue(c)));
            line.push_back(static_cast<char>(GetRValue(c)));
        }
        line.resize(static_cast<std::size_t>(row), '\0');
        pixels += line;
    }
    return testsupport::MakeBmp(width, height, 24, row * height, pixels);
}

void LauncherTest::SetUp() {
    DeviceFolderTest::SetUp();
    std::filesystem::create_directories(Device() / "Windows" / "Favorites");
    std::filesystem::create_directories(Device() / "Windows" / "Start Menu" / "Programs");
    platform::SetFramePacing(false);
    platform::SetMessageBoxHook([this](const std::u16string& text) {
        m_messages.push_back(text);
        return IDOK;
    });
    platform::SetShellExecuteHook([this](const SHELLEXECUTEINFO& request) {
        m_started.emplace_back(request.lpFile);
        return TRUE;
    });
    m_modals.Otherwise([this](testsupport::DialogDriver&) {
        if (m_duringModal)
            m_duringModal();
        return m_modalAnswer;
    });
}

void LauncherTest::TearDown() {
    if (m_app)
        Exit();
    platform::SetShellExecuteHook(nullptr);
    platform::SetMessageBoxHook(nullptr);
    DeviceFolderTest::TearDown();
}

void LauncherTest::StartMenu(const std::vector<std::string>& files) {
    for (const std::string& file : files)
        testsupport::WriteFile(Device() / "Windows" / "Start Menu" / "Programs" / file,
                               "22#\\Windows\\" + file);
}

void LauncherTest::Start() {
    m_app = std::make_unique<CTovaloApp>();
    ASSERT_TRUE(m_app->InitInstance());
    platform::PumpMessages();
}

void LauncherTest::Exit() {
    if (m_app->GetFrame() && m_app->GetFrame()->GetSafeHwnd())
        m_app->GetFrame()->SendMessage(WM_COMMAND, ID_APP_EXIT, 0);
    platform::PumpMessages();
    m_app->ExitInstance();
    m_app.reset();
}

COLORREF LauncherTest::Shown(int x, int y) {
    View().Invalidate();
    View().UpdateWindow();
    HDC dc = GetDC(View());
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(View(), dc);
    return c;
}

std::u16string LauncherTest::Put(const std::string& name, const std::string& content) {
    testsupport::WriteFile(Device() / "Windows" / name, content);
    return u"\\Windows\\" + std::u16string(name.begin(), name.end());
}

std::vector<std::u16string> LauncherTest::ProgramNames() {
    std::vector<std::u16string> names;
    CGetExeIconInfo& list = View().m_ExeList;
    for (int i = 0; i < list.m_List.GetCount(); ++i)
        names.emplace_back(list.GetIcon(i).IconName);
    return names;
}

} // namespace tovalo::test
