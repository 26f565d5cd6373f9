#pragma once

#include <platform/Files.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::detail {

// One entry as the device reports it, already converted from the host.
struct FolderEntry {
    std::u16string name;
    DWORD attributes = 0;
    std::uint64_t size = 0;
    FILETIME lastWrite;
};

// "*" and "?" wildcards, without regard to case. A pattern ending in ".*" also matches the
// names without that dot, so "*.*" matches every name, as on the device.
bool MatchesPattern(std::u16string_view pattern, std::u16string_view name);

// The entry for one host path under the given device name, or nothing when the path does not
// exist. Symlinks report their target's kind; a dangling one is an ordinary file.
std::optional<FolderEntry> DescribeEntry(const std::filesystem::path& hostPath,
                                         std::u16string name);

// A sorted snapshot of the entries of one folder that match a device pattern.
class FolderListing {
public:
    // Nothing when the folder is missing or nothing matches.
    static std::optional<FolderListing> Open(std::u16string_view devicePattern);

    // Fills the record with the next entry; false when none is left.
    bool Next(WIN32_FIND_DATAW& data);

private:
    std::vector<FolderEntry> m_entries;
    std::size_t m_next = 0;
};

void FillFindData(const FolderEntry& entry, WIN32_FIND_DATAW& data);

} // namespace platform::detail
