// The classic 3-D frame the shared controls draw (the class library's
// Draw3dRect): top and left edge in one colour, right and bottom edge in the
// other, one pixel wide.
#pragma once

#include <QColor>
#include <QPainter>
#include <QRect>

namespace torvel {

inline void Draw3dRect(QPainter& painter, const QRect& r, const QColor& topLeft, const QColor& bottomRight) {
  if (r.width() <= 0 || r.height() <= 0) return;
  const int x = r.x();
  const int y = r.y();
  const int cx = r.width();
  const int cy = r.height();
  painter.fillRect(x, y, cx - 1, 1, topLeft);
  painter.fillRect(x, y, 1, cy - 1, topLeft);
  painter.fillRect(x + cx - 1, y, 1, cy, bottomRight);
  painter.fillRect(x, y + cy - 1, cx, 1, bottomRight);
}

}  // namespace torvel
