// torvel-screenshot: renders one of Torvel's windows to a PNG file with the
// drives of TORVEL_DRIVES (or the real disks) and the current settings
// store, on Qt's offscreen platform unless another is asked for. For the
// README and for looking at a window without a desktop.
//
//   torvel-screenshot [--dpi 96|120|144|192] [--unscaled] [--dark] [--check] WINDOW OUT.png
//   WINDOW: main:N (the main window on page N, 0 to 4), properties,
//           thresholds:SLOT, mail, raw, quick
#include <QApplication>
#include <QPalette>
#include <QPixmap>
#include <QTimer>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <ctime>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/language.h"
#include "config/sqlite_settings_store.h"
#include "drive/channel.h"
#include "drive/drive_source.h"
#include "drive/refresh.h"
#include "monitor/monitor_state.h"
#include "base/debug_trace.h"
#include "platform/main_window_env.h"
#include "platform/sound.h"
#include "ui/controls/theme_wrapper.h"
#include "ui/layout_check.h"
#include "ui/main_window.h"
#include "ui/qt_text.h"
#include "ui/qt_ui_services.h"
#include "windows.h"

namespace {

using namespace torvel;

struct Request {
  int dpi = 96;
  bool unscaled = false;  // the desktop turned Qt's scaling off
  bool check = false;     // also list the texts the window cuts
  bool dark = false;      // a dark desktop palette
  std::string window;
  int page = 0;
  std::string out;
};

std::optional<Request> ParseArgs(const std::vector<std::string>& args) {
  Request r;
  std::size_t i = 0;
  for (; i < args.size(); ++i) {
    if (args[i] == "--dpi" && i + 1 < args.size()) {
      const std::string& dpi = args[++i];
      if (dpi != "96" && dpi != "120" && dpi != "144" && dpi != "192") return std::nullopt;
      r.dpi = std::stoi(dpi);
    } else if (args[i] == "--unscaled") {
      r.unscaled = true;
    } else if (args[i] == "--check") {
      r.check = true;
    } else if (args[i] == "--dark") {
      r.dark = true;
    } else {
      break;
    }
  }
  if (args.size() != i + 2) return std::nullopt;
  const std::string& window = args[i];
  r.out = args[i + 1];
  if (window.size() == 6 && window.rfind("main:", 0) == 0 && window[5] >= '0' && window[5] <= '4') {
    r.window = "main";
    r.page = window[5] - '0';
    return r;
  }
  if (window.rfind("main", 0) == 0) return std::nullopt;
  r.window = window;
  return r;
}

// A dark theme as today's desktops ship one.
QPalette DarkPalette() {
  QPalette p;
  const QColor window(49, 54, 59), text(239, 240, 241), base(35, 38, 41), grey(110, 113, 116);
  p.setColor(QPalette::Window, window);
  p.setColor(QPalette::WindowText, text);
  p.setColor(QPalette::Base, base);
  p.setColor(QPalette::AlternateBase, QColor(42, 46, 50));
  p.setColor(QPalette::Text, text);
  p.setColor(QPalette::Button, window);
  p.setColor(QPalette::ButtonText, text);
  p.setColor(QPalette::ToolTipBase, base);
  p.setColor(QPalette::ToolTipText, text);
  p.setColor(QPalette::PlaceholderText, grey);
  p.setColor(QPalette::Highlight, QColor(61, 174, 233));
  p.setColor(QPalette::HighlightedText, QColor(252, 252, 252));
  p.setColor(QPalette::Link, QColor(41, 128, 185));
  p.setColor(QPalette::LinkVisited, QColor(155, 89, 182));
  p.setColor(QPalette::Light, QColor(70, 76, 82));
  p.setColor(QPalette::Midlight, QColor(60, 65, 70));
  p.setColor(QPalette::Mid, QColor(40, 44, 48));
  p.setColor(QPalette::Dark, QColor(25, 27, 30));
  p.setColor(QPalette::Shadow, QColor(0, 0, 0));
  for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    p.setColor(QPalette::Disabled, role, grey);
  return p;
}

// A screenshot makes no sound.
class Silence final : public SoundService {
 public:
  void PlayFileAsync(const std::string&) override {}
};

}  // namespace

