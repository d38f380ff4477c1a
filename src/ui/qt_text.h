// The toolkit boundary: Windows-1252 texts to and from Qt, colours, and
// dialog units to pixels.
#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QRect>
#include <QString>

#include <string>

#include "ui/logic/colours.h"

class QCheckBox;
class QWidget;

namespace torvel {

QString ToQt(const std::string& cp1252);
// Characters Windows-1252 cannot hold become '?'.
std::string FromQt(const QString& text);

inline QColor ToQColor(Rgb c) { return QColor(c.r, c.g, c.b); }
inline Rgb FromQColor(const QColor& c) { return {c.red(), c.green(), c.blue()}; }
// The palette's colours the lists and links draw with (active group).
PaletteColours ColoursOf(const QPalette& palette);

// The screen's logical pixels per inch as the windows' rules read it: 96 or
// 120 (anything from 108 up counts as 120).
int LogicalDpi(const QWidget* widget);

// Makes "Tahoma" available: Wine's metric-compatible face from fonts-wine
// when fontconfig knows no Tahoma. Call once the application exists.
void LoadDialogFonts();

// A check box with an object name, for tests to find it by.
QCheckBox* NewCheckBox(QWidget* parent, const char* name);

// The dialog font: "Tahoma" 8 points (the nearest face when it is missing).
QFont DialogFont();

// Dialog units to pixels: x·w/4, y·h/8 with Tahoma 8's average character
// width and height: 6 × 13 at 96 pixels per inch, 7 × 16 at 120.
// Taken as constants rather than measured so that a substituted, wider
// face cannot push controls out of the window's fixed width.
class DialogUnits {
 public:
  explicit DialogUnits(int logicalDpi);
  int X(int units) const { return units * baseWidth_ / 4; }
  int Y(int units) const { return units * baseHeight_ / 8; }
  QRect Rect(int x, int y, int w, int h) const { return QRect(X(x), Y(y), X(w), Y(h)); }

 private:
  int baseWidth_;
  int baseHeight_;
};

}  // namespace torvel
