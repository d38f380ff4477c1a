// The coloured label: a label with its own background and text colour (the
// status strips of the S.M.A.R.T. page and the views, white on
// RGB(127,127,127); the attribute line of the custom notification dialog).
#pragma once

#include <QColor>
#include <QLabel>

namespace torvel {

class CColourLabel : public QLabel {
  Q_OBJECT

 public:
  explicit CColourLabel(QWidget* parent = nullptr);

  // Each repaints; an invalid colour goes back to the window's button face
  // (background) or window text.
  void SetBkColor(QColor colour);
  void SetTextColor(QColor colour);
  QColor bkColor() const;
  QColor textColor() const;

 private:
  void Apply();

  QColor background_;
  QColor text_;
};

}  // namespace torvel
