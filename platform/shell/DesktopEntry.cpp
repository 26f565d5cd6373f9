#include "shell/DesktopEntry.h"

#include "core/Text.h"
#include "files/SmallFile.h"

#include <algorithm>
#include <cstdlib>

namespace platform::detail {

namespace {

// Real entries are a few kilobytes; anything far larger is not one.
constexpr std::size_t kMaxFileSize = 1 << 20;

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

bool ParseBool(std::string_view value) {
    return value == "true" || value == "1";
}

} // namespace

std::u16string DesktopEntry::Unescape(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        char c = value[i];
        if (c != '\\' || i + 1 == value.size()) {
            out += c;
            continue;
        }
        char next = value[++i];
        switch (next) {
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
        case '\\':
            out += '\\';
            break;
        default:
            // Unknown escapes (Exec's \" and \$ among them) stay for the next reader.
            out += '\\';
            out += next;
            break;
        }
    }
    return FromUtf8(out);
}

std::vector<std::u16string> DesktopEntry::SplitList(std::string_view value) {
    std::vector<std::u16string> items;
    std::string current;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size() && value[i + 1] == ';') {
            current += ';';
            ++i;
        } else if (value[i] == '\\' && i + 1 < value.size()) {
            current += value[i];
            current += value[++i];
        } else if (value[i] == ';') {
            if (!current.empty())
                items.push_back(Unescape(current));
            current.clear();
        } else {
            current += value[i];
        }
    }
    if (!current.empty())
        items.push_back(Unescape(current));
    return items;
}

std::optional<DesktopEntry> DesktopEntry::Load(const std::filesystem::path& file) {
    const std::optional<std::string> text = SmallFile::Read(file, kMaxFileSize);
    if (!text)
        return std::nullopt;
    return Parse(*text);
}

std::optional<DesktopEntry> DesktopEntry::Parse(std::string_view text) {
    DesktopEntry entry;
    bool seen = false;
    bool inGroup = false;
    while (!text.empty()) {
        auto end = text.find('\n');
        std::string_view line = Trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == '#')
            continue;
        if (line.front() == '[') {
            // Only the first [Desktop Entry] group counts; later groups are actions and such.
            if (inGroup)
                break;
            inGroup = line == "[Desktop Entry]";
            seen = seen || inGroup;
            continue;
        }
        if (!inGroup)
            continue;
        auto equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        std::string_view key = Trim(line.substr(0, equals));
        std::string_view value = Trim(line.substr(equals + 1));
        if (key == "Name")
            entry.m_name = Unescape(value);
        else if (key.starts_with("Name[") && key.ends_with("]") && key.size() > 6)
            entry.m_localisedNames.emplace_back(std::string(key.substr(5, key.size() - 6)),
                                                Unescape(value));
        else if (key == "Exec")
            entry.m_exec = Unescape(value);
        else if (key == "Icon")
            entry.m_icon = Unescape(value);
        else if (key == "Type")
            entry.m_type = Unescape(value);
        else if (key == "TryExec")
            entry.m_tryExec = Unescape(value);
        else if (key == "NoDisplay")
            entry.m_noDisplay = ParseBool(value);
        else if (key == "Hidden")
            entry.m_hidden = ParseBool(value);
        else if (key == "Terminal")
            entry.m_terminal = ParseBool(value);
        else if (key == "OnlyShowIn")
            entry.m_onlyShowIn = SplitList(value);
        else if (key == "NotShowIn")
            entry.m_notShowIn = SplitList(value);
    }
    if (!seen)
        return std::nullopt;
    return entry;
}

std::u16string DesktopEntry::Name(std::string_view locale) const {
    // lang_COUNTRY.ENCODING@MODIFIER: the encoding never takes part in matching.
    std::string_view modifier;
    if (auto at = locale.find('@'); at != std::string_view::npos) {
        modifier = locale.substr(at + 1);
        locale = locale.substr(0, at);
    }
    if (auto dot = locale.find('.'); dot != std::string_view::npos)
        locale = locale.substr(0, dot);
    std::string_view lang = locale.substr(0, locale.find('_'));
    std::string_view country;
    if (auto underscore = locale.find('_'); underscore != std::string_view::npos)
        country = locale.substr(underscore + 1);

    std::vector<std::string> candidates;
    if (!country.empty() && !modifier.empty())
        candidates.push_back(std::string(lang) + "_" + std::string(country) + "@" +
                             std::string(modifier));
    if (!country.empty())
        candidates.push_back(std::string(lang) + "_" + std::string(country));
    if (!modifier.empty())
        candidates.push_back(std::string(lang) + "@" + std::string(modifier));
    candidates.emplace_back(lang);
    if (!lang.empty() && lang != "C" && lang != "POSIX") {
        for (const auto& wanted : candidates) {
            auto it = std::find_if(m_localisedNames.begin(), m_localisedNames.end(),
                                   [&](const auto& pair) { return pair.first == wanted; });
            if (it != m_localisedNames.end() && !it->second.empty())
                return it->second;
        }
    }
    return m_name;
}

bool DesktopEntry::ShownIn(const std::vector<std::u16string>& desktops) const {
    auto listed = [&](const std::vector<std::u16string>& list) {
        return std::any_of(desktops.begin(), desktops.end(), [&](const std::u16string& d) {
            return std::find(list.begin(), list.end(), d) != list.end();
        });
    };
    if (!m_onlyShowIn.empty() && !listed(m_onlyShowIn))
        return false;
    return !listed(m_notShowIn);
}

std::string DesktopEntry::Locale() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const char* value = std::getenv(name); value && *value)
            return value;
    return "C";
}

} // namespace platform::detail
