// The etched label: the text centred between two etched lines that run
// across the whole label and stop short of the text (the main window's
// status line). A QLabel, so it stands in for one.
#pragma once

#include <QLabel>

namespace torvel {

class CEtchedLabel : public QLabel {
  Q_OBJECT

 public:
  explicit CEtchedLabel(QWidget* parent = nullptr);

 protected:
  // QLabel::setText schedules the repaint with the new text.
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace torvel
