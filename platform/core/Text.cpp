#include "core/Text.h"

#include <QString>

namespace platform::detail {

std::string ToUtf8(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())).toStdString();
}

std::u16string FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toStdU16String();
}

std::optional<std::u16string> FromUtf8Strict(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    while (i < text.size()) {
        unsigned char c = byte(i);
        char32_t cp = 0;
        std::size_t len = 0;
        if (c < 0x80) {
            cp = c;
            len = 1;
        } else if ((c & 0xE0) == 0xC0) {
            cp = c & 0x1F;
            len = 2;
        } else if ((c & 0xF0) == 0xE0) {
            cp = c & 0x0F;
            len = 3;
        } else if ((c & 0xF8) == 0xF0) {
            cp = c & 0x07;
            len = 4;
        } else {
            return std::nullopt;
        }
        if (i + len > text.size())
            return std::nullopt;
        for (std::size_t k = 1; k < len; ++k) {
            unsigned char cc = byte(i + k);
            if ((cc & 0xC0) != 0x80)
                return std::nullopt;
            cp = (cp << 6) | (cc & 0x3F);
        }
        static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return std::nullopt;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
        i += len;
    }
    return out;
}

std::u16string FoldCase(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()))
        .toCaseFolded()
        .toStdU16String();
}

int CompareNoCase(std::u16string_view a, std::u16string_view b) {
    return FoldCase(a).compare(FoldCase(b));
}

namespace {

void Pad(std::u16string& out, std::u16string_view body, int width, bool left, bool zero) {
    int fill = width - static_cast<int>(body.size());
    if (fill <= 0) {
        out += body;
        return;
    }
    if (left) {
        out += body;
        out.append(static_cast<std::size_t>(fill), u' ');
    } else if (zero && !body.empty() && body[0] == u'-') {
        out += u'-';
        out.append(static_cast<std::size_t>(fill), u'0');
        out += body.substr(1);
    } else {
        out.append(static_cast<std::size_t>(fill), zero ? u'0' : u' ');
        out += body;
    }
}

std::u16string Number(unsigned long long value, unsigned base, bool upper) {
    const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::u16string s;
    do {
        s.insert(s.begin(), static_cast<char16_t>(digits[value % base]));
        value /= base;
    } while (value != 0);
    return s;
}

} // namespace

std::u16string VFormat(const WCHAR* format, va_list args) {
    std::u16string out;
    if (!format)
        return out;
    for (const WCHAR* p = format; *p; ++p) {
        if (*p != u'%') {
            out += *p;
            continue;
        }
        ++p;
        bool left = false;
        bool zero = false;
        for (; *p == u'-' || *p == u'0'; ++p)
            (*p == u'-' ? left : zero) = true;
        int width = 0;
        for (; *p >= u'0' && *p <= u'9'; ++p)
            width = width * 10 + (*p - u'0');
        bool isLong = false;
        for (; *p == u'l' || *p == u'h'; ++p)
            isLong = isLong || *p == u'l';
        switch (*p) {
        case u'd':
        case u'i': {
            long long v = isLong ? va_arg(args, long) : va_arg(args, int);
            std::u16string body =
                v < 0 ? u"-" + Number(0ULL - static_cast<unsigned long long>(v), 10, false)
                      : Number(static_cast<unsigned long long>(v), 10, false);
            Pad(out, body, width, left, zero);
            break;
        }
        case u'u':
        case u'x':
        case u'X': {
            unsigned long long v = isLong ? va_arg(args, unsigned long) : va_arg(args, unsigned);
            Pad(out, Number(v, *p == u'u' ? 10 : 16, *p == u'X'), width, left, zero);
            break;
        }
        case u'c':
            Pad(out, std::u16string(1, static_cast<char16_t>(va_arg(args, int))), width, left,
                false);
            break;
        case u's': {
            const WCHAR* s = va_arg(args, const WCHAR*);
            Pad(out, s ? std::u16string_view(s) : u"(null)", width, left, false);
            break;
        }
        case u'%':
            out += u'%';
            break;
        case u'\0':
            return out;
        default:
            out += u'%';
            out += *p;
            break;
        }
    }
    return out;
}

} // namespace platform::detail
