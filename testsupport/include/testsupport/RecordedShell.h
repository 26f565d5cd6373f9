#pragma once

#include <testsupport/DeviceFolder.h>

#include <platform/Gdi.h>
#include <platform/MessageBox.h>
#include <platform/ShellExecute.h>

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace testsupport {

// A fresh device folder with frame pacing off, and the message boxes and the shell's starts
// recorded instead of shown. Every start must be the launcher's own request: 60 bytes, the
// default verb, no owner, parameters or folder, shown normally.
class RecordedShellTest : public DeviceFolderTest {
protected:
    void SetUp() override {
        DeviceFolderTest::SetUp();
        platform::SetFramePacing(false);
        platform::SetMessageBoxHook([this](const std::u16string& text) {
            m_messages.push_back(text);
            return IDOK;
        });
        platform::SetShellExecuteHook([this](const SHELLEXECUTEINFO& r) {
            EXPECT_EQ(std::tuple(r.cbSize, r.fMask, r.nShow), std::tuple(60u, 0u, 5));
            EXPECT_FALSE(r.hwnd || r.lpVerb || r.lpParameters || r.lpDirectory);
            m_started.emplace_back(r.lpFile);
            return TRUE;
        });
    }
    void TearDown() override {
        platform::SetShellExecuteHook(nullptr);
        platform::SetMessageBoxHook(nullptr);
        DeviceFolderTest::TearDown();
    }
    // A file of the device's Windows folder, by its device path.
    std::u16string Put(const std::string& name, const std::string& content) {
        WriteFile(Device() / "Windows" / name, content);
        return u"\\Windows\\" + std::u16string(name.begin(), name.end());
    }

    std::vector<std::u16string> m_messages;
    std::vector<std::u16string> m_started;
};

} // namespace testsupport
