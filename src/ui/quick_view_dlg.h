// The quick view: the raw view's window with a bar graph of each
// attribute's value and threshold, and a legend for the two bars.
#pragma once

#include <array>

#include "ui/raw_view_dlg.h"

namespace torvel {

class CQuickViewDlg final : public CAttributeViewDlg {
  Q_OBJECT

 public:
  CQuickViewDlg(MainWindowEnv& env, QWidget* parent);

  // "Legend:", the value bar's label and the threshold bar's label.
  const std::array<QLabel*, 3>& legendLabels() const { return legend_; }

 protected:
  void LayOutBelowList(int listBottom, int buttonTop) override;

 private:
  std::array<QLabel*, 3> legend_{};
  std::array<QWidget*, 2> samples_{};
};

}  // namespace torvel
