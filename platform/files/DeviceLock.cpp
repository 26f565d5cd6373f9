#include "files/DeviceLock.h"

#include <platform/Device.h>

#include "core/UniqueFd.h"

#include <cerrno>
#include <fcntl.h>
#include <map>
#include <sys/file.h>

namespace fs = std::filesystem;

namespace platform::detail {

namespace {

constexpr const char* kLockName = "tovalo.lock";

// The device folders this process holds, by canonical name. The descriptors are never
// closed: the kernel lets go of the locks when the process ends.
std::map<fs::path, UniqueFd>& Held() {
    static auto* held = new std::map<fs::path, UniqueFd>;
    return *held;
}

} // namespace

fs::path CanonicalDeviceFolder() {
    std::error_code ec;
    fs::path folder = fs::weakly_canonical(fs::absolute(DeviceFolder(), ec), ec);
    return ec ? DeviceFolder() : folder;
}

DeviceHolder HoldDeviceFolder() {
    if (!EnsureDeviceFolder())
        return DeviceHolder::Unknown;
    const fs::path device = CanonicalDeviceFolder();
    auto& held = Held();
    if (held.contains(device))
        return DeviceHolder::ThisProcess;
    // Close-on-exec: a program started from here must not keep the device when we end.
    UniqueFd fd(
        ::open((device / kLockName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!fd)
        return DeviceHolder::Unknown;
    if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0)
        return errno == EWOULDBLOCK ? DeviceHolder::Another : DeviceHolder::Unknown;
    held.emplace(device, std::move(fd));
    return DeviceHolder::ThisProcess;
}

} // namespace platform::detail

namespace platform {

bool DeviceFolderInUse() {
    const fs::path device = detail::CanonicalDeviceFolder();
    if (detail::Held().contains(device))
        return true;
    detail::UniqueFd fd(
        ::open((device / detail::kLockName).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    // No lock file: no program has ever held this device.
    if (!fd)
        return false;
    return ::flock(fd.Get(), LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
}

} // namespace platform
