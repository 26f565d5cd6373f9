#pragma once

#include <platform/Types.h>

#include <cstdint>
#include <fstream>
#include <span>

namespace sorvik::detail {

// An image file opened by its device path for reading. Every read is bounded by the file's
// length; bytes past the end are not touched, so a zero-filled destination keeps them zero.
class ImageFile {
public:
    // Opens only existing regular files; a null path opens nothing.
    explicit ImageFile(LPCWSTR lpszPath);

    bool IsOpen() const { return m_in.is_open(); }
    std::uint64_t Length() const { return m_length; }

    // Copies up to dest.size() bytes from the offset; the number of bytes copied.
    std::size_t ReadAt(std::uint64_t offset, std::span<BYTE> dest);
    // Reads from the current position onward; the number of bytes copied.
    std::size_t Read(std::span<BYTE> dest);

    // Little-endian fields; bytes missing at the end of the file read as zero.
    BYTE ByteAt(std::uint64_t offset);
    WORD WordAt(std::uint64_t offset);
    DWORD DwordAt(std::uint64_t offset);

private:
    std::ifstream m_in;
    std::uint64_t m_length = 0;
    std::uint64_t m_position = 0;
};

} // namespace sorvik::detail
