#include "RegFileWriter.h"

#include "RegKeyPath.h"
#include "Utf.h"

#include <platform/Registry.h>

#include <algorithm>
#include <vector>

namespace tovaloreg {

namespace {

constexpr std::size_t kLineWidth = 80;

// With lineBreaks, CR and LF become \r and \n, so that a value name holding them stays on
// its line; text data holding them is written as hex instead.
std::u16string Quote(std::u16string_view text, bool lineBreaks = false) {
    std::u16string out = u"\"";
    for (char16_t c : text) {
        if (c == u'\\' || c == u'"')
            out += u'\\';
        if (lineBreaks && (c == u'\n' || c == u'\r')) {
            out += c == u'\n' ? u"\\n" : u"\\r";
            continue;
        }
        out += c;
    }
    out += u'"';
    return out;
}

bool HasLineBreak(std::u16string_view text) {
    return text.find_first_of(u"\r\n") != std::u16string_view::npos;
}

// Text that a "quoted" form carries exactly: UTF-16 with one terminator at the end, and no
// characters that would break the line.
bool IsPlainText(std::span<const BYTE> data) {
    if (data.size() < 2 || data.size() % 2 != 0)
        return false;
    std::size_t units = data.size() / 2;
    for (std::size_t i = 0; i < units; ++i) {
        char16_t c = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
        if (i + 1 == units)
            return c == 0;
        if (c < 0x20)
            return false;
    }
    return false;
}

std::u16string HexNumber(DWORD value, bool pad) {
    constexpr char16_t kDigits[] = u"0123456789abcdef";
    std::u16string out;
    for (int shift = 28; shift >= 0; shift -= 4) {
        unsigned d = (value >> shift) & 0xF;
        if (d != 0 || pad || !out.empty() || shift == 0)
            out += kDigits[d];
    }
    return out;
}

// Reads the name of entry `index`, growing the buffer for names longer than the device's.
template <typename Enum> LONG EnumName(Enum call, std::u16string& name) {
    std::vector<WCHAR> buffer(256);
    while (true) {
        DWORD cch = static_cast<DWORD>(buffer.size());
        LONG status = call(buffer.data(), &cch);
        if (status == ERROR_MORE_DATA && cch + 1 > buffer.size()) {
            buffer.resize(cch + 1);
            continue;
        }
        if (status == ERROR_SUCCESS)
            name.assign(buffer.data(), cch);
        return status;
    }
}

class OpenKey {
public:
    explicit OpenKey(std::u16string_view path) {
        std::u16string copy(path);
        m_status = RegOpenKeyExW(HKEY_CURRENT_USER, copy.c_str(), &m_key);
    }
    ~OpenKey() {
        if (m_status == ERROR_SUCCESS)
            RegCloseKey(m_key);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    LONG Status() const { return m_status; }
    HKEY Get() const { return m_key; }

private:
    HKEY m_key = nullptr;
    LONG m_status;
};

std::string Describe(LONG status, std::u16string_view path) {
    std::string key = ToUtf8(FullKeyPath(path));
    if (status == ERROR_FILE_NOT_FOUND || status == ERROR_KEY_DELETED)
        return "the key " + key + " does not exist";
    return "cannot read the key " + key + " (error " + std::to_string(status) + ")";
}

} // namespace

std::u16string QuoteName(std::u16string_view name) {
    return name.empty() ? std::u16string(u"@") : Quote(name, true);
}

void RegFileWriter::WriteHeader() {
    m_text += u"Windows Registry Editor Version 5.00";
    m_text += m_newline;
    m_text += m_newline;
}

std::u16string RegFileWriter::FormatValue(std::u16string_view name, DWORD type,
                                          std::span<const BYTE> data) const {
    std::u16string line = QuoteName(name) + u"=";
    if (type == REG_SZ && IsPlainText(data)) {
        std::u16string text;
        for (std::size_t i = 0; i + 2 < data.size(); i += 2)
            text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
        return line + Quote(text);
    }
    if (type == REG_DWORD && data.size() == 4) {
        DWORD value =
            data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<DWORD>(data[3]) << 24);
        return line + u"dword:" + HexNumber(value, true);
    }
    line += type == REG_BINARY ? std::u16string(u"hex:") : u"hex(" + HexNumber(type, false) + u"):";
    // Lines of at most 80 columns, continued with "\" and indented by two, as regedit does.
    // Written in place: a value may be megabytes long.
    constexpr char16_t kDigits[] = u"0123456789abcdef";
    line.reserve(line.size() + data.size() * 3 + data.size() / 24 * (3 + m_newline.size()));
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < data.size(); ++i) {
        const bool last = i + 1 == data.size();
        if (line.size() - lineStart + (last ? 2 : 3) + 1 > kLineWidth) {
            line += u'\\';
            line += m_newline;
            lineStart = line.size();
            line += u"  ";
        }
        line += kDigits[data[i] >> 4];
        line += kDigits[data[i] & 0xF];
        if (!last)
            line += u',';
    }
    return line;
}

