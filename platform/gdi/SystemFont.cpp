#include "gdi/SystemFont.h"

#include "core/Application.h"

#include <platform/Device.h>

#include <QFontDatabase>
#include <QString>
#include <QStringList>

#include <filesystem>

namespace platform::detail {
namespace {

// About 12 pixels a line, as on the device.
constexpr int kPixelSize = 10;

QString LoadFamily() {
    namespace fs = std::filesystem;
    // Where the desktop has the family, fontconfig gives its file before an application copy
    // of it, so adding ours would only cost reading it.
    const QString family = QStringLiteral("DejaVu Sans");
    if (QFontDatabase::hasFamily(family))
        return family;
    // Beside the program's own files, where an installation and the build tree put it.
    const fs::path exe = platform::ExecutableFolder();
    const fs::path candidates[] = {
        exe / ".." / "share" / "tovalo" / "fonts" / "DejaVuSans.ttf",
        "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    };
    for (const fs::path& path : candidates) {
        std::error_code ec;
        if (!fs::is_regular_file(path, ec))
            continue;
        const int id = QFontDatabase::addApplicationFont(QString::fromStdString(path.string()));
        if (id >= 0) {
            const QStringList families = QFontDatabase::applicationFontFamilies(id);
            if (!families.isEmpty())
                return families.front();
        }
    }
    return family;
}

} // namespace

const QFont& SystemFont() {
    static const QFont font = [] {
        EnsureApplication();
        QFont f(LoadFamily());
        f.setPixelSize(kPixelSize);
        f.setStyleStrategy(QFont::NoFontMerging);
        return f;
    }();
    return font;
}

} // namespace platform::detail
