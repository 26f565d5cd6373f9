#pragma once

#include <platform/CList.h>
#include <platform/CString.h>
#include <platform/Shell.h>

#include <algorithm>
#include <cstddef>
#include <string_view>

// The circular cursor and the slot-ordered insertion shared by the program, group and
// quick-launch lists. Indexes outside the list and steps on an empty or unanchored cursor
// return a default record and leave the cursor as it was.
namespace ostrel {

template <typename T> class ListCursor {
public:
    ListCursor(CList<T>& list, int& index, POSITION& pos)
        : m_list(list), m_index(index), m_pos(pos) {}

    T GetStart() {
        if (m_list.IsEmpty())
            return T{};
        m_index = 0;
        m_pos = m_list.GetHeadPosition();
        return m_list.GetAt(m_pos);
    }

    T GetEnd() {
        if (m_list.IsEmpty())
            return T{};
        m_index = m_list.GetCount() - 1;
        m_pos = m_list.GetTailPosition();
        return m_list.GetAt(m_pos);
    }

    T GetAtNext(int i) {
        POSITION at = m_list.FindIndex(i);
        if (!at)
            return T{};
        m_index = i;
        T value = m_list.GetNext(at);
        m_pos = at;
        return value;
    }

    T GetAtPrev(int i) {
        POSITION at = m_list.FindIndex(i);
        if (!at)
            return T{};
        m_index = i;
        T value = m_list.GetPrev(at);
        m_pos = at;
        return value;
    }

    T GetNext() {
        if (m_list.IsEmpty())
            return T{};
        if (m_index == m_list.GetCount() - 1) {
            T first = GetStart();
            m_list.GetNext(m_pos);
            return first;
        }
        if (!m_pos)
            return T{};
        ++m_index;
        return m_list.GetNext(m_pos);
    }

    T GetPrev() {
        if (m_list.IsEmpty())
            return T{};
        if (m_index == 0) {
            T last = GetEnd();
            m_list.GetPrev(m_pos);
            return last;
        }
        if (!m_pos)
            return T{};
        --m_index;
        return m_list.GetPrev(m_pos);
    }

    T GetIcon(int i) const {
        POSITION at = m_list.FindIndex(i);
        return at ? m_list.GetAt(at) : T{};
    }

    // Puts an element of slot s after the element at index s - 1, or at the tail when there
    // is none (an unstored element, s = -1); the cursor is left on that element with index
    // s - 1. Slot 0 goes to the head so that list order keeps matching slot order.
    void InsertAtSlot(int slot, const T& element) {
        m_index = slot - 1;
        m_pos = m_list.FindIndex(slot - 1);
        if (slot == 0)
            m_list.AddHead(element);
        else
            m_list.InsertAfter(m_pos ? m_pos : m_list.GetTailPosition(), element);
    }

    // Removes the element at index i; a cursor resting on it is dropped so that it is never
    // followed into a freed node.
    void RemoveAt(int i) {
        POSITION at = m_list.FindIndex(i);
        if (!at)
            return;
        if (at == m_pos)
            m_pos = nullptr;
        m_list.RemoveAt(at);
    }

    void RemoveAll() {
        m_list.RemoveAll();
        m_pos = nullptr;
    }

private:
    CList<T>& m_list;
    int& m_index;
    POSITION& m_pos;
};

// Copies text into a record's field, cut to fit and always terminated.
template <std::size_t N> void CopyText(WCHAR (&field)[N], std::u16string_view text) {
    std::size_t n = std::min(text.size(), N - 1);
    std::copy_n(text.data(), n, field);
    std::fill(field + n, field + N, WCHAR{0});
}

// Byte view of a string with its terminator, as the store takes text.
inline const BYTE* TextBytes(const CString& text) {
    return reinterpret_cast<const BYTE*>(text.GetString());
}
inline int TextByteCount(const CString& text) {
    return (text.GetLength() + 1) * 2;
}

// Releases the icons a list's elements hold.
template <typename T> void DestroyIcons(CList<T>& list) {
    for (POSITION pos = list.GetHeadPosition(); pos;)
        DestroyIcon(list.GetNext(pos).hIcon);
}

// The file's icon from the shell: large (0x300) or small (0x301).
inline HICON FileIcon(const CString& path, UINT flags) {
    SHFILEINFO info;
    SHGetFileInfo(path.GetString(), 0, &info, sizeof(info), flags);
    return info.hIcon;
}

} // namespace ostrel
