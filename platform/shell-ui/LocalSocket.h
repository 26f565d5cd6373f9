#pragma once

#include "core/UniqueFd.h"

#include <platform/platform_export.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>

namespace platform::detail {

// Unix stream sockets by file name, for talking to this user's other programs. Names too long
// for a socket address are reached through their folder.

// A listening, non-blocking socket at this path, owner-only from its first moment; whatever
// lay at the path before is replaced. Invalid on failure.
PLATFORM_EXPORT UniqueFd ListenAt(const std::filesystem::path& file);

// Removes the socket file.
void RemoveSocket(const std::filesystem::path& file);

// Whether the other end of a connected socket runs as this user.
bool PeerIsThisUser(int fd);

// Sends one line to the socket at this path and returns the first line of the answer,
// without its line break; empty when nobody of this user answers within the time.
PLATFORM_EXPORT std::string AskOnce(const std::filesystem::path& file, std::string_view line,
                                    std::chrono::milliseconds timeout);

} // namespace platform::detail
