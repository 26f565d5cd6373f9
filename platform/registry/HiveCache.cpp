#include "registry/HiveCache.h"

#include <cstring>

namespace platform::detail {

namespace {

constexpr std::size_t kMaxEntries = 8192;
constexpr std::size_t kMaxBytes = 4 << 20;

} // namespace

void HiveCache::Clear() {
    m_keys.clear();
    m_children.clear();
    m_values.clear();
    m_bytes = 0;
}

std::string HiveCache::Slot(std::int64_t key, std::string_view folded) {
    std::string slot(sizeof key + folded.size(), '\0');
    std::memcpy(slot.data(), &key, sizeof key);
    std::memcpy(slot.data() + sizeof key, folded.data(), folded.size());
    return slot;
}

bool HiveCache::Full() const {
    return m_keys.size() + m_children.size() + m_values.size() >= kMaxEntries ||
           m_bytes >= kMaxBytes;
}

void HiveCache::AddKey(std::int64_t key) {
    if (!Full())
        m_keys.insert(key);
}

std::optional<std::int64_t> HiveCache::Child(std::int64_t parent, std::string_view folded) const {
    auto it = m_children.find(Slot(parent, folded));
    if (it == m_children.end())
        return std::nullopt;
    return it->second;
}

void HiveCache::AddChild(std::int64_t parent, std::string_view folded, std::int64_t child) {
    if (Full())
        return;
    m_children[Slot(parent, folded)] = child;
    m_keys.insert(child);
}

const HiveCache::Value* HiveCache::FindValue(std::int64_t key, std::string_view folded) const {
    auto it = m_values.find(Slot(key, folded));
    return it == m_values.end() ? nullptr : &it->second;
}

void HiveCache::PutValue(std::int64_t key, std::string_view folded, DWORD type,
                         std::span<const BYTE> data) {
    std::string slot = Slot(key, folded);
    if (Full()) {
        ForgetValue(key, folded);
        return;
    }
    Value& value = m_values[slot];
    m_bytes += data.size();
    m_bytes -= value.data.size();
    value.present = true;
    value.type = type;
    value.data.assign(data.begin(), data.end());
}

void HiveCache::PutAbsent(std::int64_t key, std::string_view folded) {
    if (Full()) {
        ForgetValue(key, folded);
        return;
    }
    Value& value = m_values[Slot(key, folded)];
    m_bytes -= value.data.size();
    value = Value{};
}

void HiveCache::ForgetValue(std::int64_t key, std::string_view folded) {
    auto it = m_values.find(Slot(key, folded));
    if (it == m_values.end())
        return;
    m_bytes -= it->second.data.size();
    m_values.erase(it);
}

} // namespace platform::detail
