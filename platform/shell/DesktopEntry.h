#pragma once

#include <platform/platform_export.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::detail {

// The [Desktop Entry] group of a freedesktop application entry, values unescaped.
class PLATFORM_EXPORT DesktopEntry {
public:
    // Nothing when the file cannot be read, is too large, or has no [Desktop Entry] group.
    static std::optional<DesktopEntry> Load(const std::filesystem::path& file);
    static std::optional<DesktopEntry> Parse(std::string_view text);

    // Name= in the best match for a POSIX locale ("de_DE.UTF-8@euro"), else the plain Name=.
    std::u16string Name(std::string_view locale) const;
    // Whether the entry shows in a desktop named by any of the given names
    // (XDG_CURRENT_DESKTOP's parts): OnlyShowIn and NotShowIn.
    bool ShownIn(const std::vector<std::u16string>& desktops) const;

    const std::u16string& Exec() const { return m_exec; }
    const std::u16string& Icon() const { return m_icon; }
    const std::u16string& Type() const { return m_type; }
    const std::u16string& TryExec() const { return m_tryExec; }
    bool NoDisplay() const { return m_noDisplay; }
    bool Hidden() const { return m_hidden; }
    bool Terminal() const { return m_terminal; }
    const std::vector<std::u16string>& OnlyShowIn() const { return m_onlyShowIn; }
    const std::vector<std::u16string>& NotShowIn() const { return m_notShowIn; }

    // Value escapes: \s \n \t \r \\ (and \; inside lists).
    static std::u16string Unescape(std::string_view value);
    static std::vector<std::u16string> SplitList(std::string_view value);
    // The locale messages are shown in: LC_ALL, LC_MESSAGES, LANG, else "C".
    static std::string Locale();

private:
    std::u16string m_name;
    std::vector<std::pair<std::string, std::u16string>> m_localisedNames;
    std::u16string m_exec;
    std::u16string m_icon;
    std::u16string m_type;
    std::u16string m_tryExec;
    bool m_noDisplay = false;
    bool m_hidden = false;
    bool m_terminal = false;
    std::vector<std::u16string> m_onlyShowIn;
    std::vector<std::u16string> m_notShowIn;
};

} // namespace platform::detail
