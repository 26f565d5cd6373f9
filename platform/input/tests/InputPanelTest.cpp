#include <platform/CFrameWnd.h>
#include <platform/InputPanel.h>
#include <platform/Tray.h>

#include "input/InputPanelKeyboard.h"
#include "windows/WindowState.h"

#include <testsupport/DeviceFolder.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using platform::detail::TheInputPanel;
using platform::detail::WindowState;

class InputPanel : public testsupport::DeviceFolderTest {
protected:
    void TearDown() override {
        unsetenv("TOVALO_INPUT_PANEL");
        DeviceFolderTest::TearDown();
    }
    HWND FullScreenFrame(DWORD state) {
        if (!m_frame.GetSafeHwnd())
            m_frame.Create(nullptr, u"Tovalo", WS_VISIBLE, RECT{}, nullptr, 0);
        SHFullScreen(m_frame.GetSafeHwnd(), state);
        return FindWindowW(nullptr, u"MS_SIPBUTTON");
    }
    CFrameWnd m_frame;
};

TEST_F(InputPanel, OffOrAutomaticOnADesktopThereIsNoPanelAndNoButton) {
    for (const char* choice : {"off", "auto"}) {
        setenv("TOVALO_INPUT_PANEL", choice, 1);
        EXPECT_FALSE(platform::InputPanelEnabled()) << choice;
        EXPECT_FALSE(SipShowIM(SIPF_ON)) << choice;
        EXPECT_FALSE(platform::InputPanelShown()) << choice;
        EXPECT_EQ(FullScreenFrame(SHFS_SHOWSIPBUTTON), nullptr) << choice;
    }
}

TEST_F(InputPanel, TheButtonTogglesAKeyboardThatTypesIntoTheFocusedField) {
    setenv("TOVALO_INPUT_PANEL", "on", 1);
    const HWND button = FullScreenFrame(SHFS_HIDETASKBAR | SHFS_HIDESIPBUTTON);
    ASSERT_NE(button, nullptr);
    EXPECT_FALSE(IsWindowVisible(button)) << "the full-screen request hides it";
    FullScreenFrame(SHFS_SHOWSIPBUTTON);
    ASSERT_TRUE(IsWindowVisible(button));
    QWidget* frame = WindowState::Of(m_frame.GetSafeHwnd())->widget;
    QWidget* key = WindowState::Of(button)->widget;
    // At the right end of the 240-pixel strip over the frame.
    EXPECT_EQ(key->geometry().right(), frame->frameGeometry().left() + 239);
    EXPECT_LE(key->geometry().bottom(), frame->geometry().top());

    QLineEdit edit;
    edit.show();
    QApplication::setActiveWindow(&edit);
    edit.setFocus();
    QTest::mouseClick(key->findChild<QAbstractButton*>(), Qt::LeftButton);
    ASSERT_TRUE(platform::InputPanelShown());
    platform::detail::InputPanelKeyboard* panel = TheInputPanel();
    EXPECT_EQ(panel->width(), 240);
    for (QAbstractButton* k : panel->findChildren<QAbstractButton*>())
        EXPECT_TRUE(panel->rect().contains(k->geometry())) << k->objectName().toStdString();
    for (const char* name : {"h", "Shift", "i", "Space", "7", "x", "Backspace"})
        QTest::mouseClick(panel->Key(QString::fromLatin1(name)), Qt::LeftButton);
    EXPECT_EQ(edit.text(), QStringLiteral("hI 7"));
    EXPECT_EQ(QApplication::focusWidget(), &edit) << "the panel never takes the focus";
    QTest::mouseClick(key->findChild<QAbstractButton*>(), Qt::LeftButton);
    EXPECT_FALSE(platform::InputPanelShown());
}

} // namespace
