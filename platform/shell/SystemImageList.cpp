#include "shell/SystemImageList.h"

#include "shell/IconCache.h"

#include <QHash>

#include <deque>
#include <mutex>

namespace platform::detail {

namespace {

constexpr int kSmallSize = 16;

struct List {
    std::mutex mutex;
    QHash<QString, int> indexes;
    std::deque<QImage> images; // a deque keeps references stable as it grows
};

int AddLocked(List& list, const IconSource& source) {
    QString key = source.Key();
    auto it = list.indexes.constFind(key);
    if (it != list.indexes.constEnd())
        return *it;
    list.images.push_back(IconCache::Render(source, kSmallSize));
    int index = static_cast<int>(list.images.size()) - 1;
    list.indexes.insert(key, index);
    return index;
}

List& TheList() {
    static List list;
    static std::once_flag seeded;
    std::call_once(seeded, [] {
        IconSource folder;
        folder.own = IconKind::Folder;
        folder.themeNames = {"folder"};
        std::lock_guard lock(list.mutex);
        AddLocked(list, folder);
    });
    return list;
}

} // namespace

int SystemImageList::IndexOf(const IconSource& source) {
    List& list = TheList();
    std::lock_guard lock(list.mutex);
    return AddLocked(list, source);
}

const void* SystemImageList::Handle() {
    return &TheList();
}

const QImage* SystemSmallIcon(int index) {
    List& list = TheList();
    std::lock_guard lock(list.mutex);
    if (index < 0 || static_cast<std::size_t>(index) >= list.images.size())
        return nullptr;
    return &list.images[static_cast<std::size_t>(index)];
}

int SystemSmallIconCount() {
    List& list = TheList();
    std::lock_guard lock(list.mutex);
    return static_cast<int>(list.images.size());
}

} // namespace platform::detail
