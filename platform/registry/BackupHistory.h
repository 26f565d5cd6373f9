#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace platform::detail {

// One kept copy of the hive. Its file name carries all of this:
// <sequence>-<UTC time>-<reason>-<content digest>.db
struct KeptCopy {
    std::filesystem::path file;
    std::uint64_t sequence = 0;
    std::time_t time = 0;
    std::string reason;
    std::uint64_t digest = 0;
};

// The copies of the hive kept in <device>/backups, the newest kKept of them.
class BackupHistory {
public:
    static constexpr std::size_t kKept = 10;

    explicit BackupHistory(const std::filesystem::path& device);

    const std::filesystem::path& Folder() const { return m_folder; }
    // Newest first. The one copy that older versions kept (registry.db.bak) is taken in as
    // the oldest when the history is still empty.
    std::vector<KeptCopy> List() const;
    // Copies the hive in, unless it holds nothing or the newest copy holds the same content;
    // `made` says whether a copy was made. False, with the reason, when one could not be.
    bool Keep(const std::filesystem::path& hive, std::string_view reason, bool& made,
              std::string& error) const;
    // Removes all but the newest kKept copies.
    void Prune() const;

    // "2024-05-01 14:00:03 +0200": the copy's time as the user's clock shows it.
    static std::string TimeText(std::time_t time);
    // "before an import" and the like, for a reason word of a file name.
    static std::string ReasonText(std::string_view reason);

private:
    // Makes the folder (owner-only) when missing; false with errno set when it cannot be.
    bool MakeFolder() const;
    void TakeInOldCopy() const;
    std::filesystem::path NameFor(std::uint64_t sequence, std::time_t time, std::string_view reason,
                                  std::uint64_t digest) const;

    std::filesystem::path m_device;
    std::filesystem::path m_folder;
};

} // namespace platform::detail