bool RegFileWriter::WriteKey(std::u16string_view path, std::u16string* children,
                             std::string& error) {
    OpenKey key(path);
    if (key.Status() != ERROR_SUCCESS) {
        error = Describe(key.Status(), path);
        return false;
    }
    // A [key] line has no escapes: "\" separates names, and a line break would end it.
    if (HasLineBreak(path)) {
        std::u16string shown(path);
        std::replace_if(
            shown.begin(), shown.end(), [](char16_t c) { return c == u'\n' || c == u'\r'; }, u'?');
        error = "the key " + ToUtf8(FullKeyPath(shown)) +
                " has a line break in its name, which a .reg file cannot hold";
        return false;
    }
    std::u16string block = u"[" + FullKeyPath(path) + u"]" + m_newline;
    // One call per value with buffers that grow to the largest name and data met so far.
    std::vector<WCHAR> name(256);
    std::vector<BYTE> data(4096);
    for (DWORD index = 0;;) {
        DWORD cch = static_cast<DWORD>(name.size());
        DWORD size = static_cast<DWORD>(data.size());
        DWORD type = 0;
        LONG status = RegEnumValueW(key.Get(), index, name.data(), &cch, &type, data.data(), &size);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status == ERROR_MORE_DATA) {
            name.resize(std::max<std::size_t>(name.size(), cch + 1));
            data.resize(std::max<std::size_t>(data.size(), size));
            continue;
        }
        if (status != ERROR_SUCCESS) {
            error = Describe(status, path);
            return false;
        }
        block += FormatValue(std::u16string_view(name.data(), cch), type,
                             std::span<const BYTE>(data.data(), size));
        block += m_newline;
        ++index;
    }
    block += m_newline;
    if (children) {
        children->clear();
        for (DWORD index = 0;; ++index) {
            std::u16string name;
            LONG status =
                EnumName([&](WCHAR* buffer,
                             DWORD* cch) { return RegEnumKeyExW(key.Get(), index, buffer, cch); },
                         name);
            if (status == ERROR_NO_MORE_ITEMS)
                break;
            if (status != ERROR_SUCCESS) {
                error = Describe(status, path);
                return false;
            }
            // Names are separated by NUL, which no key name holds.
            *children += name;
            *children += u'\0';
        }
    }
    m_text += block;
    return true;
}

bool RegFileWriter::WriteTree(std::u16string_view root, std::string& error) {
    // Depth first with a stack of our own, so that a deep hive cannot exhaust the call stack.
    struct Frame {
        std::u16string path;
        std::u16string children;
        std::size_t next = 0;
    };
    std::vector<Frame> stack;
    stack.push_back({std::u16string(root), {}, 0});
    if (!WriteKey(root, &stack.back().children, error))
        return false;
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next >= top.children.size()) {
            stack.pop_back();
            continue;
        }
        std::size_t end = top.children.find(u'\0', top.next);
        std::u16string child = top.children.substr(top.next, end - top.next);
        top.next = end + 1;
        std::u16string path = top.path.empty() ? child : top.path + u"\\" + child;
        Frame next{path, {}, 0};
        if (!WriteKey(path, &next.children, error))
            return false;
        stack.push_back(std::move(next));
    }
    return true;
}

} // namespace tovaloreg
