#include "files/FolderListing.h"

#include "core/Text.h"

#include <platform/Device.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <system_error>

namespace fs = std::filesystem;

namespace platform::detail {

namespace {

// Names longer than this cannot sit in a find record with its terminator.
constexpr std::size_t kMaxName = MAX_PATH - 1;
// Seconds between 1601-01-01 and 1970-01-01.
constexpr std::int64_t kEpochDelta = 11644473600LL;

bool Glob(std::u16string_view pattern, std::u16string_view name) {
    // Iterative match with one backtrack point for the last "*".
    std::size_t p = 0, n = 0, starP = std::u16string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (starP != std::u16string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

FILETIME ToFileTime(const struct timespec& ts) {
    std::int64_t ticks =
        (static_cast<std::int64_t>(ts.tv_sec) + kEpochDelta) * 10000000LL + ts.tv_nsec / 100;
    if (ticks < 0)
        ticks = 0;
    auto value = static_cast<std::uint64_t>(ticks);
    return FILETIME{static_cast<DWORD>(value & 0xFFFFFFFF), static_cast<DWORD>(value >> 32)};
}

// Read-only means the current user may not write it. Permission bits rather than access(),
// which says yes to everything when running as root.
bool IsReadOnly(const struct stat& st) {
    mode_t mode = st.st_mode;
    uid_t uid = geteuid();
    if (uid == 0)
        return (mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    if (st.st_uid == uid)
        return (mode & S_IWUSR) == 0;
    if (st.st_gid == getegid())
        return (mode & S_IWGRP) == 0;
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(getgroups(0, nullptr), 0)));
    if (!groups.empty() && getgroups(static_cast<int>(groups.size()), groups.data()) >= 0 &&
        std::find(groups.begin(), groups.end(), st.st_gid) != groups.end())
        return (mode & S_IWGRP) == 0;
    return (mode & S_IWOTH) == 0;
}

} // namespace

bool MatchesPattern(std::u16string_view pattern, std::u16string_view name) {
    std::u16string p = FoldCase(pattern);
    std::u16string n = FoldCase(name);
    if (Glob(p, n))
        return true;
    if (p.size() >= 2 && p.ends_with(u".*") && n.find(u'.') == std::u16string::npos)
        return Glob(std::u16string_view(p).substr(0, p.size() - 2), n);
    return false;
}

std::optional<FolderEntry> DescribeEntry(const fs::path& hostPath, std::u16string name) {
    struct stat st {};
    bool dangling = false;
    if (stat(hostPath.c_str(), &st) != 0) {
        if (lstat(hostPath.c_str(), &st) != 0)
            return std::nullopt;
        dangling = true;
    }
    FolderEntry entry;
    bool folder = !dangling && S_ISDIR(st.st_mode);
    entry.attributes = folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    if (!name.empty() && name.front() == u'.')
        entry.attributes |= FILE_ATTRIBUTE_HIDDEN;
    if (!dangling && IsReadOnly(st))
        entry.attributes |= FILE_ATTRIBUTE_READONLY;
    entry.size = folder || dangling ? 0 : static_cast<std::uint64_t>(st.st_size);
    entry.lastWrite = ToFileTime(st.st_mtim);
    entry.name = std::move(name);
    return entry;
}

void FillFindData(const FolderEntry& entry, WIN32_FIND_DATAW& data) {
    data = WIN32_FIND_DATAW{};
    data.dwFileAttributes = entry.attributes;
    data.ftCreationTime = entry.lastWrite;
    data.ftLastAccessTime = entry.lastWrite;
    data.ftLastWriteTime = entry.lastWrite;
    data.nFileSizeHigh = static_cast<DWORD>(entry.size >> 32);
    data.nFileSizeLow = static_cast<DWORD>(entry.size & 0xFFFFFFFF);
    std::copy(entry.name.begin(), entry.name.end(), data.cFileName);
    data.cFileName[entry.name.size()] = 0;
}

std::optional<FolderListing> FolderListing::Open(std::u16string_view devicePattern) {
    auto slash = devicePattern.rfind(u'\\');
    std::u16string_view folder =
        slash == std::u16string_view::npos ? u"\\" : devicePattern.substr(0, slash + 1);
    std::u16string_view pattern =
        slash == std::u16string_view::npos ? devicePattern : devicePattern.substr(slash + 1);
    if (pattern.empty())
        return std::nullopt;

    fs::path hostFolder = HostPath(folder);
    std::error_code ec;
    fs::directory_iterator it(hostFolder, fs::directory_options::skip_permission_denied, ec);
    if (ec)
        return std::nullopt;

    // The device's root holds its own Windows folder, in place of any the host has.
    const bool root = folder == u"\\";
    FolderListing listing;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec)
            break;
        const fs::path& path = it->path();
        auto name = FromUtf8Strict(path.filename().native());
        if (!name || name->empty() || name->size() > kMaxName ||
            name->find(u'\\') != std::u16string::npos)
            continue;
        if (!MatchesPattern(pattern, *name) || (root && FoldCase(*name) == u"windows"))
            continue;
        if (auto entry = DescribeEntry(path, std::move(*name)))
            listing.m_entries.push_back(std::move(*entry));
    }
    if (root && MatchesPattern(pattern, u"Windows"))
        if (auto entry = DescribeEntry(HostPath(u"\\Windows"), u"Windows"))
            listing.m_entries.push_back(std::move(*entry));
    if (listing.m_entries.empty())
        return std::nullopt;
    // Each name folded once: a large folder is sorted without folding at every comparison.
    std::vector<std::pair<std::u16string, std::size_t>> order;
    order.reserve(listing.m_entries.size());
    for (std::size_t i = 0; i < listing.m_entries.size(); ++i)
        order.emplace_back(FoldCase(listing.m_entries[i].name), i);
    const auto& entries = listing.m_entries;
    std::sort(order.begin(), order.end(), [&entries](const auto& a, const auto& b) {
        return a.first != b.first ? a.first < b.first
                                  : entries[a.second].name < entries[b.second].name;
    });
    std::vector<FolderEntry> sorted;
    sorted.reserve(entries.size());
    for (const auto& [folded, index] : order)
        sorted.push_back(std::move(listing.m_entries[index]));
    listing.m_entries = std::move(sorted);
    return listing;
}

bool FolderListing::Next(WIN32_FIND_DATAW& data) {
    if (m_next >= m_entries.size())
        return false;
    FillFindData(m_entries[m_next++], data);
    return true;
}

} // namespace platform::detail
