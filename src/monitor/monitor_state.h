// What the hidden monitor frame keeps between and during checks: the change
// lists, the alert flags, the alert drive and the "Messages" texts.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "config/language.h"
#include "drive/drive_tables.h"

namespace torvel {

struct ChangeRecord {
  std::string text;  // always empty; kept for the record's layout
  std::uint8_t oldValue = 0;
  std::uint8_t newValue = 0;
  int attributeId = 0;
};

// A sector count (reallocated, pending, uncorrectable) that grew.
struct SectorGrowthRecord {
  int attributeId = 0;
  std::uint32_t oldCount = 0;
  std::uint32_t newCount = 0;
};

// A drive the store knows that no longer answers.
struct MissingDriveRecord {
  std::string model;
  std::string serial;
};

inline constexpr unsigned kFoundChange = 1;
inline constexpr unsigned kFoundTemperature = 2;
inline constexpr unsigned kFoundTec = 4;
inline constexpr unsigned kFoundSectorGrowth = 8;
inline constexpr unsigned kFoundMissingDrive = 16;
// What makes a warning (torvelctl check exits 1, the tray turns yellow).
inline constexpr unsigned kFoundWarning =
    kFoundChange | kFoundTemperature | kFoundSectorGrowth | kFoundMissingDrive;

struct MonitorState {
  std::array<std::vector<ChangeRecord>, kMaxDrives> changes;
  std::array<std::vector<SectorGrowthRecord>, kMaxDrives> growths;
  std::vector<MissingDriveRecord> missing;
  int moreInformation = 0;
  TextTable messages{"Messages"};
  int alertDrive = 0;
  int changeAlert = 0;
  int temperatureAlert = 0;
  int tecAlert = 0;
  // What the last pass found, whatever became of its alert.
  unsigned findings = 0;
  // The same, drive by drive (a missing drive has no number).
  std::array<unsigned, kMaxDrives> driveFindings{};
  std::array<bool, kMaxDrives> driveChecked{};
  // Drives the last pass checked, and drives it could read at all.
  int checkedDrives = 0;
  int readDrives = 0;
  // Disks found in standby and left asleep, unread.
  int asleepDrives = 0;

  void Found(int drive, unsigned finding) {
    findings |= finding;
    driveFindings[static_cast<std::size_t>(drive)] |= finding;
  }
  const std::string& Message(int key) const { return messages.Text(key); }
  std::array<int, kMaxDrives> ChangeCounts() const;
};

// The 256-byte status summary sent to the launcher: text that does not fit
// is cut, and the buffer always ends in a zero. The whole text is kept
// beside it, for those who print every drive.
class StatusSummary {
 public:
  static constexpr std::size_t kBytes = 256;
  void Clear() {
    text_.clear();
    full_.clear();
  }
  void Append(std::string_view text);
  const std::string& Text() const { return text_; }
  const std::string& FullText() const { return full_; }
  // The whole buffer as sent: the text, then zeros up to 256 bytes.
  std::string Bytes() const;

 private:
  std::string text_;
  std::string full_;
};

}  // namespace torvel
