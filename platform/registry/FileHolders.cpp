#include "registry/FileHolders.h"

#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <dirent.h>
#include <fstream>
#include <unistd.h>
#include <utility>

namespace platform::detail {

namespace {

using Identity = std::pair<dev_t, ino_t>;

bool Holds(int pid, const std::vector<Identity>& files) {
    const std::string fds = "/proc/" + std::to_string(pid) + "/fd";
    DIR* dir = ::opendir(fds.c_str());
    if (!dir)
        return false;
    bool found = false;
    while (const dirent* entry = ::readdir(dir)) {
        struct stat st {};
        if (entry->d_name[0] == '.' || ::stat((fds + "/" + entry->d_name).c_str(), &st) != 0)
            continue;
        if (std::find(files.begin(), files.end(), Identity{st.st_dev, st.st_ino}) != files.end()) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

std::string ProgramName(int pid) {
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(comm, name);
    return name.empty() ? "a process" : name;
}

} // namespace

std::vector<FileHolder> FileHolders(std::span<const std::filesystem::path> files) {
    std::vector<Identity> identities;
    for (const auto& file : files) {
        struct stat st {};
        if (::stat(file.c_str(), &st) == 0)
            identities.emplace_back(st.st_dev, st.st_ino);
    }
    std::vector<FileHolder> holders;
    if (identities.empty())
        return holders;
    DIR* proc = ::opendir("/proc");
    if (!proc)
        return holders;
    const int self = ::getpid();
    while (const dirent* entry = ::readdir(proc)) {
        const char* name = entry->d_name;
        const char* end = name + std::char_traits<char>::length(name);
        int pid = 0;
        auto [last, ec] = std::from_chars(name, end, pid);
        if (ec != std::errc() || last != end || pid == self)
            continue;
        if (Holds(pid, identities))
            holders.push_back({pid, ProgramName(pid)});
    }
    ::closedir(proc);
    std::sort(holders.begin(), holders.end(),
              [](const FileHolder& a, const FileHolder& b) { return a.pid < b.pid; });
    return holders;
}

std::string DescribeHolders(const std::vector<FileHolder>& holders) {
    std::string text;
    for (const auto& holder : holders) {
        if (!text.empty())
            text += ", ";
        text += holder.program + " (pid " + std::to_string(holder.pid) + ")";
    }
    return text;
}

} // namespace platform::detail
