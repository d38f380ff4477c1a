// The hidden monitor frame: it owns the monitoring state, runs the start-up
// with its one check, and serves the launcher's messages while the core
// stays resident.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "monitor/monitor_context.h"
#include "monitor/monitor_state.h"
#include "platform/main_window_env.h"
#include "platform/window_messages.h"

namespace torvel {

class CheckWorld;
class DriveBackend;
class Desktop;
class ModuleVersions;
class SettingsStore;
class SoundService;
class SystemInfo;
class TraceLog;

// Skips one leading "-" or "/", then compares one character.
bool IsOption(std::string_view argument, char letter);
// Exactly one argument, and it is the "o" option.
bool IsOpenMode(const std::vector<std::string>& args);

inline constexpr const char* kFrameClass = "Torvel Monitor";
inline constexpr const char* kFrameTitle = "Torvel";

// What the application owns and lends the frame.
struct CoreParts {
  SettingsStore& store;
  TraceLog& trace;
  DriveBackend& backend;
  const SystemInfo& system;
  WindowSystem& windows;
  Desktop& desktop;
  SoundService& sound;
  const ModuleVersions& versions;
  std::function<std::int64_t()> now;
  std::function<std::tm()> localNow;
};

class CMainFrame final : private FrameServices, private MainWindowOwner {
 public:
  // Writes Options/Exit = 0.
  CMainFrame(CoreParts& parts, std::vector<std::string> args);
  ~CMainFrame() override;
  CMainFrame(const CMainFrame&) = delete;
  CMainFrame& operator=(const CMainFrame&) = delete;

  // The start-up sequence: 0 keeps the frame (resident), -1 ends the core.
  int OnCreate();
  // True once the frame's window is gone: the application ends.
  bool Destroyed() const { return destroyed_; }
  WindowHandle handle() const { return handle_; }
  MonitorState& state();
  const StatusSummary& summary() const;

  // The frame's message handler (also what other windows reach by handle).
  std::int64_t OnMessage(const WindowMessage& message);

  bool OpenMainWindow(int startTab) override;
  // SIGTERM, SIGINT or SIGHUP: ends the frame as WM_CLOSE does (the
  // baseline saved), closing an open main window as if hidden with OK.
  void OnTerminationSignal(int signal);
  // The check the main window asks for; also start-up's.
  bool CheckAllDrives(int interactive, int recordLastCheck) override;
  // Serves messages until no mail is in flight.
  void WaitForMail();

 private:
  std::uint32_t GetModuleVersion(const std::string& library) override;
  void ReportToLauncher(const std::string& data, TrayState tray) override;
  void Send(WindowHandle window, std::uint32_t message, std::uint64_t wParam = 0,
            std::uint64_t lParam = 0);
  WindowHandle Launcher() const;
  void Destroy();
  void RunModalRequest(const WindowMessage& message);
  void ReloadTexts();
  void RunOnUiThread(const std::function<void()>& task);
  // What the main window asks of the frame.
  void SaveAttributeBaseline() override;
  void LanguageChanged() override;

  CoreParts& p_;
  std::vector<std::string> args_;
  std::unique_ptr<CheckWorld> world_;
  WindowHandle handle_ = kNoWindow;
  WindowHandle launcher_ = kNoWindow;
  bool mainWindowOpen_ = false;
  MainWindowEnv* mainWindowEnv_ = nullptr;  // while the main window runs
  bool destroyed_ = false;
};

}  // namespace torvel
