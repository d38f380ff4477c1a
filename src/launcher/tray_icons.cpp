#include "launcher/tray_icons.h"

#include <QColor>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>
#include <QString>

namespace torvel {
namespace {

constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128};
constexpr double kDimmedOpacity = 0.3;

QString ResourceOf(TrayState state) {
  return QStringLiteral(":/launcher/%1.svg").arg(QString::fromLatin1(TrayStateName(state)));
}

QColor ColourOf(TrayState state) {
  switch (state) {
    case TrayState::Ok: return QColor(0x2e, 0x9d, 0x4f);
    case TrayState::Changed: return QColor(0xe8, 0xa3, 0x17);
    case TrayState::Bad: return QColor(0xd3, 0x2f, 0x2f);
    case TrayState::Unknown: break;
  }
  return QColor(0x8a, 0x93, 0x9c);
}

QImage Render(TrayState state, int size) {
  QImageReader reader(ResourceOf(state));
  reader.setScaledSize(QSize(size, size));
  QImage image = reader.read();
  if (!image.isNull()) return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  image = QImage(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(ColourOf(state));
  p.drawEllipse(QRectF(1, 1, size - 2, size - 2));
  return image;
}

QImage Dim(const QImage& image) {
  QImage faint(image.size(), QImage::Format_ARGB32_Premultiplied);
  faint.fill(Qt::transparent);
  QPainter p(&faint);
  p.setOpacity(kDimmedOpacity);
  p.drawImage(0, 0, image);
  return faint;
}

}  // namespace

QIcon TrayIcon(TrayState state, bool dimmed) {
  QIcon icon;
  for (int size : kSizes) {
    const QImage image = Render(state, size);
    icon.addPixmap(QPixmap::fromImage(dimmed ? Dim(image) : image));
  }
  return icon;
}

}  // namespace torvel