int main(int argc, char** argv) {
  const auto request = ParseArgs(std::vector<std::string>(argv + 1, argv + argc));
  if (!request) {
    std::cerr << "usage: torvel-screenshot [--dpi 96|120|144|192] [--unscaled] [--dark] [--check] WINDOW OUT.png\n"
                 "  --dpi N          what a user at N pixels per inch sees: Qt scales the\n"
                 "                   windows by N/96 (default 96)\n"
                 "  --unscaled       as on a desktop that turns Qt's scaling off: the windows\n"
                 "                   get N logical pixels per inch (the 120 layout at 120)\n"
                 "  --dark           as on a desktop with a dark theme (Fusion, dark palette)\n"
                 "  --check          list the texts the window cuts off on standard error;\n"
                 "                   exit status 3 when there are any\n"
                 "  main:N           the main window on page N (0 disk info, 1 S.M.A.R.T. info,\n"
                 "                   2 preferences, 3 log, 4 about)\n"
                 "  properties       drive properties of the selected drive\n"
                 "  thresholds:SLOT  notification settings of attribute slot SLOT\n"
                 "  mail             mail settings\n"
                 "  raw, quick       raw view and quick view of the selected drive\n";
    return 2;
  }
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // As the desktop reports it: Qt turns the font DPI into a scale factor,
  // unless the desktop switched that off and the windows see the DPI itself.
  setenv("QT_FONT_DPI", std::to_string(request->dpi).c_str(), 1);
  if (request->unscaled) setenv("QT_ENABLE_HIGHDPI_SCALING", "0", 1);
  QApplication app(argc, argv);
  if (request->dark) {
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication::setPalette(DarkPalette());
  }
  std::setlocale(LC_NUMERIC, "C");
  LoadDialogFonts();

  DriveSource source = SelectDriveSource();
  TraceLog trace = TraceLog::Off();
  DriveTables tables;
  DeviceChannel channel(*source.backend, *source.system, trace);
  RefreshDrives(tables, channel, trace);
  SqliteSettingsStore store(SqliteSettingsStore::DefaultSettingsPath());
  // The preferences page rewrites the autostart entry when it opens; a
  // screenshot must not retarget the user's, so it goes to a scratch folder.
  char scratch[] = "/tmp/torvel-screenshot.XXXXXX";
  if (mkdtemp(scratch) == nullptr) return 1;
  setenv("XDG_CONFIG_HOME", scratch, 1);
  MonitorState state;
  LoadSectionTexts("Messages", state.messages, store, trace);
  QtUiServices ui([](const std::string& line) { std::cerr << line; });
  Silence sound;
  const ThemeWrapper theme;

  MainWindowEnv env(tables, store, trace, ui, sound, state);
  env.refreshDrives = [&] { RefreshDrives(tables, channel, trace); };
  env.sendNetMessage = [](const std::string&, const std::string&) {};
  env.now = [] { return static_cast<std::int64_t>(std::time(nullptr)); };

  std::unique_ptr<QWidget> window;
  if (request->window == "main") {
    auto main = std::make_unique<CMainWindow>(env);
    main->SetTheme(&theme);
    main->SetStartTab(request->page);
    window = std::move(main);
  } else {
    window = MakeSettingsWindow(request->window, env);
    if (!window) window = MakeViewWindow(request->window, env);
  }
  if (!window) {
    std::cerr << "torvel-screenshot: no window called " << request->window << "\n";
    std::filesystem::remove_all(scratch);
    return 2;
  }
  window->show();
  // Let the window lay itself out and paint once before it is grabbed.
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
  const QPixmap picture = window->grab();
  const std::vector<ClippedText> clipped = request->check ? FindClippedTexts(*window) : std::vector<ClippedText>{};
  window.reset();
  std::error_code ignored;
  std::filesystem::remove_all(scratch, ignored);
  if (!picture.save(QString::fromStdString(request->out), "PNG")) {
    std::cerr << "torvel-screenshot: cannot write " << request->out << "\n";
    return 1;
  }
  std::cerr << DescribeClipped(clipped);
  return clipped.empty() ? 0 : 3;
}
