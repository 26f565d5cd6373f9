#include "files/WindowsFolderSeeder.h"

#include "core/Text.h"
#include "files/StartMenuRecord.h"
#include "files/XdgDirs.h"
#include "shell/DesktopEntry.h"
#include "shell/DeviceShortcut.h"

#include <platform/Device.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <unistd.h>

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

// Set while this thread seeds or follows: device paths it maps must not start it again.
thread_local bool g_busy = false;

struct Busy {
    Busy() : was(g_busy) { g_busy = true; }
    ~Busy() { g_busy = was; }
    bool was;
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;
};

// Beside the shortcuts, where the first-start fill does not look.
constexpr const char* kRecordName = ".applications";
constexpr const char* kLockName = ".applications.lock";

struct Offered {
    std::string id;
    std::u16string name;
    std::u16string target;
};

// The applications the desktop offers now, by desktop id, each with its shortcut name.
std::vector<Offered> OfferedApplications() {
    std::vector<Offered> offered;
    auto desktops = CurrentDesktops();
    std::string locale = DesktopEntry::Locale();
    for (const auto& [id, file] : CollectEntries()) {
        if (!StartMenuRecord::Recordable(id))
            continue;
        auto entry = DesktopEntry::Load(file);
        if (!entry || entry->Type() != u"Application" || entry->NoDisplay() || entry->Hidden() ||
            !entry->ShownIn(desktops))
            continue;
        auto target = DevicePath(file);
        if (!target)
            continue;
        std::u16string name = WindowsFolderSeeder::ShortcutName(entry->Name(locale));
        if (name.empty())
            name = WindowsFolderSeeder::ShortcutName(FromUtf8(fs::path(id).stem().string()));
        if (!name.empty())
            offered.push_back({id, std::move(name), std::move(*target)});
    }
    return offered;
}

// The names of the shortcuts a folder holds, folded, without their extension.
std::set<std::u16string> ShortcutNamesIn(const fs::path& folder) {
    std::set<std::u16string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        std::u16string name = FromUtf8(it->path().filename().string());
        if (FoldCase(name).ends_with(kShortcutExtension))
            names.insert(FoldCase(name.substr(0, name.size() - kShortcutExtension.size())));
    }
    return names;
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
    Busy busy;
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
    StartMenuRecord record;
    std::set<std::u16string> taken;
    for (const Offered& app : OfferedApplications())
        if (!AddShortcut(programs, app.id, app.name, app.target, taken, record))
            return false;
    return record.Save(windows / "Start Menu" / kRecordName);
}

bool WindowsFolderSeeder::AddShortcut(const fs::path& programs, const std::string& id,
                                      const std::u16string& name, const std::u16string& target,
                                      std::set<std::u16string>& taken, StartMenuRecord& record) {
    std::u16string file = UniqueName(name, taken) + std::u16string(kShortcutExtension);
    fs::path shortcut = programs / ToUtf8(file);
    if (!WriteShortcut(shortcut, target)) {
        std::fprintf(stderr, "tovalo: cannot write %s\n", shortcut.c_str());
        return false;
    }
    record.applications.push_back({id, std::move(file), target});
    return true;
}

bool WindowsFolderSeeder::Follow() {
    Busy busy;
    const fs::path startMenu = m_device / "Windows" / "Start Menu";
    const fs::path programs = startMenu / "Programs";
    std::error_code ec;
    if (!fs::is_directory(programs, ec))
        return false;
    // Two programs starting on one device at once would both add what is new.
    const int lock = open((startMenu / kLockName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lock < 0)
        return false;
    flock(lock, LOCK_EX);
    const bool changed = FollowLocked(startMenu, programs);
    close(lock);
    return changed;
}

bool WindowsFolderSeeder::FollowLocked(const fs::path& startMenu, const fs::path& programs) {
    const std::vector<Offered> offered = OfferedApplications();
    const fs::path recordFile = startMenu / kRecordName;
    std::optional<StartMenuRecord> previous = StartMenuRecord::Load(recordFile);
    StartMenuRecord record;
    if (!previous) {
        // Made by hand or before the record was kept: what it holds is taken as it stands,
        // every shortcut as the user's, and only what the desktop adds from now on is added.
        for (const Offered& app : offered)
            record.applications.push_back({app.id, u"", app.target});
        record.Save(recordFile);
        return false;
    }
    std::map<std::string, const Offered*> byId;
    for (const Offered& app : offered)
        byId.emplace(app.id, &app);
    bool changed = false;
    for (StartMenuRecord::Application app : previous->applications) {
        const bool stillOffered = byId.count(app.id) != 0;
        if (!app.file.empty()) {
            const fs::path file = programs / ToUtf8(app.file);
            auto shortcut = ReadShortcut(file);
            // A shortcut the user removed or changed is theirs from now on.
            if (!shortcut || shortcut->target != app.target || !shortcut->arguments.empty()) {
                app.file.clear();
            } else if (!stillOffered) {
                std::error_code ec;
                changed = fs::remove(file, ec) || changed;
                continue;
            }
        }
        // A removed application is forgotten, so that installing it again counts as new.
        if (stillOffered)
            record.applications.push_back(std::move(app));
    }
    std::set<std::string> known;
    for (const auto& app : record.applications)
        known.insert(app.id);
    std::set<std::u16string> taken = ShortcutNamesIn(programs);
    for (const Offered& app : offered) {
        if (known.count(app.id) ||
            !AddShortcut(programs, app.id, app.name, app.target, taken, record))
            continue;
        changed = true;
    }
    record.Save(recordFile);
    return changed;
}

void EnsureWindowsFolder(const fs::path& device) {
    static std::mutex mutex;
    static std::set<fs::path> done;
    if (g_busy)
        return;
    std::lock_guard lock(mutex);
    if (!done.insert(device).second)
        return;
    WindowsFolderSeeder seeder(device);
    if (!seeder.Run())
        seeder.Follow();
}

} // namespace platform::detail
