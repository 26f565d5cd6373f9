#include "shell/ExecLine.h"

#include <gtest/gtest.h>

namespace {

using platform::detail::SplitExecLine;
using Args = std::vector<std::string>;

// Field codes go, quotes keep spaces and escapes, shell characters stay plain arguments, and a
// line that names no program or holds a NUL gives nothing ({}).
TEST(ExecLine, SplitsIntoTheProgramAndItsArguments) {
    const std::pair<std::string, std::optional<Args>> rows[] = {
        {"firefox-esr %u", Args{"firefox-esr"}},
        {"app --file=%f --icon %i %c %k", Args{"app", "--file=", "--icon"}},
        {"printf 100%%", Args{"printf", "100%"}},
        {R"("/opt/My App/run" --title "a \"b\" \\c" x)",
         Args{"/opt/My App/run", "--title", R"(a "b" \c)", "x"}},
        {"  spaced\t  out  ", Args{"spaced", "out"}},
        {"rm -rf ; $(reboot) `id` |", Args{"rm", "-rf", ";", "$(reboot)", "`id`", "|"}},
        {"", {}},
        {"   ", {}},
        {"\"unterminated", {}},
        {"%U", {}},
        {"\"\" arg", {}},
        {std::string("true\0rm -rf ~", 13), {}}};
    for (const auto& [line, expected] : rows)
        EXPECT_EQ(SplitExecLine(line), expected) << line;
}

} // namespace
