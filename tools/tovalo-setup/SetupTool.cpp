#include "SetupTool.h"

#include <platform/Device.h>
#include <platform/Registry.h>
#include <platform/Setup.h>

#include <array>

namespace fs = std::filesystem;

namespace tovalosetup {

namespace {

constexpr const char* kUsage = "usage: tovalo-setup install [--hooks FILE]\n"
                               "       tovalo-setup uninstall [--hooks FILE]\n"
                               "install readies the launcher for you; uninstall removes your "
                               "launcher settings from the registry\n"
                               "(HKEY_CURRENT_USER\\Software\\NorviSoft\\NorviLuncher) and "
                               "nothing else.\n";

constexpr char16_t kStoreKey[] = u"Software\\NorviSoft\\NorviLuncher";
constexpr const char* kStoreKeyText = "HKEY_CURRENT_USER\\Software\\NorviSoft\\NorviLuncher";

// What an installation holds in the program's own folder.
constexpr std::array kSkinFiles = {"ArrowUp.BMP", "ArrowDown.BMP", "NORVI_LOGO.GIF"};

bool StoreExists() {
    HKEY key = nullptr;
    const LONG status = RegOpenKeyExW(HKEY_CURRENT_USER, kStoreKey, &key);
    if (status == ERROR_SUCCESS)
        RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

std::string Hive() {
    return (platform::DeviceFolder() / "registry.db").string();
}

} // namespace

int SetupTool::Fail(const std::string& message) {
    m_err << "tovalo-setup: " << message << "\n";
    return 1;
}

int SetupTool::Usage() {
    m_err << kUsage;
    return 2;
}

int SetupTool::Run(const std::vector<std::string>& args) {
    if (args.empty() || (args[0] != "install" && args[0] != "uninstall"))
        return Usage();
    fs::path hooksFile = m_hooks;
    if (args.size() == 3 && args[1] == "--hooks")
        hooksFile = args[2];
    else if (args.size() != 1)
        return Usage();

    platform::SetupLibrary hooks(hooksFile);
    if (!hooks.IsLoaded())
        return Fail("cannot use the setup library " + hooksFile.string() + ": " + hooks.Error());
    // A damaged hive is left alone: the hooks would meet it and say nothing.
    if (std::string problem = platform::RegistryProblem(); !problem.empty()) {
        m_err << problem << "\n";
        return 1;
    }
    return args[0] == "install" ? Install(hooks) : Uninstall(hooks);
}

int SetupTool::Install(platform::SetupLibrary& hooks) {
    const std::u16string folder = platform::ModuleDirectory();
    if (DWORD code = hooks.Install_Init(nullptr, TRUE, StoreExists(), folder.c_str()))
        return Fail("Install_Init stopped the installation (code " + std::to_string(code) + ")");
    // The files were put in place by the package manager or by cmake --install: see that
    // the program finds them.
    WORD missing = 0;
    const fs::path skin = platform::HostPath(folder) / "Skin";
    for (const char* name : kSkinFiles) {
        std::error_code ec;
        if (!fs::is_regular_file(skin / name, ec)) {
            m_err << "tovalo-setup: the installation lacks " << (skin / name).string() << "\n";
            ++missing;
        }
    }
    if (DWORD code = hooks.Install_Exit(nullptr, folder.c_str(), 0, missing, 0, 0, 0))
        return Fail("Install_Exit stopped the installation (code " + std::to_string(code) + ")");
    if (missing)
        return Fail("the installation is incomplete; reinstall the launcher");
    m_out << "Tovalo is ready: start it with tovalo. Your settings will be kept in " << Hive()
          << "\n";
    return 0;
}

int SetupTool::Uninstall(platform::SetupLibrary& hooks) {
    const std::u16string folder = platform::ModuleDirectory();
    const bool existed = StoreExists();
    if (DWORD code = hooks.Uninstall_Init(nullptr, folder.c_str()))
        return Fail("Uninstall_Init stopped the removal (code " + std::to_string(code) + ")");
    if (DWORD code = hooks.Uninstall_Exit(nullptr))
        return Fail("Uninstall_Exit stopped the removal (code " + std::to_string(code) + ")");
    // The hooks report nothing; what is left in the hive tells whether the removal took.
    platform::CloseRegistry();
    if (StoreExists())
        return Fail(std::string("the launcher's settings ") + kStoreKeyText +
                    " could not be removed from " + Hive());
    if (existed)
        m_out << "Removed the launcher's settings " << kStoreKeyText << " from " << Hive() << "\n";
    else
        m_out << "There were no launcher settings to remove in " << Hive() << "\n";
    return 0;
}

} // namespace tovalosetup
