// The launcher's side of the window protocol and the schedule: it starts
// torvelCore, closes it before the next check, keeps the frame handle the
// core announces and turns the status summary into the tray's state.
#pragma once

#include <QProcess>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "monitor/schedule.h"
#include "platform/window_messages.h"

namespace torvel {

class DesktopNotifier;
class SettingsStore;
class TrayView;

struct LauncherOptions {
  std::filesystem::path corePath;
  // How long a minute of the schedule lasts (an hour is 60 of them): 60000,
  // or less from TORVEL_LAUNCHER_MINUTE_MS so tests need not wait.
  std::int64_t minuteMs = 60000;
  // Writes a state line to `printState` whenever the state changes.
  std::function<void(const std::string&)> printState;
  // Ends the application with this status.
  std::function<void(int)> quit;
  // A display to show the main window on (DISPLAY or WAYLAND_DISPLAY).
  bool display = false;
  // Whether a tray host shows the icon (QSystemTrayIcon::isSystemTrayAvailable,
  // or a test's stub); null counts as a tray. Asked when the first core
  // announces its frame: with a display but no tray, the main window opens
  // then, for nothing else would show that the launcher runs.
  std::function<bool()> trayAvailable;
  // Where alerts and changes of the tray state become desktop notifications;
  // null for none. Its open action opens the main window.
  DesktopNotifier* notifier = nullptr;
};

class Launcher {
 public:
  Launcher(WindowSystem& windows, SettingsStore& store, TrayView& view, LauncherOptions options);
  ~Launcher();
  Launcher(const Launcher&) = delete;
  Launcher& operator=(const Launcher&) = delete;

  // Creates the launcher window and starts the first core. False when the
  // window cannot be created.
  bool Start();

  // The tray menu's commands.
  void OpenMainWindow();
  void CheckNow();
  void Exit();
  // The session ends (SIGTERM, SIGHUP): the core saves its baseline and
  // both end.
  void Shutdown();

  std::int64_t OnMessage(const WindowMessage& message);

 private:
  bool CoreRunning() const { return process_.state() != QProcess::NotRunning; }
  std::int64_t NowMs() const;
  std::int64_t IntervalMs();
  void Arm(bool scheduleChanged);
  void OnTimer();
  void RunCheck();
  void StartCore(bool openMode);
  void OnCoreEnded();
  void CloseCore();
  void PostToFrame(std::uint32_t message, std::uint64_t wParam = 0);
  void OnStatus(const std::string& copyData, std::optional<TrayState> found);
  void StopFlashing();
  void Publish();
  std::string NextCheckLine();

  WindowSystem& windows_;
  SettingsStore& store_;
  TrayView& view_;
  LauncherOptions options_;
  WindowHandle window_ = kNoWindow;
  WindowHandle frame_ = kNoWindow;
  QProcess process_;
  QTimer timer_;
  QTimer exitProbe_;
  std::int64_t anchorMs_ = 0;  // the last run, or the last schedule change
  std::int64_t dueMs_ = 0;
  int coresStarted_ = 0;
  bool pendingStart_ = false;    // start a resident core once the running one ends
  bool closing_ = false;         // WM_CLOSE sent, waiting for the core to end
  bool openOnAnnounce_ = false;  // send 32771 once the frame is announced
  bool exitAsked_ = false;       // 32773 sent (or due): end with the core
  bool announced_ = false;       // a core announced its frame since the start
  int opens_ = 0;                // 32771 answered or open-mode cores started
  std::string summary_;
  TrayState tray_ = TrayState::Unknown;
  bool flashing_ = false;
  std::string lastState_;
};

}  // namespace torvel
