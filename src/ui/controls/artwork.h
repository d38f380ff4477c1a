// The program's own pictures, named by the resource numbers the windows use
// (icon 166 is the hide button's, bitmap 302 the row info image, ...). They
// are SVG files in src/ui/art, compiled in as ":/art/<number>.svg" and
// drawn by Qt's SVG plugin.
#pragma once

#include <QColor>
#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <QSize>

#include <array>

namespace torvel {

// Icons (16 x 16).
inline constexpr int kIconApplication = 128;
inline constexpr int kIconDiskInfoTab = 138;
inline constexpr int kIconPreferencesTab = 151;
inline constexpr int kIconLogTab = 157;
inline constexpr int kIconClearLog = 158;
inline constexpr int kIconSaveLogAs = 162;
inline constexpr int kIconHide = 166;
inline constexpr int kIconExit = 168;
inline constexpr int kIconHelp = 170;
inline constexpr int kIconDriveProblem = 183;
inline constexpr int kIconAboutTab = 192;
inline constexpr int kIconDrive = 199;
inline constexpr int kIconSmartInfoTab = 202;
inline constexpr int kIconCheckNow = 299;
// The preferences page's three icon buttons (numbers of our choosing).
inline constexpr int kIconPlaySound = 320;
inline constexpr int kIconBrowseSound = 321;
inline constexpr int kIconTestNetMessage = 322;

// Bitmaps, each with the colour that stands for "transparent".
inline constexpr int kBitmapInfoHover = 301;  // 9 x 11, violet i on white
inline constexpr int kBitmapInfo = 302;       // 9 x 11, white i on blue
inline constexpr int kBitmapRedDown = 303;    // 11 x 16 arrows
inline constexpr int kBitmapBlueUp = 304;
inline constexpr int kBitmapRedUp = 318;
inline constexpr int kBitmapBlueDown = 319;
inline const QColor kInfoHoverTransparent{255, 128, 255};
inline const QColor kMagentaTransparent{255, 0, 255};

// Pictures, drawn to the size of their control.
inline constexpr int kPictureAbout = 340;       // 91 x 108 dialog units
inline constexpr int kPictureAboutBadge = 248;  // 55 x 25 dialog units

// The link cursor.
inline constexpr int kCursorLink = 144;

// Every icon and every bitmap the windows name.
inline constexpr std::array<int, 17> kAllIcons = {
    kIconApplication, kIconDiskInfoTab,   kIconPreferencesTab, kIconLogTab,   kIconClearLog,
    kIconSaveLogAs,   kIconHide,          kIconExit,           kIconHelp,     kIconDriveProblem,
    kIconAboutTab,    kIconDrive,         kIconSmartInfoTab,   kIconCheckNow, kIconPlaySound,
    kIconBrowseSound, kIconTestNetMessage};
inline constexpr std::array<int, 8> kAllBitmaps = {kBitmapInfoHover, kBitmapInfo,       kBitmapRedDown,
                                                   kBitmapBlueUp,    kBitmapRedUp,      kBitmapBlueDown,
                                                   kPictureAbout,    kPictureAboutBadge};

// A null icon or pixmap when the number names no picture.
QIcon ArtIcon(int resource);
// The bitmap in its own size (logical pixels) for a screen of
// `devicePixelRatio`; with a valid `transparent` colour, the pixels of
// exactly that colour are masked out.
QPixmap ArtBitmap(int resource, QColor transparent = QColor(), qreal devicePixelRatio = 1.0);
// The bitmap for single and double density screens alike.
QIcon ArtBitmapIcon(int resource, QColor transparent = QColor());
// The picture's shape in one colour (the change arrows in a colour that
// reads on their row).
QPixmap Tinted(QPixmap picture, QColor colour);
// The picture drawn to fit `size`, keeping its proportions, from the top
// left corner as a picture control places its bitmap; for the screen of
// `devicePixelRatio`.
QPixmap ArtPicture(int resource, QSize size, qreal devicePixelRatio = 1.0);
// The link cursor (144) or the arrow.
QCursor ArtCursor(int resource);

}  // namespace torvel
