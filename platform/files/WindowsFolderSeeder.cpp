#include "files/WindowsFolderSeeder.h"

#include "core/Text.h"
#include "files/XdgDirs.h"
#include "shell/DesktopEntry.h"

#include <platform/Device.h>

#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <system_error>

namespace fs = std::filesystem;

namespace platform::detail {

namespace {

// Room for " (NN)" and ".lnk" in a host name of at most 255 bytes.
constexpr std::size_t kMaxNameBytes = 230;
// The store keeps a program's device path in MAX_PATH units with the terminator; a shortcut
// whose path is longer could not be started from there.
constexpr std::u16string_view kProgramsPath = u"\\Windows\\Start Menu\\Programs\\";
constexpr std::u16string_view kShortcutExtension = u".lnk";
constexpr std::size_t kMaxNameUnits =
    MAX_PATH - 1 - kProgramsPath.size() - kShortcutExtension.size();

// Cuts a name so that it and a suffix still fit both the host's and the store's limits.
std::u16string Fit(std::u16string name, std::size_t suffixUnits) {
    while (!name.empty() &&
           (name.size() + suffixUnits > kMaxNameUnits || ToUtf8(name).size() > kMaxNameBytes))
        name.pop_back();
    // A cut may leave half a surrogate pair, or a blank before the suffix.
    if (!name.empty() && name.back() >= 0xD800 && name.back() <= 0xDBFF)
        name.pop_back();
    while (!name.empty() && name.back() == u' ')
        name.pop_back();
    return name;
}
// Application folders nest one or two levels at most; deeper trees are not entries.
constexpr int kMaxDepth = 4;

std::vector<std::u16string> CurrentDesktops() {
    std::vector<std::u16string> desktops;
    const char* value = std::getenv("XDG_CURRENT_DESKTOP");
    std::string_view text = value ? value : "";
    while (!text.empty()) {
        auto colon = text.find(':');
        if (colon != 0)
            desktops.push_back(FromUtf8(text.substr(0, colon)));
        text.remove_prefix(colon == std::string_view::npos ? text.size() : colon + 1);
    }
    return desktops;
}

std::string Locale() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const char* value = std::getenv(name); value && *value)
            return value;
    return "C";
}

// Desktop id -> entry file, the first folder that has the id winning.
std::map<std::string, fs::path> CollectEntries() {
    std::map<std::string, fs::path> entries;
    for (const auto& dir : ApplicationDirs()) {
        std::error_code ec;
        if (!fs::is_directory(dir, ec))
            continue;
        fs::recursive_directory_iterator it(dir, fs::directory_options::skip_permission_denied, ec);
        for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
            if (it.depth() >= kMaxDepth) {
                it.disable_recursion_pending();
                continue;
            }
            const fs::path& path = it->path();
            if (path.extension() != ".desktop" || !it->is_regular_file(ec))
                continue;
            std::string id = path.lexically_relative(dir).string();
            for (auto& ch : id)
                if (ch == '/')
                    ch = '-';
            entries.emplace(id, path);
        }
    }
    return entries;
}

std::u16string UniqueName(std::u16string base, std::set<std::u16string>& taken) {
    std::u16string name = base;
    for (int n = 2; !taken.insert(FoldCase(name)).second; ++n) {
        std::u16string suffix = u" (" + FromUtf8(std::to_string(n)) + u")";
        name = Fit(base, suffix.size()) + suffix;
    }
    return name;
}

bool WriteShortcut(const fs::path& file, const std::u16string& target) {
    std::u16string text =
        target.find(u' ') == std::u16string::npos ? target : u"\"" + target + u"\"";
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text.size() << '#' << ToUtf8(text);
    out.close();
    return static_cast<bool>(out);
}

} // namespace

WindowsFolderSeeder::WindowsFolderSeeder(fs::path device) : m_device(std::move(device)) {}

std::u16string WindowsFolderSeeder::ShortcutName(std::u16string_view name) {
    std::u16string result;
    for (char16_t ch : name) {
        if (ch == u'.')
            result += u'\u2024';
        else if (ch == u'/' || ch == u'\\')
            result += u'-';
        else if (ch >= 0x20 && ch != 0x7F)
            result += ch;
    }
    while (!result.empty() && result.back() == u' ')
        result.pop_back();
    while (!result.empty() && result.front() == u' ')
        result.erase(result.begin());
    return Fit(std::move(result), 0);
}

bool WindowsFolderSeeder::Run() {
    fs::path windows = m_device / "Windows";
    std::error_code ec;
    if (fs::exists(fs::symlink_status(windows, ec)))
        return false;
    bool fresh = !fs::exists(m_device, ec);
    if (fresh && fs::create_directories(m_device, ec))
        fs::permissions(m_device, fs::perms::owner_all, fs::perm_options::replace, ec);
    if (!fs::is_directory(m_device, ec)) {
        std::fprintf(stderr, "tovalo: cannot create the device folder %s\n", m_device.c_str());
        return false;
    }
    // Built aside and moved into place in one step, so that a crash or a second process
    // never sees a half-filled folder.
    std::string scratch = (m_device / ".Windows-XXXXXX").string();
    if (!mkdtemp(scratch.data())) {
        std::fprintf(stderr, "tovalo: cannot create the Windows folder in %s\n", m_device.c_str());
        return false;
    }
    fs::permissions(scratch, fs::perms::owner_all, fs::perm_options::replace, ec);
    bool built = Build(scratch);
    if (built) {
        fs::rename(scratch, windows, ec);
        if (ec && !fs::exists(windows)) {
            std::fprintf(stderr, "tovalo: cannot create %s: %s\n", windows.c_str(),
                         ec.message().c_str());
            built = false;
        } else if (ec) {
            built = false; // another process got there first
        }
    }
    if (!built || ec)
        fs::remove_all(scratch, ec);
    return built;
}

bool WindowsFolderSeeder::Build(const fs::path& windows) {
    std::error_code ec;
    fs::path programs = windows / "Start Menu" / "Programs";
    if (!fs::create_directories(programs, ec) ||
        !fs::create_directories(windows / "Favorites", ec)) {
        std::fprintf(stderr, "tovalo: cannot create %s: %s\n", programs.c_str(),
                     ec.message().c_str());
        return false;
    }
    auto desktops = CurrentDesktops();
    std::string locale = Locale();
    std::set<std::u16string> taken;
    for (const auto& [id, file] : CollectEntries()) {
        auto entry = DesktopEntry::Load(file);
        if (!entry || entry->Type() != u"Application" || entry->NoDisplay() || entry->Hidden() ||
            !entry->ShownIn(desktops))
            continue;
        auto target = DevicePath(file);
        if (!target)
            continue;
        std::u16string name = ShortcutName(entry->Name(locale));
        if (name.empty())
            name = ShortcutName(FromUtf8(fs::path(id).stem().string()));
        if (name.empty())
            continue;
        name = UniqueName(name, taken);
        fs::path shortcut = programs / (ToUtf8(name) + ToUtf8(kShortcutExtension));
        if (!WriteShortcut(shortcut, *target)) {
            std::fprintf(stderr, "tovalo: cannot write %s\n", shortcut.c_str());
            return false;
        }
    }
    return true;
}

void EnsureWindowsFolder(const fs::path& device) {
    static std::mutex mutex;
    static std::set<fs::path> done;
    // HostPath calls land here; the seeder itself maps no device path, but stay safe.
    thread_local bool running = false;
    if (running)
        return;
    std::lock_guard lock(mutex);
    if (!done.insert(device).second)
        return;
    running = true;
    WindowsFolderSeeder(device).Run();
    running = false;
}

} // namespace platform::detail
