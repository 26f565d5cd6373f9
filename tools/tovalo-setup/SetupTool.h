#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace platform {
class SetupLibrary;
}

namespace tovalosetup {

// The launcher's install and removal step for the user who runs it: the hooks library is
// loaded and called around the step. Files are the package manager's; the step's own work is
// the user's registry. Exit codes: 0 done, 1 failed or stopped by a hook, 2 wrong usage.
class SetupTool {
public:
    // hooks: the library used unless --hooks names another.
    SetupTool(std::ostream& out, std::ostream& err, std::filesystem::path hooks)
        : m_out(out), m_err(err), m_hooks(std::move(hooks)) {}

    int Run(const std::vector<std::string>& args);

private:
    int Install(platform::SetupLibrary& hooks);
    int Uninstall(platform::SetupLibrary& hooks);
    int Fail(const std::string& message);
    int Usage();

    std::ostream& m_out;
    std::ostream& m_err;
    std::filesystem::path m_hooks;
};

} // namespace tovalosetup
