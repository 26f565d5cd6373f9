#pragma once

#include <filesystem>
#include <string>

namespace platform::detail {

// Replaces the hive file with its kept copy after checking the copy, moving the file it
// replaces (and its journal) aside as <file>.damaged-<timestamp>. Says what it did.
bool PutBackupInPlace(const std::filesystem::path& folder, const std::filesystem::path& file,
                      const std::filesystem::path& backup, std::string& message);

} // namespace platform::detail
