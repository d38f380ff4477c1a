// The core program's application object: it owns everything the run needs
// (settings, tables, trace, logs, windows, desktop), creates the monitor
// frame and serves messages until the frame is gone.
#pragma once

#include <string>
#include <vector>

namespace torvel {

class DriveBackend;
class SystemInfo;

class CCoreApp {
 public:
  CCoreApp(DriveBackend& backend, const SystemInfo& system) : backend_(backend), system_(system) {}
  // Initialisation, then the message loop; the process's exit status.
  int Run(const std::vector<std::string>& args);

 private:
  DriveBackend& backend_;
  const SystemInfo& system_;
};

}  // namespace torvel
