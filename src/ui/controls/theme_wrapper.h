// The theme wrapper: the platform's visual styles behind the names of the
// Windows theme calls (OpenThemeData, DrawThemeBackground, ...), each with
// its fallback, so the button code reads as it always did.
//
// On Linux "visual styles" are the desktop's Qt style: when they are active
// the style draws the push-button face (CE_PushButtonBevel). They count as
// off, and buttons draw their classic face, in two cases:
//  - TORVEL_CLASSIC_THEME=1 when the wrapper is built: as if "UxTheme.dll"
//    could not be loaded; every operation takes its fallback for the run;
//  - the style is Qt's plain "Windows" style: its face is the classic one
//    already, so the program draws its own (IsAppThemed false, and
//    OpenThemeData gives no theme for a window with that style).
//
// One object per process, built by whoever owns the application (the
// desktop module, the screenshot tool, a test) and lent to the buttons.
#pragma once

#include <QRect>

#include <cstdint>

class QPainter;
class QStyle;
class QWidget;

namespace torvel {

// Result codes as the Windows calls give them.
using HResult = std::int32_t;
inline constexpr HResult kSOk = 0;
inline constexpr HResult kEFail = static_cast<HResult>(0x80004005u);

// Part and states of the class "BUTTON".
inline constexpr int kBpPushButton = 1;
inline constexpr int kPbsNormal = 1;
inline constexpr int kPbsHot = 2;
inline constexpr int kPbsPressed = 3;
inline constexpr int kPbsDisabled = 4;
inline constexpr int kPbsDefaulted = 5;

// The push-button state for the face: disabled, else pressed, else hot,
// else defaulted, else normal.
int PushButtonThemeState(bool disabled, bool pressed, bool hot, bool isDefault);

class ThemeWrapper {
 public:
  // The handle OpenThemeData gives: the style that draws the window.
  using Theme = const QStyle*;

  enum class Source {
    kEnvironment,  // classic only with TORVEL_CLASSIC_THEME=1
    kClassic,      // as if the library were missing
  };
  explicit ThemeWrapper(Source source = Source::kEnvironment);
  ThemeWrapper(const ThemeWrapper&) = delete;
  ThemeWrapper& operator=(const ThemeWrapper&) = delete;

  // Whether the "library" was loaded when the wrapper was built.
  bool loaded() const { return loaded_; }

  // nullptr (no theme) unless loaded, `classList` is "BUTTON" (case
  // folded) and the window's style is not the plain "Windows" style.
  Theme OpenThemeData(const QWidget* window, const char* classList) const;
  HResult CloseThemeData(Theme theme) const;
  // Qt has painted the parent below a widget that does not fill itself,
  // so this leaves `rect` as it is; only the result tells whether the
  // call was made.
  HResult DrawThemeParentBackground(const QWidget* window, QPainter& dc, const QRect& rect) const;
  // Part kBpPushButton in `state` over `rect`, clipped to `clip` when given.
  HResult DrawThemeBackground(Theme theme, QPainter& dc, int part, int state, const QRect& rect,
                              const QRect* clip, const QWidget* window = nullptr) const;
  bool IsAppThemed() const;

 private:
  bool loaded_;
};

}  // namespace torvel
