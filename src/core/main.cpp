// torvelCore: checks the drives once; in open mode shows the main window
// and ends, otherwise stays resident for the launcher.
#include <string>
#include <vector>

#include "drive/drive_source.h"
#include "monitor/core_app.h"

int main(int argc, char** argv) {
  const torvel::DriveSource source = torvel::SelectDriveSource();
  torvel::CCoreApp app(*source.backend, *source.system);
  return app.Run(std::vector<std::string>(argv + 1, argv + argc));
}
