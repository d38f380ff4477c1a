// Colours the windows' decisions name, as plain values the toolkit layer
// turns into its own.
#pragma once

namespace torvel {

struct Rgb {
  int r = 0;
  int g = 0;
  int b = 0;
  friend constexpr bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kRgbWhite{255, 255, 255};
inline constexpr Rgb kRgbOkGreen{0, 130, 0};
inline constexpr Rgb kRgbBadRed{240, 0, 0};
inline constexpr Rgb kRgbBetterBlue{0, 0, 240};
inline constexpr Rgb kRgbGreyText{150, 150, 150};
inline constexpr Rgb kRgbNotApplicable{150, 150, 130};

}  // namespace torvel
