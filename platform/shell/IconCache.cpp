#include "shell/IconCache.h"

#include "shell/IconStore.h"
#include "shell/IconTheme.h"

#include <QHash>
#include <QIcon>
#include <QImageReader>
#include <QPainter>

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
    QSize full = reader.size();
    if (full.isValid() && (full.width() > kMaxPictureSide || full.height() > kMaxPictureSide))
        return {};
    if (!full.isValid() && reader.format() != "svg")
        return {};
    if (reader.format() == "svg" || reader.format() == "svgz")
        reader.setScaledSize(QSize(size, size));
    return reader.read();
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
        for (const QString& name : source.themeNames) {
            if (name.isEmpty() || !QIcon::hasThemeIcon(name))
                continue;
            QIcon icon = QIcon::fromTheme(name);
            QImage picture = icon.pixmap(QSize(size, size)).toImage();
            if (!picture.isNull())
                return Fit(picture, size);
        }
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
