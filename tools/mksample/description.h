// A sample drive described in readable text, and the files of its simulated
// drive folder. Kept apart from main() so the format lives in one place.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "drive/nvme.h"

namespace torvel::mksample {

struct AttributeLine {
  std::uint8_t id = 0;
  std::uint16_t flags = 0;
  std::uint8_t value = 0;
  std::uint8_t worst = 0;
  std::uint8_t threshold = 0;
  std::uint64_t raw = 0;  // 48 bits
};

enum class SmartSupport { No, Supported, Enabled };

struct DriveDescription {
  std::string model;
  std::string serial;
  std::string firmware;
  std::uint64_t sectors = 0;
  bool lba48 = false;
  bool udma = false;
  int udmaSupported = 0;
  int udmaSelected = -1;
  SmartSupport smart = SmartSupport::No;
  std::string status;  // empty: no status file
  bool packet = false;
  std::vector<std::string> fails;
  std::vector<std::pair<int, std::uint16_t>> words;     // IDENTIFY word overrides
  std::vector<std::pair<int, std::uint8_t>> dataBytes;  // S.M.A.R.T. data sector bytes
  std::vector<AttributeLine> attributes;
  // An NVMe drive: three pages instead of the ATA sectors; `sectors` is
  // namespace 1's size in blocks of 2^lbads bytes.
  bool nvme = false;
  int lbads = 9;
  NvmeHealth health;
  std::string power;      // the "power" file: standby, active; empty: none
  std::string transport;  // the "transport" file; empty: none
};

// A description mistake, with the 1-based line it was found on (0: the
// description as a whole).
class DescriptionError : public std::runtime_error {
 public:
  DescriptionError(int line, const std::string& message)
      : std::runtime_error(message), line_(line) {}
  int line() const { return line_; }

 private:
  int line_;
};

DriveDescription ParseDescription(std::istream& in);

// Every file of the drive folder, by name. Files the description does not
// call for are absent from the map.
std::map<std::string, std::string> BuildDriveFiles(const DriveDescription& d);

// The file names a drive folder may hold, so stale ones can be removed.
const std::vector<std::string>& DriveFileNames();

}  // namespace torvel::mksample
