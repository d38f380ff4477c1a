#include "ui/controls/etched_label.h"

#include <QFontMetrics>
#include <QPainter>

#include "ui/controls/classic_draw.h"

namespace torvel {

CEtchedLabel::CEtchedLabel(QWidget* parent) : QLabel(parent) {}

void CEtchedLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect client(0, 0, width(), height());
  const QColor highlight = palette().color(QPalette::Light);
  const QColor shadow = palette().color(QPalette::Dark);
  const QColor face = palette().color(QPalette::Button);

  // Two 3-pixel bands across the label, the second 4 pixels below the first.
  QRect band(0, client.height() / 2 - 2, client.width(), 3);
  Draw3dRect(painter, band, highlight, shadow);
  band.translate(0, 4);
  Draw3dRect(painter, band, highlight, shadow);

  // The text on one line, centred, on a face-coloured ground 4 pixels wider
  // on each side, so the lines stop short of it.
  painter.setFont(font());
  const QString line = text();
  const QFontMetrics metrics(font());
  const int textWidth = metrics.horizontalAdvance(line);
  QRect ground((client.width() - textWidth) / 2, 0, textWidth, client.height());
  ground.adjust(-4, 0, 4, 0);
  painter.fillRect(ground, face);
  painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
  painter.drawText(ground, Qt::AlignCenter | Qt::TextSingleLine, line);
}

}  // namespace torvel
