#include "shell/IconCache.h"

#include "shell/IconStore.h"
#include "shell/IconTheme.h"

#include "core/ImageFormat.h"
#include "files/SmallFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QIcon>
#include <QImageReader>
#include <QPainter>

#include <cstdlib>
#include <cstring>
#include <mutex>

namespace platform::detail {

namespace {

// Icon files larger than this are not icons; refuse before decoding.
constexpr int kMaxPictureSide = 1024;

// Fits a picture into exactly size x size, keeping its proportions, centred.
QImage Fit(const QImage& picture, int size) {
    QImage canvas(size, size, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    if (picture.isNull())
        return canvas;
    QImage scaled = picture.width() == size && picture.height() == size
                        ? picture
                        : picture.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QPainter p(&canvas);
    p.drawImage((size - scaled.width()) / 2, (size - scaled.height()) / 2, scaled);
    p.end();
    return canvas;
}

QImage ReadPicture(const QString& file, int size) {
    QImageReader reader(file);
    if (QFile head(file); head.open(QIODevice::ReadOnly))
        ReadAsItsFormat(reader, head.read(16));
    QSize full = reader.size();
    if (full.isValid() && (full.width() > kMaxPictureSide || full.height() > kMaxPictureSide))
        return {};
    if (!full.isValid() && reader.format() != "svg")
        return {};
    if (reader.format() == "svg" || reader.format() == "svgz")
        reader.setScaledSize(QSize(size, size));
    return reader.read();
}

// Themed icons found at an earlier start, kept under the user's cache folder so that a start
// needs neither the theme's index nor its picture files: one file per icon source and size,
// its name a digest of the theme, the time stamps of the theme's folders and indexes (and
// hicolor's, behind it) and the source. Installing or changing a theme changes a time stamp
// and so the names. The file holds "TIC1", the side, then the premultiplied pixels.
constexpr char kMagic[4] = {'T', 'I', 'C', '1'};

QString DiskCacheFolder() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    QString folder =
        cache && cache[0] == '/' ? QString::fromLocal8Bit(cache) : QDir::homePath() + "/.cache";
    return folder + "/tovalo/icons";
}

QString DiskCacheFile(const IconSource& source, int size) {
    QString key = source.Key() + QChar(u'@') + QString::number(size);
    for (const QString& theme : {QIcon::themeName(), QIcon::fallbackThemeName()}) {
        key += u'|' + theme;
        for (const QString& folder : QIcon::themeSearchPaths())
            for (const QString& file :
                 {QString(), QStringLiteral("/index.theme"), QStringLiteral("/icon-theme.cache")}) {
                const QFileInfo info(folder + u'/' + theme + file);
                if (info.exists())
                    key += u'|' + info.filePath() + u':' +
                           QString::number(info.lastModified().toMSecsSinceEpoch());
            }
    }
    std::uint64_t hash = 1469598103934665603ull;
    for (QChar c : key)
        hash = (hash ^ c.unicode()) * 1099511628211ull;
    return DiskCacheFolder() + u'/' + QString::number(hash, 16) + ".icon";
}

QImage ReadCached(const QString& file, int size) {
    const std::size_t pixels = std::size_t{static_cast<unsigned>(size)} * size * 4;
    const std::optional<std::string> bytes =
        SmallFile::Read(QFile::encodeName(file).constData(), 8 + pixels);
    if (!bytes || bytes->size() != 8 + pixels || std::memcmp(bytes->data(), kMagic, 4) != 0)
        return {};
    std::int32_t side = 0;
    std::memcpy(&side, bytes->data() + 4, 4);
    if (side != size)
        return {};
    QImage picture(size, size, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < size; ++y)
        std::memcpy(picture.scanLine(y), bytes->data() + 8 + std::size_t(y) * size * 4,
                    static_cast<std::size_t>(size) * 4);
    return picture;
}

void WriteCached(const QString& file, const QImage& image) {
    const QImage picture = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QByteArray bytes(kMagic, 4);
    const std::int32_t side = picture.width();
    bytes.append(reinterpret_cast<const char*>(&side), 4);
    for (int y = 0; y < picture.height(); ++y)
        bytes.append(reinterpret_cast<const char*>(picture.constScanLine(y)), picture.width() * 4);
    QDir().mkpath(DiskCacheFolder());
    // Written aside and renamed, so that a reader never sees half a file.
    const QString part = file + ".part";
    QFile out(part);
    if (out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() && out.flush()) {
        out.close();
        QFile::remove(file);
        QFile::rename(part, file);
    } else {
        QFile::remove(part);
    }
}

struct Cache {
    std::mutex mutex;
    QHash<QString, QImage> pictures;
};

Cache& TheCache() {
    static Cache cache;
    return cache;
}

} // namespace

QImage IconCache::Load(const IconSource& source, int size) {
    if (!source.file.isEmpty()) {
        QImage picture = ReadPicture(source.file, size);
        if (!picture.isNull())
            return Fit(picture, size);
    }
    if (!source.themeNames.isEmpty()) {
        EnsureIconTheme();
        const QString cached = DiskCacheFile(source, size);
        QImage picture = ReadCached(cached, size);
        if (!picture.isNull())
            return picture;
        for (const QString& name : source.themeNames) {
            if (name.isEmpty() || !QIcon::hasThemeIcon(name))
                continue;
            picture = QIcon::fromTheme(name).pixmap(QSize(size, size)).toImage();
            if (!picture.isNull())
                break;
        }
        picture = picture.isNull() ? DrawOwnIcon(source.own, size) : Fit(picture, size);
        WriteCached(cached, picture);
        return picture;
    }
    return DrawOwnIcon(source.own, size);
}

QImage IconCache::Render(const IconSource& source, int size) {
    QString key = source.Key() + QChar(u'@') + QString::number(size);
    Cache& cache = TheCache();
    {
        std::lock_guard lock(cache.mutex);
        auto it = cache.pictures.constFind(key);
        if (it != cache.pictures.constEnd())
            return *it;
    }
    QImage picture = Load(source, size).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    std::lock_guard lock(cache.mutex);
    cache.pictures.insert(key, picture);
    return picture;
}

QImage IconPicture(HICON icon) {
    const QImage* picture = IconImage(icon);
    return picture ? picture->copy() : QImage();
}

} // namespace platform::detail
