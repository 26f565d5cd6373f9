#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace platform::detail {

// The work on whole hive files of a device folder: its backup history, restores, and what a
// killed program left behind. Messages name the files and the reason in the system's words.

// Keeps a copy of the hive in the backup history (reason: a word such as "import") unless
// the newest copy holds the same content, then keeps the newest ten.
bool KeepBackup(const std::filesystem::path& device, std::string_view reason, std::string& message);

// Puts back the number-th newest copy. Refuses while another process has the hive open,
// and a sound hive unless forced; a sound hive is first kept as the newest copy and then
// overwritten in place through SQLite, a damaged one is set aside under a name of its own.
bool RestoreBackup(const std::filesystem::path& device, int number, bool force,
                   std::string& message);

// What to tell the user about a damaged hive: the file, the newest copy and the command.
std::string DamagedHiveMessage(const std::filesystem::path& device);

// Flushes a folder's entries, so that files made or renamed in it stay after a crash.
void SyncFolder(const std::filesystem::path& folder);

// Removes the temporary files of hive and backup writers that were killed meanwhile.
void RemoveLeftovers(const std::filesystem::path& device);

} // namespace platform::detail
