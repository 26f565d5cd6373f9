#include "DesktopExec.h"

#include <fstream>

namespace platform::detail {

namespace {

std::string Unescape(const std::string& value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        switch (char c = value[++i]) {
        case 's':
            out += ' ';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case 'r':
            out += '\r';
            break;
        default:
            out += '\\';
            out += c;
            break;
        }
    }
    return out;
}

} // namespace

std::optional<DesktopExec> ReadDesktopExec(const std::filesystem::path& file) {
    std::ifstream in(file);
    if (!in)
        return std::nullopt;
    DesktopExec result;
    bool group = false;
    bool found = false;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line.front() == '#')
            continue;
        if (line.front() == '[') {
            group = line == "[Desktop Entry]";
            continue;
        }
        std::size_t eq = line.find('=');
        if (!group || eq == std::string::npos)
            continue;
        std::string key = line.substr(0, line.find_last_not_of(' ', eq - 1) + 1);
        std::string value = line.substr(line.find_first_not_of(' ', eq + 1) == std::string::npos
                                            ? line.size()
                                            : line.find_first_not_of(' ', eq + 1));
        if (key == "Exec") {
            // Exec's own "\\" quoting is for the argument splitter.
            result.exec = value;
            found = true;
        } else if (key == "Terminal") {
            result.terminal = value == "true";
        }
    }
    if (!found)
        return std::nullopt;
    result.exec = Unescape(result.exec);
    return result;
}

} // namespace platform::detail
