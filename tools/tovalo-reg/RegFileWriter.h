#pragma once

#include <platform/Types.h>

#include <span>
#include <string>
#include <string_view>

namespace tovaloreg {

// Writes keys of the hive in the registry-editor text format, as regedit lays it out:
// the header, a blank line, then each key's [line], its values and a blank line, depth first.
class RegFileWriter {
public:
    explicit RegFileWriter(std::u16string_view newline = u"\n") : m_newline(newline) {}

    void WriteHeader();
    // Appends the key below HKEY_CURRENT_USER and everything under it. False, with the
    // message, when the key is missing or cannot be read.
    bool WriteTree(std::u16string_view path, std::string& error);
    // Appends one key's [line] and values (not its subkeys); its subkeys' names into children.
    bool WriteKey(std::u16string_view path, std::u16string* children, std::string& error);

    // One value as a line of the format (with continuations for hex data).
    std::u16string FormatValue(std::u16string_view name, DWORD type,
                               std::span<const BYTE> data) const;

    const std::u16string& Text() const { return m_text; }

private:
    std::u16string m_newline;
    std::u16string m_text;
};

// "name" with \\, \", \r and \n escapes, or @ for the unnamed value.
std::u16string QuoteName(std::u16string_view name);

} // namespace tovaloreg
