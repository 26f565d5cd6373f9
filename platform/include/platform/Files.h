#pragma once

#include <platform/Types.h>
#include <platform/platform_export.h>

inline constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x01;
inline constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x02;
inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
inline constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

// One directory entry as the device reports it.
struct WIN32_FIND_DATAW {
    DWORD dwFileAttributes = 0;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh = 0;
    DWORD nFileSizeLow = 0;
    DWORD dwOID = 0;
    WCHAR cFileName[MAX_PATH] = {};
};
using LPWIN32_FIND_DATAW = WIN32_FIND_DATAW*;

// Enumerates the entries of one folder that match the pattern's last component ("*.*",
// "*.ext", "name?.txt"), in name order ignoring case, never "." or "..". Attribute word:
// 0x10 folder, 0x20 ordinary file, +0x02 for names starting with ".", +0x01 read-only.
// INVALID_HANDLE_VALUE when the folder is missing or nothing matches.
PLATFORM_EXPORT HANDLE FindFirstFileW(LPCWSTR lpFileName, LPWIN32_FIND_DATAW lpFindFileData);
PLATFORM_EXPORT BOOL FindNextFileW(HANDLE hFindFile, LPWIN32_FIND_DATAW lpFindFileData);
PLATFORM_EXPORT BOOL FindClose(HANDLE hFindFile);

struct SYSTEMTIME {
    WORD wYear = 0;
    WORD wMonth = 0;
    WORD wDayOfWeek = 0;
    WORD wDay = 0;
    WORD wHour = 0;
    WORD wMinute = 0;
    WORD wSecond = 0;
    WORD wMilliseconds = 0;
};

// A time of the file system (UTC) as the same moment in the local time zone.
PLATFORM_EXPORT BOOL FileTimeToLocalFileTime(const FILETIME* lpFileTime, FILETIME* lpLocalFileTime);
// A file time as calendar fields, in the time zone it is given in.
PLATFORM_EXPORT BOOL FileTimeToSystemTime(const FILETIME* lpFileTime, SYSTEMTIME* lpSystemTime);

// The attribute word of one path, or INVALID_FILE_ATTRIBUTES.
PLATFORM_EXPORT DWORD GetFileAttributesW(LPCWSTR lpFileName);

inline constexpr DWORD GENERIC_READ = 0x80000000;
inline constexpr DWORD FILE_SHARE_READ = 0x00000001;
inline constexpr DWORD OPEN_EXISTING = 3;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;

// Opens an existing file by its device path for reading; INVALID_HANDLE_VALUE when it cannot
// be opened. Only reading is offered.
PLATFORM_EXPORT HANDLE CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                                   LPVOID lpSecurityAttributes, DWORD dwCreationDisposition,
                                   DWORD dwFlagsAndAttributes, HANDLE hTemplateFile);
PLATFORM_EXPORT BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                              LPDWORD lpNumberOfBytesRead, LPVOID lpOverlapped);
PLATFORM_EXPORT BOOL CloseHandle(HANDLE hObject);
