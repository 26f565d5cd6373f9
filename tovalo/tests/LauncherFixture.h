#pragma once

#include "CTovaloApp.h"

#include <testsupport/DeviceFolder.h>
#include <testsupport/DialogDriver.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace tovalo::test {

// A 24-bit BMP file of the given size, filled by a function of the pixel position.
std::string MakeBmp(int width, int height, COLORREF (*color)(int x, int y));

// A launcher started on a fresh device folder, with message boxes, starts and modal runs
// recorded instead of shown.
class LauncherTest : public testsupport::DeviceFolderTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Files of the device's start menu, relative to "Windows/Start Menu/Programs".
    void StartMenu(const std::vector<std::string>& files);
    void Start();
    void Exit();
    // What the view shows at a point, after a paint of the frame and its windows.
    COLORREF Shown(int x, int y);
    std::u16string Put(const std::string& name, const std::string& content);
    std::vector<std::u16string> ProgramNames();

    CTovaloView& View() { return *m_app->GetView(); }
    CMainFrame& Frame() { return *m_app->GetFrame(); }

    std::unique_ptr<CTovaloApp> m_app;
    std::vector<std::u16string> m_messages;
    std::vector<std::u16string> m_started;
    // Modal runs take the steps given them in line; without one left, m_duringModal runs
    // and m_modalAnswer is the button pressed.
    testsupport::ModalScript m_modals;
    int m_modalAnswer = IDCANCEL;
    std::function<void()> m_duringModal;
};

} // namespace tovalo::test
