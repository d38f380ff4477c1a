// Makes room for texts longer than the designed controls (translations,
// larger fonts): a control grows into free room beside it, and a dialog
// that has none widens as a whole, every control in proportion, so its
// columns stay aligned.
#pragma once

class QWidget;

namespace torvel {

enum class FitRoom {
  kInPlace,  // only into free room: the window keeps its size
  kWiden,    // the window may widen when free room is not enough
};

// Call after the texts are set. Returns how many texts still do not fit.
int FitTexts(QWidget& window, FitRoom room);

}  // namespace torvel
