#include "ui/controls/artwork.h"

#include <QFile>
#include <QString>

namespace torvel {
namespace {

QString ArtPath(int resource) {
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

QPixmap ArtBitmap(int resource) {
  const QString path = ArtPath(resource);
  return path.isEmpty() ? QPixmap() : QPixmap(path);
}

QCursor ArtCursor(int resource) {
  return resource == 144 ? QCursor(Qt::PointingHandCursor) : QCursor(Qt::ArrowCursor);
}

}  // namespace torvel
