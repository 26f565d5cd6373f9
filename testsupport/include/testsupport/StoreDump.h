#pragma once

#include <platform/Registry.h>

#include <cstring>
#include <map>
#include <ostream>
#include <string>
#include <vector>

// The hive below one key as plain data, to compare whole trees.
namespace storedump {

struct Value {
    DWORD type = 0;
    std::vector<BYTE> data;
    friend bool operator==(const Value&, const Value&) = default;
    friend void PrintTo(const Value& v, std::ostream* os) {
        *os << "type " << v.type << ", bytes";
        for (BYTE b : v.data)
            *os << ' ' << static_cast<int>(b);
    }
};

using Values = std::map<std::u16string, Value>;
using Tree = std::map<std::u16string, Values>; // key path relative to the dumped key

inline Value Dword(int v) {
    Value value{REG_DWORD, std::vector<BYTE>(4)};
    std::memcpy(value.data.data(), &v, 4);
    return value;
}

inline Value Text(std::u16string_view s) {
    Value value{REG_SZ, std::vector<BYTE>((s.size() + 1) * 2, 0)};
    std::memcpy(value.data.data(), s.data(), s.size() * 2);
    return value;
}

inline void DumpInto(HKEY key, const std::u16string& path, Tree& tree) {
    Values& values = tree[path];
    WCHAR name[512];
    BYTE data[4096];
    for (DWORD i = 0, nameLen = 512, size = sizeof data, type = 0;
         RegEnumValueW(key, i, name, &nameLen, &type, data, &size) == ERROR_SUCCESS;
         ++i, nameLen = 512, size = sizeof data)
        values[std::u16string(name, nameLen)] = Value{type, std::vector<BYTE>(data, data + size)};
    for (DWORD i = 0, nameLen = 512; RegEnumKeyExW(key, i, name, &nameLen) == ERROR_SUCCESS;
         ++i, nameLen = 512) {
        const std::u16string child(name, nameLen);
        HKEY sub = nullptr;
        if (RegOpenKeyExW(key, child.c_str(), &sub) == ERROR_SUCCESS) {
            DumpInto(sub, path.empty() ? child : path + u"\\" + child, tree);
            RegCloseKey(sub);
        }
    }
}

// Empty when the key does not exist.
inline Tree Dump(const std::u16string& keyPath) {
    Tree tree;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), &key) != ERROR_SUCCESS)
        return tree;
    DumpInto(key, u"", tree);
    RegCloseKey(key);
    return tree;
}

} // namespace storedump
