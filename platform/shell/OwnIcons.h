#pragma once

#include <QImage>

namespace platform::detail {

// The kinds of file our own icons cover, for machines without an icon theme.
enum class IconKind { Folder, Executable, Document, WebPage, Application };

// Our own picture of a kind, drawn at exactly size x size (ARGB32 premultiplied).
QImage DrawOwnIcon(IconKind kind, int size);

} // namespace platform::detail
