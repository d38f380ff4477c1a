// main() for the launcher's in-process tests: one QApplication on the
// offscreen platform (the tray view needs one), and no way to the user's own
// session bus, so no test shows a notification or a tray icon on the desktop
// it runs on. The D-Bus tests start buses of their own.
#include <gtest/gtest.h>

#include <QApplication>

#include <cstdlib>

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/torvel-launcher-tests", 1);
  QApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
