#pragma once

#include <QByteArray>
#include <QImage>

class QImageReader;

namespace platform::detail {

// The format of a picture told by its first bytes ("png", "bmp", "gif", "jpeg"), empty when
// they name none of these.
QByteArray ImageFormatOf(const QByteArray& bytes);

// Tells the reader the picture's format when its first bytes name it, and has it decode in
// that format alone. Left to itself, the reader loads every image plugin (and the libraries
// behind them) to ask each whether it knows the picture, even for the formats it has built in.
void ReadAsItsFormat(QImageReader& reader, const QByteArray& bytes);

// QImage::fromData, with the format taken as above.
QImage ImageFromData(const QByteArray& bytes);

} // namespace platform::detail
