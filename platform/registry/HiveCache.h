#pragma once

#include <platform/Types.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace platform::detail {

// What a transaction has learnt of the hive, kept while it holds its snapshot or the write
// lock (nobody else can change the hive then): which keys exist, the ids of names below a
// key, and values read or written. Our own writes update it; anything it cannot follow
// (a tree deleted, a savepoint undone) empties it.
class HiveCache {
public:
    struct Value {
        bool present = false;
        DWORD type = 0;
        std::vector<BYTE> data;
    };

    void Clear();

    bool KnownKey(std::int64_t key) const { return m_keys.contains(key); }
    void AddKey(std::int64_t key);
    std::optional<std::int64_t> Child(std::int64_t parent, std::string_view folded) const;
    void AddChild(std::int64_t parent, std::string_view folded, std::int64_t child);

    const Value* FindValue(std::int64_t key, std::string_view folded) const;
    void PutValue(std::int64_t key, std::string_view folded, DWORD type,
                  std::span<const BYTE> data);
    void ForgetValue(std::int64_t key, std::string_view folded);
    void PutAbsent(std::int64_t key, std::string_view folded);

private:
    static std::string Slot(std::int64_t key, std::string_view folded);
    // A transaction that touches more than this (a large import) keeps no more.
    bool Full() const;

    std::unordered_set<std::int64_t> m_keys;
    std::unordered_map<std::string, std::int64_t> m_children;
    std::unordered_map<std::string, Value> m_values;
    std::size_t m_bytes = 0;
};

} // namespace platform::detail
