#include "registry/RegistryFiles.h"

#include "registry/Hive.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace platform::detail {

namespace {

std::string Timestamp() {
    std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &utc);
    return text;
}

// Copies byte for byte into a new owner-only file and flushes it to the disk.
bool CopyOwnerOnly(const fs::path& from, const fs::path& to) {
    int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    int out = ::open(to.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
    if (out < 0) {
        ::close(in);
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
    ::close(in);
    ok = ::close(out) == 0 && ok;
    return ok;
}

bool MoveIfPresent(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    if (!fs::exists(from, ec))
        return true;
    return ::rename(from.c_str(), to.c_str()) == 0;
}

} // namespace

bool PutBackupInPlace(const fs::path& folder, const fs::path& file, const fs::path& backup,
                      std::string& message) {
    std::error_code ec;
    if (!fs::exists(backup, ec)) {
        message = "Tovalo: there is no kept copy " + backup.string() + " to restore; " +
                  file.string() + " was left as it was.";
        return false;
    }
    fs::path staged = file.string() + ".restoring-" + std::to_string(::getpid());
    fs::remove(staged, ec);
    if (!CopyOwnerOnly(backup, staged) || !Hive::IsSound(staged)) {
        fs::remove(staged, ec);
        fs::remove(staged.string() + "-wal", ec);
        fs::remove(staged.string() + "-shm", ec);
        message = "Tovalo: the kept copy " + backup.string() + " is damaged too; " + file.string() +
                  " was left as it was.";
        return false;
    }
    std::string aside = file.string() + ".damaged-" + Timestamp();
    bool hadFile = fs::exists(file, ec);
    // The journal belongs to the file it came with: it goes aside too, or it would be
    // replayed into the restored copy.
    bool ok = MoveIfPresent(file, aside) && MoveIfPresent(file.string() + "-wal", aside + "-wal") &&
              MoveIfPresent(file.string() + "-shm", aside + "-shm");
    ok = ok && ::rename(staged.c_str(), file.c_str()) == 0;
    if (!ok) {
        fs::remove(staged, ec);
        message = "Tovalo: could not put " + backup.string() + " in place of " + file.string() +
                  ": " + std::strerror(errno);
        return false;
    }
    if (int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    message = "Restored " + file.string() + " from " + backup.string() + ".";
    if (hadFile)
        message += " The file it replaced was kept as " + aside + ".";
    return true;
}

} // namespace platform::detail
