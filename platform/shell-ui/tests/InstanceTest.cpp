#include <platform/CWnd.h>

#include <testsupport/DeviceFolder.h>

#include <QProcess>

#include <gtest/gtest.h>

namespace {

class OtherProgram : public testsupport::DeviceFolderTest {
protected:
    void Start(const char* title) {
        m_host.setProgram(QStringLiteral(WINDOW_HOST));
        m_host.setArguments({QString::fromUtf8(title)});
        m_host.start();
        ASSERT_TRUE(m_host.waitForReadyRead(10000));
        ASSERT_EQ(m_host.readLine().trimmed(), "ready");
    }
    void TearDown() override {
        m_host.kill();
        m_host.waitForFinished();
        DeviceFolderTest::TearDown();
    }
    QProcess m_host;
};

TEST_F(OtherProgram, ItsWindowIsFoundByTitleAndBroughtToTheFront) {
    Start("Tovalo");
    HWND other = FindWindowW(nullptr, u"Tovalo");
    ASSERT_NE(other, nullptr);
    EXPECT_TRUE(SetForegroundWindow(other));
    EXPECT_EQ(FindWindowW(nullptr, u"Tovalo Setting"), nullptr);
}

TEST_F(OtherProgram, AnotherDeviceFolderIsAnotherDevice) {
    Start("Tovalo");
    setenv("TOVALO_DEVICE", (Device() / "elsewhere").c_str(), 1);
    EXPECT_EQ(FindWindowW(nullptr, u"Tovalo"), nullptr);
}

TEST_F(OtherProgram, NothingRunsNothingIsFound) {
    EXPECT_EQ(FindWindowW(nullptr, u"Tovalo"), nullptr);
}

} // namespace
