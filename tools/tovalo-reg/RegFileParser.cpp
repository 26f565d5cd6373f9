#include "RegFileParser.h"

#include "RegKeyPath.h"
#include "Utf.h"

#include <platform/Registry.h>

namespace tovaloreg {

namespace {

constexpr std::u16string_view kHeader5 = u"Windows Registry Editor Version 5.00";
constexpr std::u16string_view kHeader4 = u"REGEDIT4";

bool IsSpace(char16_t c) {
    return c == u' ' || c == u'\t';
}

std::u16string_view Trim(std::u16string_view s) {
    while (!s.empty() && IsSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

// 1 to 8 hex digits, as dword: and hex(N): take them.
std::optional<DWORD> ParseHexNumber(std::u16string_view digits) {
    if (digits.empty() || digits.size() > 8)
        return std::nullopt;
    DWORD value = 0;
    for (char16_t c : digits) {
        int d = HexDigit(c);
        if (d < 0)
            return std::nullopt;
        value = (value << 4) | static_cast<DWORD>(d);
    }
    return value;
}

// Views into the text: a large file is not held twice.
std::vector<std::u16string_view> SplitLines(std::u16string_view text) {
    std::vector<std::u16string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' || text[i] == u'\n') {
            lines.emplace_back(text.substr(start, i - start));
            if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < text.size())
        lines.emplace_back(text.substr(start));
    return lines;
}

bool StartsWith(std::string_view bytes, std::string_view prefix) {
    return bytes.substr(0, prefix.size()) == prefix;
}

} // namespace

std::optional<std::size_t> ReadQuoted(std::u16string_view text, std::size_t pos,
                                      std::u16string& out, bool lineBreaks) {
    out.clear();
    for (std::size_t i = pos + 1; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c == u'"')
            return i + 1;
        if (c == u'\\') {
            const char16_t next = i + 1 < text.size() ? text[i + 1] : u'\0';
            if (next == u'\\' || next == u'"')
                c = next;
            else if (lineBreaks && (next == u'n' || next == u'r'))
                c = next == u'n' ? u'\n' : u'\r';
            else
                return std::nullopt;
            ++i;
        }
        out += c;
    }
    return std::nullopt;
}

bool RegFileParser::Fail(std::string message) {
    m_error = std::move(message);
    m_errorLine = m_line;
    return false;
}

bool RegFileParser::Decode(std::string_view bytes, std::u16string& text) {
    if (StartsWith(bytes, "\xFF\xFE")) {
        bytes.remove_prefix(2);
        if (bytes.size() % 2 != 0)
            return Fail("the UTF-16 text ends in half a character");
        text.resize(bytes.size() / 2);
        for (std::size_t i = 0; i < text.size(); ++i)
            text[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                            (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
        // Half a character would be stored as another one: the registry keeps valid text.
        auto isHigh = [](char16_t c) { return c >= 0xD800 && c <= 0xDBFF; };
        auto isLow = [](char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; };
        int line = 1;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == u'\n')
                ++line;
            if (isHigh(text[i]) && i + 1 < text.size() && isLow(text[i + 1]))
                ++i;
            else if (isHigh(text[i]) || isLow(text[i])) {
                m_line = line;
                return Fail("the UTF-16 text holds half a character (an unpaired surrogate)");
            }
        }
        return true;
    }
    if (StartsWith(bytes, "\xFE\xFF"))
        return Fail("UTF-16 big-endian files are not read; save the file as UTF-16LE or UTF-8");
    if (StartsWith(bytes, "\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    if (auto decoded = FromUtf8(bytes)) {
        text = std::move(*decoded);
        return true;
    }
    // REGEDIT4 files come in a single-byte code page.
    if (StartsWith(bytes, "REGEDIT4")) {
        text = FromLatin1(bytes);
        return true;
    }
    return Fail("the file is neither UTF-8 nor UTF-16LE text");
}

std::optional<RegFile> RegFileParser::Parse(std::string_view bytes) {
    m_error.clear();
    m_line = 0;
    m_text.clear();
    if (!Decode(bytes, m_text))
        return std::nullopt;
    m_lines = SplitLines(m_text);
    m_next = 0;

    m_line = 1;
    std::u16string_view header = m_lines.empty() ? u"" : Trim(m_lines[0]);
    if (header == kHeader4)
        m_regedit4 = true;
    else if (header != kHeader5) {
        Fail("the first line must be \"Windows Registry Editor Version 5.00\" or \"REGEDIT4\"");
        return std::nullopt;
    }
    m_next = 1;

    RegFile file;
    while (m_next < m_lines.size()) {
        m_line = static_cast<int>(m_next) + 1;
        std::u16string_view line = Trim(m_lines[m_next++]);
        if (line.empty() || line.front() == u';')
            continue;
        if (line.front() == u'[') {
            if (!ParseKeyLine(line, file))
                return std::nullopt;
            continue;
        }
        if (line.front() != u'"' && line.front() != u'@') {
            Fail("expected a [key] line, a value, a comment or a blank line");
            return std::nullopt;
        }
        if (file.keys.empty()) {
            Fail("a value before the first [key] line");
            return std::nullopt;
        }
        if (file.keys.back().remove) {
            Fail("a value under a key that is being deleted");
            return std::nullopt;
        }
        // A value written over several lines ends each but the last with "\".
        std::u16string entry(line);
        int first = m_line;
        while (!entry.empty() && entry.back() == u'\\' && m_next < m_lines.size()) {
            entry.pop_back();
            entry += Trim(m_lines[m_next++]);
        }
        m_line = first;
        if (!ParseValue(entry, file.keys.back()))
            return std::nullopt;
    }
    return file;
}

bool RegFileParser::ParseKeyLine(std::u16string_view line, RegFile& file) {
    if (line.back() != u']')
        return Fail("a [key] line must end with \"]\"");
    std::u16string_view inside = line.substr(1, line.size() - 2);
    RegFileKey key;
    key.line = m_line;
    if (!inside.empty() && inside.front() == u'-') {
        key.remove = true;
        inside.remove_prefix(1);
    }
    auto path = ParseKeyPath(inside);
    if (!path) {
        std::size_t slash = inside.find(u'\\');
        auto root = ParseKeyPath(inside.substr(0, slash));
        if (!root)
            return Fail("the key " + ToUtf8(inside) + " is outside HKEY_CURRENT_USER");
        return Fail("the key " + ToUtf8(inside) +
                    " has an empty name or a name longer than 255 characters");
    }
    if (key.remove && path->empty())
        return Fail("HKEY_CURRENT_USER itself cannot be deleted");
    key.path = std::move(*path);
    file.keys.push_back(std::move(key));
    return true;
}

bool RegFileParser::ParseValue(std::u16string_view entry, RegFileKey& key) {
    RegFileValue value;
    value.line = m_line;
    std::size_t pos;
    if (entry.front() == u'@') {
        pos = 1;
    } else {
        auto end = ReadQuoted(entry, 0, value.name, true);
        if (!end)
            return Fail("the value name is not closed by \" or holds an escape other than \\\\, "
                        "\\\", \\n and \\r");
        pos = *end;
    }
    if (value.name.size() > kMaxNameLength)
        return Fail("the value name is longer than 255 characters");
    std::u16string_view rest = Trim(entry.substr(pos));
    if (rest.empty() || rest.front() != u'=')
        return Fail("expected \"=\" after the value name");
    if (!ParseData(Trim(rest.substr(1)), value))
        return false;
    key.values.push_back(std::move(value));
    return true;
}

bool RegFileParser::ParseData(std::u16string_view data, RegFileValue& value) {
    if (data == u"-") {
        value.remove = true;
        return true;
    }
    if (!data.empty() && data.front() == u'"') {
        std::u16string text;
        auto end = ReadQuoted(data, 0, text);
        if (!end)
            return Fail("the text is not closed by \" or holds an escape other than \\\\ and "
                        "\\\"");
        if (!Trim(data.substr(*end)).empty())
            return Fail("unexpected characters after the closing \"");
        value.type = REG_SZ;
        text += u'\0';
        for (char16_t c : text) {
            value.data.push_back(static_cast<BYTE>(c & 0xFF));
            value.data.push_back(static_cast<BYTE>(c >> 8));
        }
        return true;
    }
    if (data.starts_with(u"dword:")) {
        auto number = ParseHexNumber(data.substr(6));
        if (!number)
            return Fail(data.size() > 14 ? "a dword value has more than 8 hex digits"
                                         : "a dword value must be 1 to 8 hex digits");
        value.type = REG_DWORD;
        for (int i = 0; i < 4; ++i)
            value.data.push_back(static_cast<BYTE>((*number >> (8 * i)) & 0xFF));
        return true;
    }
    if (data.starts_with(u"hex:")) {
        value.type = REG_BINARY;
        return ParseHex(data.substr(4), value.data);
    }
    if (data.starts_with(u"hex(")) {
        std::size_t close = data.find(u')');
        if (close == std::u16string_view::npos || close + 1 >= data.size() ||
            data[close + 1] != u':')
            return Fail("expected hex(N): with N the type in hex");
        auto type = ParseHexNumber(data.substr(4, close - 4));
        if (!type)
            return Fail("the type in hex(N): must be 1 to 8 hex digits");
        value.type = *type;
        if (!ParseHex(data.substr(close + 2), value.data))
            return false;
        // REGEDIT4 writes text types in single bytes; the registry keeps them in UTF-16.
        if (m_regedit4 &&
            (value.type == REG_SZ || value.type == REG_EXPAND_SZ || value.type == REG_MULTI_SZ)) {
            std::vector<BYTE> wide;
            for (BYTE b : value.data) {
                wide.push_back(b);
                wide.push_back(0);
            }
            value.data = std::move(wide);
        }
        return true;
    }
    return Fail("expected \"text\", dword:, hex:, hex(N): or - after \"=\"");
}

bool RegFileParser::ParseHex(std::u16string_view list, std::vector<BYTE>& bytes) {
    list = Trim(list);
    if (list.empty())
        return true;
    std::size_t start = 0;
    while (true) {
        std::size_t comma = list.find(u',', start);
        std::u16string_view item =
            Trim(list.substr(start, comma == std::u16string_view::npos ? comma : comma - start));
        if (item.empty() && comma == std::u16string_view::npos && start > 0)
            return true; // a trailing comma
        auto byte = ParseHexNumber(item);
        if (!byte || item.size() > 2)
            return Fail("expected bytes as two hex digits separated by commas");
        bytes.push_back(static_cast<BYTE>(*byte));
        if (comma == std::u16string_view::npos)
            return true;
        start = comma + 1;
    }
}

} // namespace tovaloreg
