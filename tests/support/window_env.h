// The objects a window works with, for tests: drive tables the test fills,
// a memory settings store, a trace that can be read back, scripted boxes and
// help, a recorded sound, and the network messages asked for.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "config/settings_store.h"
#include "drive/drive_tables.h"
#include "monitor/monitor_state.h"
#include "platform/main_window_env.h"
#include "support/monitor_harness.h"
#include "support/trace_capture.h"

namespace torvel::test {

struct WindowWorld {
  WindowWorld() {
    env.refreshDrives = [this] { ++refreshes; };
    env.sendNetMessage = [this](const std::string& name, const std::string& text) {
      netMessages.emplace_back(name, text);
    };
    env.now = [this] { return now; };
  }

  // An ATA drive in slot `n` with S.M.A.R.T. on.
  DriveRecord& AddDrive(int n, const std::string& model, const std::string& serial) {
    DriveRecord& r = tables.records[static_cast<std::size_t>(n)];
    r.driveNumber = n;
    r.deviceType = kDeviceAta;
    r.model = model;
    r.serial = serial;
    r.capacity = 500.1f;
    r.smartEnabled = 1;
    r.smartSupported = 1;
    return r;
  }

  DriveTables tables;
  MemorySettingsStore store;
  TraceCapture capture;
  ScriptedUi ui;
  RecordingSound sound;
  MonitorState state;
  std::int64_t now = 1'800'000'000;  // 15 Jan 2027
  int refreshes = 0;
  std::vector<std::pair<std::string, std::string>> netMessages;
  MainWindowEnv env{tables, store, capture.trace, ui, sound, state};
};

}  // namespace torvel::test
