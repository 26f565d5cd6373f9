#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace testsupport {

// A fresh, empty device folder for one test case: TOVALO_DEVICE points at it while the
// test runs, and it is removed afterwards.
class DeviceFolderTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    const std::filesystem::path& Device() const { return m_device; }

private:
    std::filesystem::path m_device;
};

// Writes a file, creating its parent folders.
void WriteFile(const std::filesystem::path& path, const std::string& content);
std::string ReadFile(const std::filesystem::path& path);

} // namespace testsupport
