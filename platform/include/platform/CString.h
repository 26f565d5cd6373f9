#pragma once

#include <platform/Types.h>
#include <platform/platform_export.h>

#include <compare>
#include <string>
#include <string_view>

// The framework's owned UTF-16 string.
class PLATFORM_EXPORT CString {
public:
    CString() = default;
    CString(const WCHAR* text) : m_str(text ? text : u"") {}
    CString(std::u16string_view text) : m_str(text) {}
    CString(std::u16string text) : m_str(std::move(text)) {}
    CString(const WCHAR* text, int length) : m_str(text, static_cast<std::size_t>(length)) {}

    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    const WCHAR* GetString() const { return m_str.c_str(); }
    operator const WCHAR*() const { return m_str.c_str(); }
    WCHAR GetAt(int index) const { return m_str.at(static_cast<std::size_t>(index)); }
    WCHAR operator[](int index) const { return GetAt(index); }

    // Index of the first or last occurrence, or -1.
    int Find(WCHAR ch, int start = 0) const;
    int Find(std::u16string_view sub, int start = 0) const;
    int ReverseFind(WCHAR ch) const;

    CString Left(int count) const;
    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString Right(int count) const;

    int Compare(std::u16string_view other) const { return m_str.compare(other); }
    // Compares without regard to case (ASCII and Latin-1 letters fold).
    int CompareNoCase(std::u16string_view other) const;

    // Formats with the device's printf subset: %d %i %u %x %X %s %c %% with widths and '0'.
    // %s takes a const WCHAR*.
    void Format(const WCHAR* format, ...);

    CString& operator=(const WCHAR* text) {
        m_str = text ? text : u"";
        return *this;
    }
    CString& operator+=(std::u16string_view text) {
        m_str += text;
        return *this;
    }
    CString& operator+=(WCHAR ch) {
        m_str += ch;
        return *this;
    }
    friend CString operator+(CString a, std::u16string_view b) { return a += b; }
    friend CString operator+(CString a, const CString& b) { return a += b.view(); }
    friend CString operator+(CString a, const WCHAR* b) { return a += std::u16string_view(b); }
    friend CString operator+(const WCHAR* a, const CString& b) { return CString(a) += b.view(); }
    friend bool operator==(const CString& a, const CString& b) { return a.m_str == b.m_str; }
    friend bool operator==(const CString& a, const WCHAR* b) { return a.m_str == b; }
    friend std::strong_ordering operator<=>(const CString& a, const CString& b) {
        return a.m_str <=> b.m_str;
    }

    const std::u16string& str() const { return m_str; }
    std::u16string_view view() const { return m_str; }

private:
    std::u16string m_str;
};

// printf-style formatting into a UTF-16 string, the device's swprintf subset.
PLATFORM_EXPORT std::u16string FormatString(const WCHAR* format, ...);
