#include <platform/Files.h>

#include "core/Text.h"
#include "files/FolderListing.h"

#include <platform/Device.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

namespace platform::detail {

namespace {

// Open searches, keyed by the handle given out. Handles count up and are never reused, so a
// closed handle finds nothing.
struct SearchTable {
    std::mutex mutex;
    std::uintptr_t lastHandle = 0;
    std::map<HANDLE, std::unique_ptr<FolderListing>> searches;
};

SearchTable& Searches() {
    static SearchTable table;
    return table;
}

} // namespace

} // namespace platform::detail

using platform::detail::FolderListing;
using platform::detail::Searches;

HANDLE FindFirstFileW(LPCWSTR lpFileName, LPWIN32_FIND_DATAW lpFindFileData) {
    if (!lpFileName || !lpFindFileData)
        return INVALID_HANDLE_VALUE;
    auto listing = FolderListing::Open(lpFileName);
    if (!listing)
        return INVALID_HANDLE_VALUE;
    auto owned = std::make_unique<FolderListing>(std::move(*listing));
    owned->Next(*lpFindFileData);
    auto& table = Searches();
    std::lock_guard lock(table.mutex);
    auto handle = reinterpret_cast<HANDLE>(++table.lastHandle);
    table.searches.emplace(handle, std::move(owned));
    return handle;
}

BOOL FindNextFileW(HANDLE hFindFile, LPWIN32_FIND_DATAW lpFindFileData) {
    if (!lpFindFileData)
        return FALSE;
    auto& table = Searches();
    std::lock_guard lock(table.mutex);
    auto it = table.searches.find(hFindFile);
    if (it == table.searches.end())
        return FALSE;
    return it->second->Next(*lpFindFileData) ? TRUE : FALSE;
}

BOOL FindClose(HANDLE hFindFile) {
    auto& table = Searches();
    std::lock_guard lock(table.mutex);
    return table.searches.erase(hFindFile) ? TRUE : FALSE;
}

DWORD GetFileAttributesW(LPCWSTR lpFileName) {
    if (!lpFileName || !*lpFileName)
        return INVALID_FILE_ATTRIBUTES;
    std::u16string_view path(lpFileName);
    while (path.size() > 1 && path.back() == u'\\')
        path.remove_suffix(1);
    auto slash = path.rfind(u'\\');
    std::u16string name(slash == std::u16string_view::npos ? path : path.substr(slash + 1));
    auto entry = platform::detail::DescribeEntry(platform::HostPath(path), std::move(name));
    return entry ? entry->attributes : INVALID_FILE_ATTRIBUTES;
}
