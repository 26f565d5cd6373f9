#include <platform/MessageBox.h>

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(MessageBox, HookSeesTheExactTextAndAnswersElseTheTextGoesToStderr) {
    std::u16string seen;
    platform::SetMessageBoxHook([&](const std::u16string& text) {
        seen += text + u"|";
        return IDCANCEL;
    });
    EXPECT_EQ(AfxMessageBox(u"DII Failed!"), IDCANCEL);
    EXPECT_EQ(MessageBoxW(nullptr, u"No File!", u"Tovalo", MB_OK), IDCANCEL);
    EXPECT_EQ(seen, u"DII Failed!|No File!|");

    platform::SetMessageBoxHook(nullptr);
    testing::internal::CaptureStderr();
    EXPECT_EQ(AfxMessageBox(u"Picture should be larger than 240*294."), IDOK);
    EXPECT_NE(
        testing::internal::GetCapturedStderr().find("Picture should be larger than 240*294.\n"),
        std::string::npos);
}

} // namespace
