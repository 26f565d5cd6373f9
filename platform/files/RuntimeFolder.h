#pragma once

#include <filesystem>

namespace platform::detail {

// The folder for this user's sockets: $XDG_RUNTIME_DIR, or where that is unset, the device
// folder's own "run" folder, made owner-only. Empty when neither can be had.
std::filesystem::path RuntimeFolder();

// Points XDG_RUNTIME_DIR at RuntimeFolder() when it is unset, so that the toolkit, and the
// programs started from here, find a private one instead of guessing a shared name.
void ProvideRuntimeFolder();

} // namespace platform::detail
