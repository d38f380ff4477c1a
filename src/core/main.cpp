// torvelCore: checks the drives once; in open mode shows the main window
// and ends, otherwise stays resident for the launcher.
#include <cstdio>
#include <string>
#include <vector>

#include "base/version.h"
#include "drive/drive_source.h"
#include "monitor/core_app.h"

namespace {

constexpr const char* kUsage =
    "usage: torvelCore [-o]\n"
    "       torvelCore --help | --version\n"
    "\n"
    "Checks every drive once. With -o (or /o, or any word starting with o) it\n"
    "then opens the main window and ends when it is closed; without, it stays\n"
    "resident for the launcher Torvel, which starts it. The log torvel.log and\n"
    "the trace debug.log are written to the current folder.\n";

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  // Long options are this program's own; the designed words (-o, /o) and
  // whatever else the launcher passes keep their old meaning.
  for (const std::string& a : args) {
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (a == "--version") {
      std::fputs(torvel::VersionLine("torvelCore").c_str(), stdout);
      return 0;
    }
    if (a.rfind("--", 0) == 0) {
      std::fprintf(stderr, "torvelCore: unknown option '%s'\n%s", a.c_str(), kUsage);
      return 64;
    }
  }
  const torvel::DriveSource source = torvel::SelectDriveSource();
  torvel::CCoreApp app(*source.backend, *source.system);
  return app.Run(args);
}
