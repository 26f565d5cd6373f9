#include "SetupTool.h"

#include <platform/Device.h>

#include <iostream>

int main(int argc, char** argv) {
    // The launcher's own hooks, where the build and an installation both put them.
    const auto hooks = (platform::ExecutableFolder() / TOVALO_HOOKS_LIBRARY).lexically_normal();
    tovalosetup::SetupTool tool(std::cout, std::cerr, hooks);
    return tool.Run(std::vector<std::string>(argv + 1, argv + argc));
}
