#include "ui/controls/artwork.h"

#include <QBitmap>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QString>

// The pictures live in this static library; naming their initialiser here
// keeps the linker from dropping them from the programs.
static void InitArtResources() { Q_INIT_RESOURCE(art); }

namespace torvel {
namespace {

QString ArtPath(int resource) {
  static const bool loaded = (InitArtResources(), true);
  (void)loaded;
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

QPixmap ArtBitmap(int resource, QColor transparent) {
  const QString path = ArtPath(resource);
  if (path.isEmpty()) return {};
  QPixmap bitmap(path);
  if (!bitmap.isNull() && transparent.isValid())
    bitmap.setMask(bitmap.createMaskFromColor(transparent, Qt::MaskInColor));
  return bitmap;
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
