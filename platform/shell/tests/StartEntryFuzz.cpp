// Fuzz target: any bytes as a start-menu entry, read as a desktop entry, as a device shortcut
// and as an Exec= line. Each reader must refuse the bytes or give what its callers rely on.
#include "shell/DesktopEntry.h"
#include "shell/DeviceShortcut.h"
#include "shell/ExecLine.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <string_view>

using namespace platform::detail;

namespace {

std::filesystem::path g_device;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // An unquoted shortcut target is looked up in the device folder: give it one of its own.
    std::random_device random;
    g_device = std::filesystem::temp_directory_path() /
               ("start-entry-fuzz-" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(g_device);
    std::atexit([] {
        std::error_code ec;
        std::filesystem::remove_all(g_device, ec);
    });
    setenv("TOVALO_DEVICE", g_device.c_str(), 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    if (auto entry = DesktopEntry::Parse(text)) {
        volatile std::size_t seen = entry->Name("de_DE.UTF-8@euro").size() + entry->Name("").size();
        seen = seen + entry->ShownIn({u"GNOME", u"KDE", u""});
    }

    if (auto shortcut = ParseShortcut(text)) {
        if (shortcut->target.empty() ||
            shortcut->target.find_first_of(u"\r\n") != std::u16string::npos ||
            shortcut->arguments.find_first_of(u"\r\n") != std::u16string::npos)
            std::abort();
    }

    if (auto args = SplitExecLine(std::string(text))) {
        if (args->empty() || args->front().empty())
            std::abort();
    }
    return 0;
}
