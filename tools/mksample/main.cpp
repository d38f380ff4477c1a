// torvel-mksample: writes a simulated drive folder (see TORVEL_DRIVES) from a
// readable description, so the bundled sample drives can be reviewed and
// regenerated instead of being opaque binary files.
#include <filesystem>
#include <fstream>
#include <iostream>

#include "mksample/description.h"

namespace fs = std::filesystem;
using namespace torvel::mksample;

namespace {

constexpr const char* kUsage =
    "usage: torvel-mksample DESCRIPTION OUTPUT_DRIVE_FOLDER\n"
    "\n"
    "Writes identify.bin, smart-data.bin, smart-thresholds.bin, status, packet\n"
    "and fail into the folder as the description asks, and removes those the\n"
    "description does not ask for. Description lines:\n"
    "  model|serial|firmware = TEXT     (quote it to keep blanks)\n"
    "  sectors = N   lba48 = yes|no   udma = none | supported N [selected M]\n"
    "  smart = yes|supported|no   status = good|tec|none   packet = yes|no\n"
    "  fail = open|enable|status|identify|read-data|read-thresholds\n"
    "  word N = VALUE   (IDENTIFY word)   data N = VALUE   (data sector byte)\n"
    "  attr ID FLAGS VALUE WORST THRESHOLD RAW\n"
    "Numbers are decimal or 0x hexadecimal; '#' starts a comment.\n";

bool WriteAll(const fs::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << kUsage;
    return 2;
  }
  const fs::path description = argv[1];
  const fs::path folder = argv[2];

  std::ifstream in(description);
  if (!in) {
    std::cerr << "torvel-mksample: cannot read " << description.string() << "\n";
    return 1;
  }

  std::map<std::string, std::string> files;
  try {
    files = BuildDriveFiles(ParseDescription(in));
  } catch (const DescriptionError& e) {
    std::cerr << description.string();
    if (e.line() > 0) std::cerr << ":" << e.line();
    std::cerr << ": " << e.what() << "\n";
    return 1;
  }

  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) {
    std::cerr << "torvel-mksample: cannot create " << folder.string() << ": " << ec.message()
              << "\n";
    return 1;
  }
  // A file left from an earlier description would change the drive.
  for (const std::string& name : DriveFileNames())
    if (!files.count(name)) fs::remove(folder / name, ec);
  for (const auto& [name, bytes] : files) {
    if (!WriteAll(folder / name, bytes)) {
      std::cerr << "torvel-mksample: cannot write " << (folder / name).string() << "\n";
      return 1;
    }
  }
  return 0;
}
