#include "core/ImageFormat.h"

#include <QBuffer>
#include <QImageReader>

namespace platform::detail {

QByteArray ImageFormatOf(const QByteArray& bytes) {
    if (bytes.startsWith("\x89PNG\r\n\x1a\n"))
        return "png";
    if (bytes.startsWith("BM"))
        return "bmp";
    if (bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a"))
        return "gif";
    if (bytes.startsWith("\xff\xd8\xff"))
        return "jpeg";
    return {};
}

void ReadAsItsFormat(QImageReader& reader, const QByteArray& bytes) {
    const QByteArray format = ImageFormatOf(bytes);
    if (format.isEmpty())
        return;
    reader.setFormat(format);
    reader.setAutoDetectImageFormat(false);
}

QImage ImageFromData(const QByteArray& bytes) {
    QByteArray data = bytes;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    ReadAsItsFormat(reader, bytes);
    return reader.read();
}

} // namespace platform::detail
