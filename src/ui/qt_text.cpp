#include "ui/qt_text.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QWidget>

#include "base/codepage.h"

namespace torvel {

QString ToQt(const std::string& cp1252) { return QString::fromStdString(Cp1252ToUtf8(cp1252)); }

std::string FromQt(const QString& text) {
  if (auto whole = Utf8ToCp1252(text.toStdString())) return *whole;
  std::string out;
  for (const QChar c : text) {
    const QString one(c);
    const auto bytes = Utf8ToCp1252(one.toStdString());
    out += bytes && bytes->size() == 1 ? *bytes : std::string("?");
  }
  return out;
}

int LogicalDpi(const QWidget* widget) { return widget->logicalDpiX() >= 108 ? 120 : 96; }

QCheckBox* NewCheckBox(QWidget* parent, const char* name) {
  auto* box = new QCheckBox(parent);
  box->setObjectName(QLatin1String(name));
  return box;
}

QFont DialogFont() {
  QFont font(QStringLiteral("Tahoma"));
  font.setPointSize(8);
  return font;
}

void LoadDialogFonts() {
  if (QFontDatabase::families().contains(QStringLiteral("Tahoma"))) return;
  // Only the regular face: Wine's bold file carries regular-weight glyphs,
  // while Qt makes a true bold from the regular one.
  QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/wine/fonts/tahoma.ttf"));
}

DialogUnits::DialogUnits(int logicalDpi)
    : baseWidth_(logicalDpi >= 108 ? 7 : 6), baseHeight_(logicalDpi >= 108 ? 16 : 13) {}

PaletteColours ColoursOf(const QPalette& palette) {
  PaletteColours c;
  c.base = FromQColor(palette.color(QPalette::Active, QPalette::Base));
  c.alternateBase = FromQColor(palette.color(QPalette::Active, QPalette::AlternateBase));
  c.text = FromQColor(palette.color(QPalette::Active, QPalette::Text));
  c.disabledText = FromQColor(palette.color(QPalette::Disabled, QPalette::Text));
  c.highlight = FromQColor(palette.color(QPalette::Active, QPalette::Highlight));
  c.highlightedText = FromQColor(palette.color(QPalette::Active, QPalette::HighlightedText));
  c.link = FromQColor(palette.color(QPalette::Active, QPalette::Link));
  c.visitedLink = FromQColor(palette.color(QPalette::Active, QPalette::LinkVisited));
  return c;
}

}  // namespace torvel
