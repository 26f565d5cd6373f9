#include "decoder/ImageDecoder.h"

#include "core/ImageFormat.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include <algorithm>
#include <array>
#include <mutex>
#include <optional>

namespace platform::detail {

namespace {

// A picture decoded at its full size (4 bytes a pixel) must stay within this budget.
constexpr qint64 kFullDecodeBudget = qint64{64} << 20;
// Scaled JPEG decoding keeps memory near the output size for baseline files, but a
// progressive file keeps coefficients for the whole picture, so its source is bounded too.
constexpr qint64 kMaxScaledSourcePixels = qint64{1} << 25;

std::optional<QByteArray> ReadStream(const ImageReadFn& read) {
    QByteArray data;
    std::array<BYTE, kImageReadPiece> piece{};
    for (;;) {
        // A callback claiming more than it was asked for gets no credit beyond the piece.
        const std::size_t got = std::min(read(piece.data(), piece.size()), piece.size());
        if (got == 0)
            return data;
        if (static_cast<std::size_t>(data.size()) + got > kMaxImageStreamBytes)
            return std::nullopt;
        data.append(reinterpret_cast<const char*>(piece.data()), static_cast<qsizetype>(got));
    }
}

// Bounds what any Qt image handler may allocate for one picture, as a backstop for streams
// whose size cannot be read beforehand. The limit is process-wide, so it is only lowered.
void LimitAllocations() {
    static std::once_flag once;
    std::call_once(once, [] {
        const int budgetMb = static_cast<int>(kFullDecodeBudget >> 20);
        const int current = QImageReader::allocationLimit();
        if (current == 0 || current > budgetMb)
            QImageReader::setAllocationLimit(budgetMb);
    });
}

QSize FitWithin(QSize source, QSize limit) {
    if (source.width() <= limit.width() && source.height() <= limit.height())
        return source;
    const qint64 w = source.width();
    const qint64 h = source.height();
    if (w * limit.height() >= h * limit.width()) {
        const auto height = static_cast<int>(h * limit.width() / w);
        return {limit.width(), std::max(1, height)};
    }
    const auto width = static_cast<int>(w * limit.height() / h);
    return {std::max(1, width), limit.height()};
}

// Other handlers that accept a scaled size (PNG among them) still decode the full picture
// first; only JPEG reduces while decoding.
bool DecodesScaled(QImageReader& reader) {
    return reader.format() == "jpeg" && reader.supportsOption(QImageIOHandler::ScaledSize);
}

bool FitsBudget(QSize size) {
    return qint64{size.width()} * size.height() * 4 <= kFullDecodeBudget;
}

// Transparent parts come out black: a premultiplied colour is the colour laid over black.
QImage ToRgb888(const QImage& image) {
    if (!image.hasAlphaChannel())
        return image.convertToFormat(QImage::Format_RGB888);
    const QImage premultiplied = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage out(premultiplied.size(), QImage::Format_RGB888);
    if (premultiplied.isNull() || out.isNull())
        return {};
    for (int y = 0; y < out.height(); ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(premultiplied.constScanLine(y));
        uchar* dst = out.scanLine(y);
        for (int x = 0; x < out.width(); ++x) {
            *dst++ = static_cast<uchar>(qRed(src[x]));
            *dst++ = static_cast<uchar>(qGreen(src[x]));
            *dst++ = static_cast<uchar>(qBlue(src[x]));
        }
    }
    return out;
}

} // namespace

QImage DecodeImage(const ImageReadFn& read, int maxWidth, int maxHeight) {
    if (!read || maxWidth <= 0 || maxHeight <= 0)
        return {};
    std::optional<QByteArray> data = ReadStream(read);
    if (!data || data->isEmpty())
        return {};
    LimitAllocations();

    QBuffer buffer(&*data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    ReadAsItsFormat(reader, *data);
    reader.setAutoTransform(false);
    const QSize limit(maxWidth, maxHeight);

    // Decide from the header, before any pixel is decoded, whether the picture can be
    // reduced while decoding or has to fit in memory at its full size.
    const QSize header = reader.size();
    if (header.isValid()) {
        if (header.isEmpty())
            return {};
        const QSize target = FitWithin(header, limit);
        if (target != header && DecodesScaled(reader)) {
            if (qint64{header.width()} * header.height() > kMaxScaledSourcePixels)
                return {};
            reader.setScaledSize(target);
        } else if (!FitsBudget(header)) {
            return {};
        }
    }

    QImage image = reader.read();
    if (image.isNull())
        return {};
    if (image.width() > maxWidth || image.height() > maxHeight) {
        image = image.scaled(FitWithin(image.size(), limit), Qt::IgnoreAspectRatio,
                             Qt::SmoothTransformation);
        if (image.isNull())
            return {};
    }
    return ToRgb888(image);
}

} // namespace platform::detail
