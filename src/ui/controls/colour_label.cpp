#include "ui/controls/colour_label.h"

#include <QPalette>

namespace torvel {

CColourLabel::CColourLabel(QWidget* parent) : QLabel(parent) {
  // The label paints its own ground.
  setAutoFillBackground(true);
  Apply();
}

void CColourLabel::SetBkColor(QColor colour) {
  background_ = colour;
  Apply();
}

void CColourLabel::SetTextColor(QColor colour) {
  text_ = colour;
  Apply();
}

QColor CColourLabel::bkColor() const { return palette().color(QPalette::Window); }

QColor CColourLabel::textColor() const { return palette().color(QPalette::WindowText); }

void CColourLabel::Apply() {
  // Only the colours set here are the label's own; the others follow the
  // window's palette.
  QPalette colours;
  colours.setColor(QPalette::Window, background_.isValid() ? background_ : colours.color(QPalette::Button));
  if (text_.isValid()) colours.setColor(QPalette::WindowText, text_);
  setPalette(colours);
  update();
}

}  // namespace torvel
