#include <platform/MessageBox.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(MessageBox, HookSeesTheExactTextAndAnswers) {
    std::vector<std::u16string> seen;
    platform::SetMessageBoxHook([&](const std::u16string& text) {
        seen.push_back(text);
        return IDCANCEL;
    });
    EXPECT_EQ(AfxMessageBox(u"DII Failed!"), IDCANCEL);
    EXPECT_EQ(MessageBoxW(nullptr, u"No File!", u"Tovalo", MB_OK), IDCANCEL);
    platform::SetMessageBoxHook(nullptr);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], u"DII Failed!");
    EXPECT_EQ(seen[1], u"No File!");
}

TEST(MessageBox, WithoutADisplayTheTextGoesToStderrAndOkComesBack) {
    platform::SetMessageBoxHook(nullptr);
    testing::internal::CaptureStderr();
    EXPECT_EQ(AfxMessageBox(u"Picture should be larger than 240*294."), IDOK);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Picture should be larger than 240*294.\n"), std::string::npos);
}

} // namespace
