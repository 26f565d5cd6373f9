#pragma once

#include <platform/platform_export.h>

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace platform::detail {

// Whole small files, read and written with plain system calls. A stream would set up the C++
// locales at its first use: some 200 KB of the library paged in at every start, for the few
// small files a start reads.
class PLATFORM_EXPORT SmallFile {
public:
    // The file's bytes; nullopt when it cannot be read or holds more than `limit` bytes.
    static std::optional<std::string> Read(const std::filesystem::path& file, std::size_t limit);
    // Makes the file, the owner's only, holding `bytes`; false, leaving no file, when it exists
    // already or cannot be written whole.
    static bool WriteNew(const std::filesystem::path& file, std::string_view bytes);
};

} // namespace platform::detail
