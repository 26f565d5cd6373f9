#include "registry/BackupHistory.h"

#include "registry/HiveCopier.h"
#include "registry/HiveFile.h"
#include "registry/RegistryFiles.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <unistd.h>

namespace fs = std::filesystem;

namespace platform::detail {

namespace {

constexpr const char* kTimeFormat = "%Y%m%dT%H%M%SZ";
constexpr std::size_t kSequenceDigits = 6;
constexpr std::size_t kTimeChars = 16;
constexpr std::size_t kDigestDigits = 16;

template <typename Number> bool ParseNumber(std::string_view text, Number& value, int base) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return ec == std::errc() && end == text.data() + text.size();
}

// <sequence>-<time>-<reason>-<digest>.db; nothing for names of other files.
bool ParseName(const std::string& name, KeptCopy& copy) {
    if (!name.ends_with(".db"))
        return false;
    std::string_view rest(name.data(), name.size() - 3);
    const std::size_t last = rest.rfind('-');
    if (rest.size() < kSequenceDigits + kTimeChars + kDigestDigits + 4 || last == rest.npos ||
        rest[kSequenceDigits] != '-' || rest[kSequenceDigits + 1 + kTimeChars] != '-')
        return false;
    std::string_view reason =
        rest.substr(kSequenceDigits + kTimeChars + 2, last - (kSequenceDigits + kTimeChars + 2));
    if (reason.empty() ||
        !std::all_of(reason.begin(), reason.end(), [](char c) { return c >= 'a' && c <= 'z'; }))
        return false;
    std::tm utc{};
    const std::string time(rest.substr(kSequenceDigits + 1, kTimeChars));
    const char* end = strptime(time.c_str(), kTimeFormat, &utc);
    if (!end || *end != '\0')
        return false;
    copy.time = timegm(&utc);
    copy.reason = reason;
    return rest.size() - last - 1 == kDigestDigits &&
           ParseNumber(rest.substr(0, kSequenceDigits), copy.sequence, 10) &&
           ParseNumber(rest.substr(last + 1), copy.digest, 16);
}

std::vector<KeptCopy> Scan(const fs::path& folder) {
    std::vector<KeptCopy> copies;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        KeptCopy copy;
        if (ParseName(it->path().filename().string(), copy)) {
            copy.file = it->path();
            copies.push_back(std::move(copy));
        }
    }
    std::sort(copies.begin(), copies.end(), [](const KeptCopy& a, const KeptCopy& b) {
        return a.sequence != b.sequence ? a.sequence > b.sequence : a.file > b.file;
    });
    return copies;
}

} // namespace

BackupHistory::BackupHistory(const fs::path& device)
    : m_device(device), m_folder(device / "backups") {}

std::string BackupHistory::TimeText(std::time_t time) {
    std::tm local{};
    localtime_r(&time, &local);
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S %z", &local);
    return text;
}

std::string BackupHistory::ReasonText(std::string_view reason) {
    if (reason == "start")
        return "at a launcher start";
    if (reason == "import")
        return "before an import";
    if (reason == "delete")
        return "before a delete";
    if (reason == "restore")
        return "before a restore";
    if (reason == "check")
        return "before check --fix";
    if (reason == "kept")
        return "the former registry.db.bak";
    return std::string(reason);
}

bool BackupHistory::MakeFolder() const {
    if (::mkdir(m_folder.c_str(), 0700) == 0)
        return true;
    struct stat st {};
    if (errno == EEXIST && ::stat(m_folder.c_str(), &st) == 0 && !S_ISDIR(st.st_mode))
        errno = ENOTDIR;
    return errno == EEXIST;
}

fs::path BackupHistory::NameFor(std::uint64_t sequence, std::time_t time, std::string_view reason,
                                std::uint64_t digest) const {
    std::tm utc{};
    gmtime_r(&time, &utc);
    char stamp[kTimeChars + 1];
    std::strftime(stamp, sizeof stamp, kTimeFormat, &utc);
    char name[96];
    std::snprintf(name, sizeof name, "%06llu-%s-%.*s-%016llx.db",
                  static_cast<unsigned long long>(sequence), stamp, static_cast<int>(reason.size()),
                  reason.data(), static_cast<unsigned long long>(digest));
    return m_folder / name;
}

void BackupHistory::TakeInOldCopy() const {
    const fs::path old = m_device / "registry.db.bak";
    struct stat st {};
    if (::stat(old.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || !MakeFolder())
        return;
    // Its digest is unknown: the next copy is made whatever the hive holds.
    if (::rename(old.c_str(), NameFor(0, st.st_mtime, "kept", 0).c_str()) == 0)
        SyncFolder(m_folder);
}

std::vector<KeptCopy> BackupHistory::List() const {
    std::vector<KeptCopy> copies = Scan(m_folder);
    if (!copies.empty())
        return copies;
    TakeInOldCopy();
    return Scan(m_folder);
}

bool BackupHistory::Keep(const fs::path& hive, std::string_view reason, bool& made,
                         std::string& error) const {
    made = false;
    std::uint64_t digest = 0;
    bool empty = false;
    HiveCopier live(hive, false);
    if (!live.Digest(digest, empty)) {
        error = "cannot read " + hive.string() + ": " + live.Error();
        return false;
    }
    const std::vector<KeptCopy> copies = List();
    if (empty || (!copies.empty() && copies.front().digest == digest))
        return true;
    if (!MakeFolder()) {
        error = "cannot make the folder " + m_folder.string() + ": " + std::strerror(errno);
        return false;
    }
    static std::atomic<unsigned> counter{0};
    const fs::path temp =
        m_folder / (".new-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
    if (!HiveFile::CreateOwnerFile(temp)) {
        error = "cannot write in " + m_folder.string() + ": " + std::strerror(errno);
        return false;
    }
    std::error_code ec;
    if (!live.CopyInto(temp)) {
        error = "cannot copy " + hive.string() + " into " + m_folder.string() + ": " + live.Error();
        fs::remove(temp, ec);
        return false;
    }
    // The name carries the digest of what the copy holds, which a write since may have changed.
    HiveCopier(temp, false).Digest(digest, empty);
    std::uint64_t sequence = copies.empty() ? 1 : copies.front().sequence + 1;
    const std::time_t now = std::time(nullptr);
    while (::link(temp.c_str(), NameFor(sequence, now, reason, digest).c_str()) != 0) {
        if (errno != EEXIST) {
            error = "cannot write in " + m_folder.string() + ": " + std::strerror(errno);
            fs::remove(temp, ec);
            return false;
        }
        ++sequence;
    }
    fs::remove(temp, ec);
    SyncFolder(m_folder);
    made = true;
    return true;
}

void BackupHistory::Prune() const {
    const std::vector<KeptCopy> copies = Scan(m_folder);
    std::error_code ec;
    for (std::size_t i = kKept; i < copies.size(); ++i)
        fs::remove(copies[i].file, ec);
    if (copies.size() > kKept)
        SyncFolder(m_folder);
}

} // namespace platform::detail
