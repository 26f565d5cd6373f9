#include "shell/IconStore.h"

#include <cstring>
#include <mutex>
#include <optional>
#include <vector>

namespace platform::detail {

namespace {

struct Slot {
    std::uint32_t generation = 1;
    std::optional<QImage> image;
};

struct Table {
    std::mutex mutex;
    std::vector<Slot> entries;
    std::vector<std::uint32_t> freeSlots;
    std::size_t live = 0;
};

Table& TheTable() {
    static Table table;
    return table;
}

// Handle bits: slot index + 1 in the low 32 bits, generation above.
HICON Encode(std::uint32_t index, std::uint32_t generation) {
    auto value = (static_cast<std::uint64_t>(generation) << 32) | (index + 1ULL);
    return reinterpret_cast<HICON>(static_cast<std::uintptr_t>(value));
}

Slot* Find(Table& table, HICON icon) {
    auto value = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(icon));
    auto index = static_cast<std::uint32_t>(value & 0xFFFFFFFF);
    auto generation = static_cast<std::uint32_t>(value >> 32);
    if (index == 0 || index > table.entries.size())
        return nullptr;
    Slot& slot = table.entries[index - 1];
    if (slot.generation != generation || !slot.image)
        return nullptr;
    return &slot;
}

} // namespace

HICON CreateIconHandle(QImage image) {
    Table& table = TheTable();
    std::lock_guard lock(table.mutex);
    std::uint32_t index;
    if (!table.freeSlots.empty()) {
        index = table.freeSlots.back();
        table.freeSlots.pop_back();
    } else {
        index = static_cast<std::uint32_t>(table.entries.size());
        table.entries.emplace_back();
    }
    Slot& slot = table.entries[index];
    slot.image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    ++table.live;
    return Encode(index, slot.generation);
}

const QImage* IconImage(HICON icon) {
    Table& table = TheTable();
    std::lock_guard lock(table.mutex);
    Slot* slot = Find(table, icon);
    return slot ? &*slot->image : nullptr;
}

bool DestroyIconHandle(HICON icon) {
    Table& table = TheTable();
    std::lock_guard lock(table.mutex);
    Slot* slot = Find(table, icon);
    if (!slot)
        return false;
    slot->image.reset();
    ++slot->generation;
    table.freeSlots.push_back(static_cast<std::uint32_t>(slot - table.entries.data()));
    --table.live;
    return true;
}

std::size_t LiveIconCount() {
    Table& table = TheTable();
    std::lock_guard lock(table.mutex);
    return table.live;
}

} // namespace platform::detail

namespace platform {

HICON CreateIconFromPixels(int width, int height, const DWORD* argb) {
    if (width <= 0 || height <= 0 || width > 256 || height > 256 || !argb)
        return nullptr;
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        std::memcpy(image.scanLine(y), argb + static_cast<std::size_t>(y) * width,
                    static_cast<std::size_t>(width) * 4);
    return detail::CreateIconHandle(image.convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

int LiveIconCount() {
    return static_cast<int>(detail::LiveIconCount());
}

} // namespace platform
