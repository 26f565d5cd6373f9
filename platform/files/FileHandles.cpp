#include <platform/Device.h>
#include <platform/Files.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>

namespace {

// Open files by handle; handles are never reused, so a closed one reads nothing.
struct Handles {
    std::map<std::uintptr_t, int> fds;
    std::uintptr_t next = 0x1000;
};

Handles& Open() {
    static Handles handles;
    return handles;
}

int FdOf(HANDLE h) {
    auto& fds = Open().fds;
    auto it = fds.find(reinterpret_cast<std::uintptr_t>(h));
    return it == fds.end() ? -1 : it->second;
}

} // namespace

HANDLE CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD, LPVOID,
                   DWORD dwCreationDisposition, DWORD, HANDLE) {
    if (!lpFileName || dwDesiredAccess != GENERIC_READ || dwCreationDisposition != OPEN_EXISTING)
        return INVALID_HANDLE_VALUE;
    const std::string path = platform::HostPath(lpFileName).string();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return INVALID_HANDLE_VALUE;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return INVALID_HANDLE_VALUE;
    }
    Handles& handles = Open();
    const std::uintptr_t key = handles.next;
    handles.next += 4;
    handles.fds[key] = fd;
    return reinterpret_cast<HANDLE>(key);
}

BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
              LPDWORD lpNumberOfBytesRead, LPVOID) {
    if (lpNumberOfBytesRead)
        *lpNumberOfBytesRead = 0;
    const int fd = FdOf(hFile);
    if (fd < 0 || (!lpBuffer && nNumberOfBytesToRead > 0))
        return FALSE;
    ssize_t n;
    do
        n = ::read(fd, lpBuffer, nNumberOfBytesToRead);
    while (n < 0 && errno == EINTR);
    if (n < 0)
        return FALSE;
    if (lpNumberOfBytesRead)
        *lpNumberOfBytesRead = static_cast<DWORD>(n);
    return TRUE;
}

BOOL CloseHandle(HANDLE hObject) {
    auto& fds = Open().fds;
    auto it = fds.find(reinterpret_cast<std::uintptr_t>(hObject));
    if (it == fds.end())
        return FALSE;
    ::close(it->second);
    fds.erase(it);
    return TRUE;
}
