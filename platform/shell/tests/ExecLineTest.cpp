#include "shell/ExecLine.h"

#include <gtest/gtest.h>

namespace {

using platform::detail::SplitExecLine;
using Args = std::vector<std::string>;

TEST(ExecLine, FieldCodesAreRemoved) {
    EXPECT_EQ(SplitExecLine("firefox-esr %u"), (Args{"firefox-esr"}));
    EXPECT_EQ(SplitExecLine("gimp-2.10 %U"), (Args{"gimp-2.10"}));
    EXPECT_EQ(SplitExecLine("app --file=%f --icon %i %c %k"), (Args{"app", "--file=", "--icon"}));
    EXPECT_EQ(SplitExecLine("printf 100%%"), (Args{"printf", "100%"}));
}

TEST(ExecLine, QuotedArgumentsKeepSpacesAndEscapes) {
    EXPECT_EQ(SplitExecLine(R"("/opt/My App/run" --title "a \"b\" \\c" x)"),
              (Args{"/opt/My App/run", "--title", R"(a "b" \c)", "x"}));
    EXPECT_EQ(SplitExecLine("  spaced\t  out  "), (Args{"spaced", "out"}));
}

TEST(ExecLine, ShellCharactersStayPlainArguments) {
    EXPECT_EQ(SplitExecLine("rm -rf ; $(reboot) `id` |"),
              (Args{"rm", "-rf", ";", "$(reboot)", "`id`", "|"}));
}

TEST(ExecLine, MalformedLinesGiveNothing) {
    EXPECT_FALSE(SplitExecLine("").has_value());
    EXPECT_FALSE(SplitExecLine("   ").has_value());
    EXPECT_FALSE(SplitExecLine("\"unterminated").has_value());
    EXPECT_FALSE(SplitExecLine("%U").has_value());
    EXPECT_FALSE(SplitExecLine("\"\" arg").has_value());
    EXPECT_FALSE(SplitExecLine(std::string("true\0rm -rf ~", 13)).has_value());
}

} // namespace
