#include "files/SmallFile.h"

#include "core/UniqueFd.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace platform::detail {

std::optional<std::string> SmallFile::Read(const std::filesystem::path& file, std::size_t limit) {
    UniqueFd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.Get() < 0)
        return std::nullopt;
    std::string bytes;
    char buffer[4096];
    while (true) {
        const ssize_t got = ::read(fd.Get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 || bytes.size() + static_cast<std::size_t>(got) > limit)
            return std::nullopt;
        if (got == 0)
            return bytes;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
}

bool SmallFile::WriteNew(const std::filesystem::path& file, std::string_view bytes) {
    UniqueFd fd(::open(file.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600));
    if (fd.Get() < 0)
        return false;
    while (!bytes.empty()) {
        const ssize_t put = ::write(fd.Get(), bytes.data(), bytes.size());
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            break;
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
    if (fd.Close() && bytes.empty())
        return true;
    ::unlink(file.c_str());
    return false;
}

} // namespace platform::detail
