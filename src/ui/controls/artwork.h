// The program's own pictures, named by the resource numbers the windows use
// (icon 166 is the hide button's, bitmap 302 the row info image, ...).
#pragma once

#include <QCursor>
#include <QIcon>
#include <QPixmap>

namespace torvel {

// A null icon or pixmap when the number names no picture.
QIcon ArtIcon(int resource);
QPixmap ArtBitmap(int resource);
// The link cursor (144) or the arrow.
QCursor ArtCursor(int resource);

}  // namespace torvel
