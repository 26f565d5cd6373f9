#include <platform/Files.h>

#include <time.h>

#include <cstdint>

namespace {

constexpr std::int64_t kTicksPerSecond = 10000000;
// Seconds between 1601-01-01 and 1970-01-01.
constexpr std::int64_t kEpochDelta = 11644473600LL;

std::int64_t Ticks(const FILETIME& time) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                                     time.dwLowDateTime);
}

FILETIME FromTicks(std::int64_t ticks) {
    const auto value = static_cast<std::uint64_t>(ticks < 0 ? 0 : ticks);
    return FILETIME{static_cast<DWORD>(value & 0xFFFFFFFF), static_cast<DWORD>(value >> 32)};
}

} // namespace

BOOL FileTimeToLocalFileTime(const FILETIME* lpFileTime, FILETIME* lpLocalFileTime) {
    if (!lpFileTime || !lpLocalFileTime || Ticks(*lpFileTime) < 0)
        return FALSE;
    const std::int64_t ticks = Ticks(*lpFileTime);
    const time_t seconds = static_cast<time_t>(ticks / kTicksPerSecond - kEpochDelta);
    struct tm local {};
    if (!localtime_r(&seconds, &local))
        return FALSE;
    *lpLocalFileTime =
        FromTicks(ticks + static_cast<std::int64_t>(local.tm_gmtoff) * kTicksPerSecond);
    return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* lpFileTime, SYSTEMTIME* lpSystemTime) {
    if (!lpFileTime || !lpSystemTime || Ticks(*lpFileTime) < 0)
        return FALSE;
    const std::int64_t ticks = Ticks(*lpFileTime);
    const time_t seconds = static_cast<time_t>(ticks / kTicksPerSecond - kEpochDelta);
    struct tm fields {};
    if (!gmtime_r(&seconds, &fields))
        return FALSE;
    *lpSystemTime = SYSTEMTIME{static_cast<WORD>(fields.tm_year + 1900),
                               static_cast<WORD>(fields.tm_mon + 1),
                               static_cast<WORD>(fields.tm_wday),
                               static_cast<WORD>(fields.tm_mday),
                               static_cast<WORD>(fields.tm_hour),
                               static_cast<WORD>(fields.tm_min),
                               static_cast<WORD>(fields.tm_sec),
                               static_cast<WORD>(ticks % kTicksPerSecond / 10000)};
    return TRUE;
}
