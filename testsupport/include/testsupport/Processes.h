#pragma once

#include <sys/types.h>

#include <filesystem>
#include <vector>

namespace testsupport {

// Whether this build runs under AddressSanitizer, whose shadow memory and quarantine make a
// process's address space and resident memory much larger than the program's own.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
constexpr bool kSanitized = __has_feature(address_sanitizer);
#else
constexpr bool kSanitized = false;
#endif

// The files of the Unix sockets a process listens on, as the kernel reports them.
std::vector<std::filesystem::path> ListeningSockets(pid_t pid);

// A process's resident memory now, in KiB; 0 when it cannot be read.
long ResidentKiB(pid_t pid);

// A blocking connection to a Unix socket file, each step waiting at most a second; -1 when
// it fails. The caller closes it.
int ConnectTo(const std::filesystem::path& socket);

} // namespace testsupport
