// Finds text a window cuts off: labels, buttons, group titles, tabs and list
// columns narrower than what they show, and controls outside their window.
// The layout tests and `torvel-screenshot --check` share it, so what a test
// refuses is what a user would see cut.
#pragma once

#include <string>
#include <vector>

class QWidget;

namespace torvel {

struct ClippedText {
  std::string where;  // object name or class, and the text
  int needed = 0;     // pixels the text needs
  int shown = 0;      // pixels it has
  QWidget* widget = nullptr;
  // A wider control would show it all (not so for list columns, tabs or
  // a control outside its window).
  bool wider = false;
};

std::vector<ClippedText> FindClippedTexts(const QWidget& window);

// One line per finding, for test failures and the screenshot tool.
std::string DescribeClipped(const std::vector<ClippedText>& found);

}  // namespace torvel
