// What the main window and its pages work with: the application's objects,
// lent for as long as the window runs. Plain types only, so the engine can
// fill it without knowing the toolkit, and tests and the screenshot tool can
// build their own.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace torvel {

struct DriveTables;
struct MonitorState;
class SettingsStore;
class SoundService;
class TraceLog;
class UiServices;
class WindowSystem;

// The monitor frame as the main window reaches it.
class MainWindowOwner {
 public:
  virtual void SaveAttributeBaseline() = 0;
  virtual bool CheckAllDrives(int interactive, int recordLastCheck) = 0;
  // Message 1152 to the frame: it reloads its message texts.
  virtual void LanguageChanged() = 0;

 protected:
  ~MainWindowOwner() = default;
};

struct MainWindowEnv {
  MainWindowEnv(DriveTables& tables_, SettingsStore& store_, TraceLog& trace_, UiServices& ui_,
                SoundService& sound_, const MonitorState& messages_)
      : tables(tables_), store(store_), trace(trace_), ui(ui_), sound(sound_), messages(messages_) {}

  DriveTables& tables;
  SettingsStore& store;
  TraceLog& trace;
  // Boxes and help topics.
  UiServices& ui;
  SoundService& sound;
  // The frame's "Messages" texts (the drive status text is built from them).
  const MonitorState& messages;
  // Where the main window registers itself and finds the launcher; nullptr
  // when no other window is to be reached (screenshots).
  WindowSystem* windows = nullptr;
  // nullptr when there is no frame: check now then only re-reads the drives.
  MainWindowOwner* owner = nullptr;
  // RefreshDrives through the application's channel.
  std::function<void()> refreshDrives;
  // The network message sender with its own result boxes.
  std::function<void(const std::string& name, const std::string& text)> sendNetMessage;
  // GetModuleVersion("comctl32.dll"): (major << 16) | minor.
  std::uint32_t controlsVersion = 0x60000;
  // The operating system's version, as the version query reports it.
  int osMajor = 0;
  int osMinor = 0;
  // Seconds since 1970.
  std::function<std::int64_t()> now;
  // Set by the main window while it runs: closes it as Hide (OK) does.
  std::function<void()> close;
};

}  // namespace torvel
