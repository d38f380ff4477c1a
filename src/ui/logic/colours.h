// Colours the windows' decisions name, as plain values the toolkit layer
// turns into its own, and the rules that keep them readable on the
// desktop's palette.
#pragma once

namespace torvel {

struct Rgb {
  int r = 0;
  int g = 0;
  int b = 0;
  friend constexpr bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kRgbWhite{255, 255, 255};
inline constexpr Rgb kRgbBlack{0, 0, 0};
inline constexpr Rgb kRgbOkGreen{0, 130, 0};
inline constexpr Rgb kRgbBadRed{240, 0, 0};
inline constexpr Rgb kRgbBetterBlue{0, 0, 240};
inline constexpr Rgb kRgbGreyText{150, 150, 150};
inline constexpr Rgb kRgbNotApplicable{150, 150, 130};
inline constexpr Rgb kRgbStatusGrey{130, 130, 130};
inline constexpr Rgb kRgbShadedRow{248, 248, 248};
inline constexpr Rgb kRgbCustomRow{245, 245, 255};
inline constexpr Rgb kRgbLink{0, 0, 238};
inline constexpr Rgb kRgbVisitedLink{85, 26, 139};

// The desktop palette's colours the lists and links are drawn with.
struct PaletteColours {
  Rgb base = kRgbWhite;
  Rgb alternateBase{247, 247, 247};
  Rgb text = kRgbBlack;
  Rgb disabledText{190, 190, 190};
  Rgb highlight{48, 140, 198};
  Rgb highlightedText = kRgbWhite;
  Rgb link{0, 0, 255};
  Rgb visitedLink{255, 0, 255};
};

// What normal text needs against its ground (WCAG 2, level AA).
inline constexpr double kLeastContrast = 4.5;

double RelativeLuminance(Rgb c);
double ContrastRatio(Rgb a, Rgb b);
// `a` moved towards `b` by `t` (0 to 1).
Rgb Mix(Rgb a, Rgb b, double t);

// The designed colours were chosen for black text on white rows: on such a
// palette they stay; on any other the palette's own take their place.
bool IsDesignedLight(const PaletteColours& palette);

// `wanted` when it reaches `least` against `ground`; else the nearest colour
// on its way to black or white (whichever the ground allows more of) that
// does, so a red stays a red, only darker or lighter.
Rgb Readable(Rgb wanted, Rgb ground, double least = kLeastContrast);

// A row's ground: `designed` is what the row would be on the designed light
// palette (nothing: the plain list ground).
Rgb RowGround(const Rgb* designed, bool selected, const PaletteColours& palette);

// A text colour the decisions name, as drawn on `ground`: white on a
// highlighted row is the highlight's text, the greys of unwatched rows are
// the palette's disabled text, every other colour is kept readable.
Rgb TextOnGround(Rgb designed, Rgb ground, const PaletteColours& palette);

// The links' colours: the designed ones on the designed light palette, else
// the palette's, kept readable on the window.
Rgb LinkColour(bool visited, Rgb window, const PaletteColours& palette);

}  // namespace torvel
