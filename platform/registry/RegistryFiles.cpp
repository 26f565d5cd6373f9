#include "registry/RegistryFiles.h"

#include "registry/BackupHistory.h"
#include "registry/FileHolders.h"
#include "registry/Hive.h"
#include "registry/HiveCopier.h"
#include "registry/HiveFile.h"

#include <sqlite3.h>

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace platform::detail {

namespace {

std::string SystemError() {
    return std::strerror(errno);
}

std::string Timestamp() {
    std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &utc);
    return text;
}

bool Exists(const fs::path& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// Copies byte for byte into a new owner-only file and flushes it to the disk; errno tells
// why it failed.
bool CopyOwnerOnly(const fs::path& from, const fs::path& to) {
    int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    int out = ::open(to.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
    if (out < 0) {
        int err = errno;
        ::close(in);
        errno = err;
        return false;
    }
    bool ok = true;
    char buffer[65536];
    while (ok) {
        ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0) {
            ok = errno == EINTR;
            continue;
        }
        for (ssize_t done = 0; ok && done < n;) {
            ssize_t w = ::write(out, buffer + done, static_cast<std::size_t>(n - done));
            if (w < 0)
                ok = errno == EINTR;
            else
                done += w;
        }
    }
    ok = ok && ::fsync(out) == 0;
    int err = errno;
    ::close(in);
    ok = ::close(out) == 0 && ok;
    if (!ok)
        errno = err;
    return ok;
}

// Gives the file (and its journal, which would otherwise be replayed into whatever takes
// its name) a name no earlier set-aside file has. The file keeps its own name too until
// the caller renames another over it.
bool SetAside(const fs::path& file, std::string& aside) {
    const std::string base = file.string() + ".damaged-" + Timestamp();
    for (int n = 1;; ++n) {
        aside = n == 1 ? base : base + "-" + std::to_string(n);
        if (Exists(aside + "-wal") || Exists(aside + "-shm"))
            continue;
        if (::link(file.c_str(), aside.c_str()) == 0)
            break;
        if (errno == EEXIST)
            continue;
        // Where the folder has no hard links the file moves instead.
        if (Exists(aside) || ::rename(file.c_str(), aside.c_str()) != 0)
            return false;
        break;
    }
    for (const char* sidecar : {"-wal", "-shm"}) {
        const std::string from = file.string() + sidecar;
        if (Exists(from) && ::rename(from.c_str(), (aside + sidecar).c_str()) != 0)
            return false;
    }
    return true;
}

std::string Describe(int number, const KeptCopy& copy) {
    return "backup " + std::to_string(number) + " (" + BackupHistory::TimeText(copy.time) + ", " +
           BackupHistory::ReasonText(copy.reason) + ")";
}

// Puts the copy in place of a hive that is damaged or missing.
bool ReplaceFile(const fs::path& device, const fs::path& file, const KeptCopy& copy,
                 const std::string& name, std::string& message) {
    const std::string untouched = "; " + file.string() + " was left as it was.";
    const fs::path staged = file.string() + ".restoring-" + std::to_string(::getpid());
    std::error_code ec;
    fs::remove(staged, ec);
    if (!CopyOwnerOnly(copy.file, staged)) {
        message = "Tovalo: cannot copy " + name + " into " + device.string() + ": " +
                  SystemError() + untouched;
        fs::remove(staged, ec);
        return false;
    }
    const bool existed = Exists(file);
    std::string aside;
    if ((existed && !SetAside(file, aside)) || ::rename(staged.c_str(), file.c_str()) != 0) {
        message =
            "Tovalo: cannot put " + name + " in place of " + file.string() + ": " + SystemError();
        fs::remove(staged, ec);
        return false;
    }
    SyncFolder(device);
    message = "Restored " + file.string() + " from " + name + ".";
    if (existed)
        message += " The damaged file was set aside as " + aside + ".";
    return true;
}

} // namespace

void SyncFolder(const fs::path& folder) {
    if (int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool KeepBackup(const fs::path& device, std::string_view reason, std::string& message) {
    const BackupHistory history(device);
    bool made = false;
    std::string error;
    if (!history.Keep(Hive::FileIn(device), reason, made, error)) {
        message = "Tovalo: cannot keep a backup of the registry: " + error;
        return false;
    }
    history.Prune();
    message = made ? "Kept a backup of " + Hive::FileIn(device).string() + "."
                   : "No backup was needed: the registry is empty or the newest backup holds it.";
    return true;
}

bool RestoreBackup(const fs::path& device, int number, bool force, std::string& message) {
    const fs::path file = Hive::FileIn(device);
    const std::string untouched = "; " + file.string() + " was left as it was.";
    const BackupHistory history(device);
    const std::vector<KeptCopy> copies = history.List();
    if (copies.empty()) {
        message = "Tovalo: there is no backup in " + history.Folder().string() + " to restore" +
                  untouched;
        return false;
    }
    if (number < 1 || static_cast<std::size_t>(number) > copies.size()) {
        message = "Tovalo: there is no backup " + std::to_string(number) +
                  "; they are numbered 1 " + "(the newest) to " + std::to_string(copies.size()) +
                  " (tovalo-reg backups lists them)" + untouched;
        return false;
    }
    const KeptCopy& copy = copies[static_cast<std::size_t>(number) - 1];
    const std::string name = Describe(number, copy);
    if (::access(copy.file.c_str(), R_OK) != 0) {
        message = "Tovalo: cannot read " + name + ", " + copy.file.string() + ": " + SystemError() +
                  untouched;
        return false;
    }
    if (int rc = Hive::Check(copy.file); rc != SQLITE_OK) {
        message =
            "Tovalo: " + name + ", " + copy.file.string() +
            (HiveFile::IsDamagedFile(rc) ? std::string(", is damaged")
                                         : ", cannot be read: " + std::string(sqlite3_errstr(rc))) +
            untouched + " tovalo-reg backups lists the others.";
        return false;
    }

    const fs::path files[] = {file, file.string() + "-wal", file.string() + "-shm"};
    if (auto holders = FileHolders(files); !holders.empty()) {
        message = "Tovalo: " + file.string() + " is open in " + DescribeHolders(holders) +
                  "; nothing was restored. Quit " + (holders.size() == 1 ? "it" : "them") +
                  " and try again.";
        return false;
    }
    const bool exists = Exists(file);
    const int rc = exists ? Hive::Check(file) : SQLITE_CANTOPEN;
    if (exists && rc != SQLITE_OK && !HiveFile::IsDamagedFile(rc)) {
        message = "Tovalo: cannot read " + file.string() + ": " + sqlite3_errstr(rc) +
                  "; nothing was restored.";
        return false;
    }
    if (rc != SQLITE_OK) {
        if (!ReplaceFile(device, file, copy, name, message))
            return false;
        history.Prune();
        return true;
    }

    if (!force) {
        message = "Tovalo: " + file.string() + " is sound; nothing was restored. To put " + name +
                  " in its place all the same: tovalo-reg restore --force " +
                  std::to_string(number);
        return false;
    }
    bool made = false;
    std::string error;
    if (!history.Keep(file, "restore", made, error)) {
        message = "Tovalo: cannot keep the registry as a backup before restoring: " + error +
                  "; nothing was restored.";
        return false;
    }
    HiveCopier live(file, true);
    if (!live.ReplaceWith(copy.file)) {
        message = "Tovalo: cannot copy " + name + " into " + file.string() + ": " + live.Error() +
                  untouched;
        return false;
    }
    history.Prune();
    message = "Restored " + file.string() + " from " + name +
              ". The registry it replaced is backup 1 now: tovalo-reg restore --force 1 puts it "
              "back.";
    return true;
}

std::string DamagedHiveMessage(const fs::path& device) {
    const BackupHistory history(device);
    const std::vector<KeptCopy> copies = history.List();
    std::string message = "Tovalo: the registry file " + Hive::FileIn(device).string() +
                          " is damaged; it was left as it was. ";
    if (copies.empty())
        return message + "There is no backup of it in " + history.Folder().string() + ".";
    return message + "Restore the newest backup, " + copies.front().file.string() + " of " +
           BackupHistory::TimeText(copies.front().time) + ", with: tovalo-reg restore";
}

void RemoveLeftovers(const fs::path& device) {
    struct Place {
        fs::path folder;
        const char* prefix;
    };
    const fs::path backups = BackupHistory(device).Folder();
    const Place places[] = {{device, "registry.db.bak.new-"},
                            {device, "registry.db.new-"},
                            {device, "registry.db.restoring-"},
                            {backups, ".new-"}};
    std::error_code ec;
    for (const Place& place : places) {
        const std::string_view prefix = place.prefix;
        for (fs::directory_iterator it(place.folder, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string name = it->path().filename().string();
            if (!name.starts_with(prefix))
                continue;
            int pid = 0;
            const char* first = name.data() + prefix.size();
            auto [last, error] = std::from_chars(first, name.data() + name.size(), pid);
            // Only the files of programs that are gone: a running one is still writing its own.
            if (error != std::errc() || last == first || pid <= 0 || pid == ::getpid() ||
                ::kill(pid, 0) == 0 || errno != ESRCH)
                continue;
            std::error_code removed;
            fs::remove(it->path(), removed);
        }
    }
}

} // namespace platform::detail
