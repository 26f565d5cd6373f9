#pragma once

#include "shell/OwnIcons.h"

#include <QString>
#include <QStringList>

#include <filesystem>

#include <string>
#include <string_view>

namespace platform::detail {

// Where a path's icon comes from, tried in order: a picture file, theme icon names, and
// finally our own drawing of the kind, which always exists.
struct IconSource {
    QString file;
    QStringList themeNames;
    IconKind own = IconKind::Document;

    // Same icon, same key: the cache and the shell's icon list are keyed by it.
    QString Key() const;
};

// Decides a device path's icon source. Never touches the icon theme itself, so it is cheap.
class FileIconResolver {
public:
    static IconSource Resolve(std::u16string_view devicePath);

private:
    static IconSource Resolve(std::u16string_view devicePath, int depth);
    static IconSource FromDesktopEntry(const std::filesystem::path& file, IconSource fallback);
    static IconSource Browser();
};

} // namespace platform::detail
