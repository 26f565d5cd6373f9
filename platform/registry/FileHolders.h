#pragma once

#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace platform::detail {

struct FileHolder {
    int pid = 0;
    std::string program;
};

// The other processes that have one of the files open, among those whose open files this
// user may see; found by the files' identities, so that any path to them counts.
std::vector<FileHolder> FileHolders(std::span<const std::filesystem::path> files);

// "tovalo (pid 4242), tovalo-reg (pid 4250)"
std::string DescribeHolders(const std::vector<FileHolder>& holders);

} // namespace platform::detail
