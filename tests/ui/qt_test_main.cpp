// main() for the widget tests: one QApplication on the offscreen platform
// for the whole binary, the dialog fonts loaded, numbers in the C locale.
#include <gtest/gtest.h>

#include <QApplication>

#include <clocale>
#include <cstdlib>

#include "ui/qt_text.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  torvel::LoadDialogFonts();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
