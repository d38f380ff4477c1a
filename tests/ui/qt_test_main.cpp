// main() for the widget tests: one QApplication on the offscreen platform
// for the whole binary, the dialog fonts loaded, numbers in the C locale,
// and a throw-away XDG_CONFIG_HOME: the preferences page writes the user's
// autostart entry when it opens.
#include <gtest/gtest.h>

#include <QApplication>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "ui/qt_text.h"

int main(int argc, char** argv) {
  // Offscreen always; a test binary may give it a screen of its own.
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (platform == nullptr || std::string_view(platform).rfind("offscreen", 0) != 0)
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  char config[] = "/tmp/torvel-widget-tests.XXXXXX";
  if (mkdtemp(config) == nullptr) return 1;
  setenv("XDG_CONFIG_HOME", config, 1);
  QApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  torvel::LoadDialogFonts();
  testing::InitGoogleTest(&argc, argv);
  const int status = RUN_ALL_TESTS();
  std::filesystem::remove_all(config);
  return status;
}
