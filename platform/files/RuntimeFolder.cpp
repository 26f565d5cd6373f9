#include "files/RuntimeFolder.h"

#include <platform/Device.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace platform::detail {

namespace {

// The folder this process put into XDG_RUNTIME_DIR itself, if it did.
std::string& Provided() {
    static std::string provided;
    return provided;
}

// The user's own runtime folder: one we provided stands for the device folder it lies in,
// and is looked for anew should the device folder change.
const char* RuntimeVariable() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || !*runtime || runtime == Provided())
        return nullptr;
    return runtime;
}

// "<device>/run", owned by this user and closed to everybody else.
fs::path PrivateRunFolder() {
    if (!EnsureDeviceFolder())
        return {};
    std::error_code ec;
    const fs::path run = fs::absolute(DeviceFolder() / "run", ec);
    if (ec)
        return {};
    if (::mkdir(run.c_str(), 0700) != 0 && errno != EEXIST)
        return {};
    struct stat st {};
    if (::lstat(run.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return {};
    if ((st.st_mode & 07777) != 0700 && ::chmod(run.c_str(), 0700) != 0)
        return {};
    return run;
}

} // namespace

fs::path RuntimeFolder() {
    if (const char* runtime = RuntimeVariable())
        return fs::path(runtime);
    return PrivateRunFolder();
}

void ProvideRuntimeFolder() {
    if (RuntimeVariable())
        return;
    if (fs::path run = PrivateRunFolder(); !run.empty()) {
        Provided() = run.string();
        ::setenv("XDG_RUNTIME_DIR", run.c_str(), 1);
    }
}

} // namespace platform::detail
