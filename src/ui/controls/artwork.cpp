#include "ui/controls/artwork.h"

#include <QBitmap>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QPixmapCache>
#include <QString>

// The pictures live in this static library; naming their initialiser here
// keeps the linker from dropping them from the programs.
static void InitArtResources() { Q_INIT_RESOURCE(art); }

namespace torvel {
namespace {

QString ArtPath(int resource, bool sharp = false) {
  static const bool loaded = (InitArtResources(), true);
  (void)loaded;
  // A picture drawn pixel by pixel for its own size may have a finer
  // drawing for twice the pixels.
  if (sharp) {
    const QString path = QStringLiteral(":/art/%1@2x.svg").arg(resource);
    if (QFile::exists(path)) return path;
  }
  for (const char* suffix : {".svg", ".png"}) {
    const QString path = QStringLiteral(":/art/%1%2").arg(resource).arg(QLatin1String(suffix));
    if (QFile::exists(path)) return path;
  }
  return {};
}

}  // namespace

QIcon ArtIcon(int resource) {
  const QString path = ArtPath(resource);
  return path.isEmpty() ? QIcon() : QIcon(path);
}

QPixmap ArtBitmap(int resource, QColor transparent, qreal devicePixelRatio) {
  // The lists draw these in every row at every paint.
  const QString key = QStringLiteral("torvel-art:%1:%2:%3")
                          .arg(resource)
                          .arg(transparent.isValid() ? transparent.rgba() : 0u)
                          .arg(devicePixelRatio);
  QPixmap cached;
  if (QPixmapCache::find(key, &cached)) return cached;
  const QString path = ArtPath(resource, devicePixelRatio > 1.25);
  if (path.isEmpty()) return {};
  QImageReader reader(path);
  // Drawn afresh for the screen's pixels, not enlarged from the small one.
  if (reader.size().isValid() && devicePixelRatio != 1.0)
    reader.setScaledSize((QSizeF(reader.size()) * devicePixelRatio).toSize());
  QPixmap bitmap = QPixmap::fromImage(reader.read());
  if (bitmap.isNull()) return bitmap;
  bitmap.setDevicePixelRatio(devicePixelRatio);
  if (transparent.isValid()) bitmap.setMask(bitmap.createMaskFromColor(transparent, Qt::MaskInColor));
  QPixmapCache::insert(key, bitmap);
  return bitmap;
}

QIcon ArtBitmapIcon(int resource, QColor transparent) {
  QIcon icon;
  for (const qreal ratio : {1.0, 2.0}) {
    const QPixmap bitmap = ArtBitmap(resource, transparent, ratio);
    if (!bitmap.isNull()) icon.addPixmap(bitmap);
  }
  return icon;
}

QPixmap Tinted(QPixmap picture, QColor colour) {
  if (picture.isNull()) return picture;
  QPainter painter(&picture);
  painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
  painter.fillRect(QRectF(QPointF(0, 0), picture.deviceIndependentSize()), colour);
  return picture;
}

QPixmap ArtPicture(int resource, QSize size, qreal devicePixelRatio) {
  const QString path = ArtPath(resource);
  if (path.isEmpty() || size.isEmpty()) return {};
  // The SVG reader draws the picture afresh at the size asked for.
  QImageReader reader(path);
  const QSize own = reader.size().isValid() ? reader.size() : size;
  const QSize fitted = own.scaled(size, Qt::KeepAspectRatio);
  reader.setScaledSize(fitted * devicePixelRatio);
  QImage image = reader.read();
  if (image.isNull()) return {};
  QPixmap picture(size * devicePixelRatio);
  picture.setDevicePixelRatio(devicePixelRatio);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  image.setDevicePixelRatio(devicePixelRatio);
  painter.drawImage(QPointF(0, 0), image);
  return picture;
}

QCursor ArtCursor(int resource) {
  return resource == kCursorLink ? QCursor(Qt::PointingHandCursor) : QCursor(Qt::ArrowCursor);
}

}  // namespace torvel
