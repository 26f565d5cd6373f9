#include <platform/CString.h>

#include "core/Text.h"

#include <cstdarg>

int CString::Find(WCHAR ch, int start) const {
    if (start < 0 || start > GetLength())
        return -1;
    auto pos = m_str.find(ch, static_cast<std::size_t>(start));
    return pos == std::u16string::npos ? -1 : static_cast<int>(pos);
}

int CString::Find(std::u16string_view sub, int start) const {
    if (start < 0 || start > GetLength())
        return -1;
    auto pos = m_str.find(sub, static_cast<std::size_t>(start));
    return pos == std::u16string::npos ? -1 : static_cast<int>(pos);
}

int CString::ReverseFind(WCHAR ch) const {
    auto pos = m_str.rfind(ch);
    return pos == std::u16string::npos ? -1 : static_cast<int>(pos);
}

CString CString::Left(int count) const {
    if (count <= 0)
        return {};
    return CString(m_str.substr(0, static_cast<std::size_t>(count)));
}

CString CString::Mid(int first) const {
    if (first < 0)
        first = 0;
    if (first >= GetLength())
        return {};
    return CString(m_str.substr(static_cast<std::size_t>(first)));
}

CString CString::Mid(int first, int count) const {
    if (first < 0)
        first = 0;
    if (first >= GetLength() || count <= 0)
        return {};
    return CString(m_str.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(count)));
}

CString CString::Right(int count) const {
    if (count <= 0)
        return {};
    if (count >= GetLength())
        return *this;
    return CString(m_str.substr(m_str.size() - static_cast<std::size_t>(count)));
}

int CString::CompareNoCase(std::u16string_view other) const {
    return platform::detail::CompareNoCase(m_str, other);
}

void CString::Format(const WCHAR* format, ...) {
    va_list args;
    va_start(args, format);
    m_str = platform::detail::VFormat(format, args);
    va_end(args);
}

std::u16string FormatString(const WCHAR* format, ...) {
    va_list args;
    va_start(args, format);
    std::u16string result = platform::detail::VFormat(format, args);
    va_end(args);
    return result;
}
