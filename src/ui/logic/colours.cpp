#include "ui/logic/colours.h"

#include <algorithm>
#include <cmath>

namespace torvel {
namespace {

double Linear(int channel) {
  const double c = std::clamp(channel, 0, 255) / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

bool IsGrey(Rgb c) { return c == kRgbGreyText || c == kRgbStatusGrey || c == kRgbNotApplicable; }

}  // namespace

double RelativeLuminance(Rgb c) { return 0.2126 * Linear(c.r) + 0.7152 * Linear(c.g) + 0.0722 * Linear(c.b); }

double ContrastRatio(Rgb a, Rgb b) {
  const double la = RelativeLuminance(a);
  const double lb = RelativeLuminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

Rgb Mix(Rgb a, Rgb b, double t) {
  const auto channel = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * std::clamp(t, 0.0, 1.0))); };
  return {channel(a.r, b.r), channel(a.g, b.g), channel(a.b, b.b)};
}

bool IsDesignedLight(const PaletteColours& palette) {
  return palette.base == kRgbWhite && palette.text == kRgbBlack;
}

Rgb Readable(Rgb wanted, Rgb ground, double least) {
  if (ContrastRatio(wanted, ground) >= least) return wanted;
  const Rgb towards = ContrastRatio(kRgbBlack, ground) >= ContrastRatio(kRgbWhite, ground) ? kRgbBlack : kRgbWhite;
  // Contrast grows steadily on the way, so the least step that reaches it
  // is found by halving; `high` is always a step whose rounded colour was
  // seen to reach it (or the end of the way).
  double low = 0.0;
  double high = 1.0;
  for (int i = 0; i < 20; ++i) {
    const double mid = (low + high) / 2;
    (ContrastRatio(Mix(wanted, towards, mid), ground) >= least ? high : low) = mid;
  }
  return Mix(wanted, towards, high);
}

Rgb RowGround(const Rgb* designed, bool selected, const PaletteColours& palette) {
  if (selected) return palette.highlight;
  if (designed == nullptr) return palette.base;
  if (IsDesignedLight(palette)) return *designed;
  if (*designed == kRgbCustomRow) return Mix(palette.base, palette.highlight, 0.18);
  if (*designed == kRgbShadedRow) return palette.alternateBase;
  return *designed;
}

Rgb TextOnGround(Rgb designed, Rgb ground, const PaletteColours& palette) {
  if (designed == kRgbWhite) return palette.highlightedText;
  if (IsGrey(designed)) return IsDesignedLight(palette) ? designed : palette.disabledText;
  return Readable(designed, ground);
}

Rgb LinkColour(bool visited, Rgb window, const PaletteColours& palette) {
  if (IsDesignedLight(palette)) return visited ? kRgbVisitedLink : kRgbLink;
  return Readable(visited ? palette.visitedLink : palette.link, window);
}

}  // namespace torvel
