#include "shell/DeviceShortcut.h"

#include "core/Text.h"

#include <platform/Device.h>

#include <cctype>
#include <fstream>

namespace platform::detail {

std::optional<DeviceShortcut> ParseShortcut(std::string_view content) {
    std::size_t hash = content.find('#');
    if (hash == std::string_view::npos || hash == 0)
        return std::nullopt;
    for (std::size_t i = 0; i < hash; ++i)
        if (!std::isdigit(static_cast<unsigned char>(content[i])))
            return std::nullopt;
    auto text = FromUtf8Strict(content.substr(hash + 1));
    if (!text)
        return std::nullopt;
    std::u16string rest = *text;
    if (auto line = rest.find_first_of(u"\r\n"); line != std::u16string::npos)
        rest.resize(line);
    while (!rest.empty() && rest.front() == u' ')
        rest.erase(rest.begin());
    while (!rest.empty() && (rest.back() == u'\n' || rest.back() == u'\r' || rest.back() == u' '))
        rest.pop_back();
    DeviceShortcut shortcut;
    if (!rest.empty() && rest.front() == u'"') {
        std::size_t close = rest.find(u'"', 1);
        if (close == std::u16string::npos)
            return std::nullopt;
        shortcut.target = rest.substr(1, close - 1);
        rest = rest.substr(close + 1);
    } else if (std::error_code ec; std::filesystem::exists(HostPath(rest), ec)) {
        // Unquoted, the whole text may be a path with blanks rather than a path and arguments.
        shortcut.target = rest;
        rest.clear();
    } else {
        std::size_t space = rest.find(u' ');
        shortcut.target = rest.substr(0, space);
        rest = space == std::u16string::npos ? u"" : rest.substr(space);
    }
    std::size_t first = rest.find_first_not_of(u' ');
    shortcut.arguments = first == std::u16string::npos ? u"" : rest.substr(first);
    if (shortcut.target.empty())
        return std::nullopt;
    return shortcut;
}

std::optional<DeviceShortcut> ReadShortcut(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string content(4096, '\0');
    in.read(content.data(), static_cast<std::streamsize>(content.size()));
    content.resize(static_cast<std::size_t>(in.gcount()));
    return ParseShortcut(content);
}

} // namespace platform::detail
