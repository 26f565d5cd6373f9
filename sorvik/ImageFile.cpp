#include "ImageFile.h"

#include <platform/Device.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <system_error>

namespace sorvik::detail {

ImageFile::ImageFile(LPCWSTR lpszPath) {
    if (!lpszPath)
        return;
    const std::filesystem::path host = platform::HostPath(lpszPath);
    std::error_code ec;
    // Folders, pipes and devices are not image files, and a pipe would block the reader.
    if (!std::filesystem::is_regular_file(host, ec))
        return;
    const auto length = std::filesystem::file_size(host, ec);
    if (ec)
        return;
    m_in.open(host, std::ios::binary);
    if (m_in.is_open())
        m_length = length;
}

std::size_t ImageFile::ReadAt(std::uint64_t offset, std::span<BYTE> dest) {
    if (!m_in.is_open() || offset >= m_length)
        return 0;
    m_position = offset;
    return Read(dest);
}

std::size_t ImageFile::Read(std::span<BYTE> dest) {
    if (!m_in.is_open() || m_position >= m_length || dest.empty())
        return 0;
    const std::uint64_t wanted = std::min<std::uint64_t>(dest.size(), m_length - m_position);
    m_in.clear();
    m_in.seekg(static_cast<std::streamoff>(m_position));
    m_in.read(reinterpret_cast<char*>(dest.data()), static_cast<std::streamsize>(wanted));
    const auto got = static_cast<std::size_t>(std::max<std::streamsize>(m_in.gcount(), 0));
    m_position += got;
    return got;
}

BYTE ImageFile::ByteAt(std::uint64_t offset) {
    std::array<BYTE, 1> bytes{};
    ReadAt(offset, bytes);
    return bytes[0];
}

WORD ImageFile::WordAt(std::uint64_t offset) {
    std::array<BYTE, 2> bytes{};
    ReadAt(offset, bytes);
    return static_cast<WORD>(bytes[0] | (bytes[1] << 8));
}

DWORD ImageFile::DwordAt(std::uint64_t offset) {
    std::array<BYTE, 4> bytes{};
    ReadAt(offset, bytes);
    return static_cast<DWORD>(bytes[0]) | (static_cast<DWORD>(bytes[1]) << 8) |
           (static_cast<DWORD>(bytes[2]) << 16) | (static_cast<DWORD>(bytes[3]) << 24);
}

} // namespace sorvik::detail
