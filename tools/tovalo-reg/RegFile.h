#pragma once

#include <platform/Types.h>

#include <string>
#include <vector>

namespace tovaloreg {

// What one registry-editor file says, in file order.
struct RegFileValue {
    std::u16string name; // empty for the unnamed value "@"
    bool remove = false; // "name"=-
    DWORD type = 0;
    std::vector<BYTE> data;
    int line = 0;
};

struct RegFileKey {
    std::u16string path; // below HKEY_CURRENT_USER; empty for HKEY_CURRENT_USER itself
    bool remove = false; // [-KEY]
    std::vector<RegFileValue> values;
    int line = 0;
};

struct RegFile {
    std::vector<RegFileKey> keys;
};

inline constexpr std::size_t kMaxNameLength = 255;

} // namespace tovaloreg
