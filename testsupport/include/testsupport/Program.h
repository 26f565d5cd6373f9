#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

struct ProgramResult {
    int exit = -1;
    std::string out;
    std::string err;
};

// Runs a program as a person would from a shell, with no input, and captures what it says.
// Each argument reaches it as it is; environment entries ("NAME=value") are added to the
// test's own.
ProgramResult RunProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& environment = {});

} // namespace testsupport
