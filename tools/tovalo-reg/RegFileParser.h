#pragma once

#include "RegFile.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tovaloreg {

// Reads the registry-editor text format ("Windows Registry Editor Version 5.00" or
// "REGEDIT4"), in UTF-8 with or without a byte-order mark or UTF-16LE with one. The whole
// file is read before anything is applied; the first error stops it.
class RegFileParser {
public:
    // Nothing on error; Error() and ErrorLine() then say what and where.
    std::optional<RegFile> Parse(std::string_view bytes);

    const std::string& Error() const { return m_error; }
    int ErrorLine() const { return m_errorLine; }

private:
    bool Decode(std::string_view bytes, std::u16string& text);
    bool ParseKeyLine(std::u16string_view line, RegFile& file);
    bool ParseValue(std::u16string_view entry, RegFileKey& key);
    bool ParseData(std::u16string_view data, RegFileValue& value);
    bool ParseHex(std::u16string_view list, std::vector<BYTE>& bytes);
    bool Fail(std::string message);

    std::u16string m_text;
    std::vector<std::u16string_view> m_lines;
    std::size_t m_next = 0;
    int m_line = 0;
    bool m_regedit4 = false;
    std::string m_error;
    int m_errorLine = 0;
};

// Reads a quoted string with the format's escapes (\\ and \") starting at text[pos] == '"';
// with lineBreaks also \n and \r, which value names use for the breaks a line cannot hold.
// Returns the position after the closing quote, or nothing when it is unterminated or
// holds another escape.
std::optional<std::size_t> ReadQuoted(std::u16string_view text, std::size_t pos,
                                      std::u16string& out, bool lineBreaks = false);

} // namespace tovaloreg
