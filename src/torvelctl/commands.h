// torvelctl's commands over the engine, with the backend, system and trace
// handed in so tests can run them against recorded or simulated drives.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include "base/text_out.h"
#include <string>
#include <vector>

#include "drive/ata_types.h"
#include "ui/logic/disk_info.h"

namespace torvel {

class DriveBackend;
class SettingsStore;
class SystemInfo;
class TraceLog;
struct DriveTables;

struct CtlContext {
  DriveBackend& backend;
  const SystemInfo& system;
  TraceLog& trace;
  std::function<std::tm()> now;
  bool outputIsTerminal = false;
  bool simulated = false;  // drives come from TORVEL_DRIVES
  // Opens the per-user settings store on first use; only the commands that
  // need it touch it.
  std::function<SettingsStore&()> settings;
  // The store when there is one, else nullptr: a command that only reads
  // settings takes the defaults rather than making a store. Unset: settings.
  std::function<SettingsStore*()> existingSettings{};
  // torvel.log, in the program's data folder.
  std::string logPath = "torvel.log";
  // TORVEL_TEXTFILE_DIR: where `check` also writes the metrics textfile.
  std::string textfileDir{};
  // Standard output is the systemd journal's stream: lines carry a priority.
  bool outputIsJournal = false;
};

// What a reading command reads: the store, or the defaults in `none` when
// there is no store.
SettingsStore& ReadOnlySettings(CtlContext& ctx, SettingsStore& none);

// Exit codes: EX_USAGE of sysexits.h for a wrong command line.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitNoDrive = 3;
inline constexpr int kExitUsage = 64;

int RunTorvelctl(const std::vector<std::string>& args, CtlContext& ctx, TextOut& out,
                 TextOut& err);

// Whether a stream with this device and inode is the journal's, as systemd
// names it in JOURNAL_STREAM ("device:inode").
bool JournalStreamIs(const char* journalStream, std::uint64_t device, std::uint64_t inode);

// What decides the advice when no drive could be read.
struct NoDriveFacts {
  bool simulated = false;  // TORVEL_DRIVES names the drives
  bool root = false;       // effective user 0
  int nvmeDisks = 0;       // NVMe disks the system lists
};
// One line, without the program's name: why nothing was read and what to do.
std::string NoDriveAdvice(const NoDriveFacts& facts);
// The facts of this process and machine.
NoDriveFacts CurrentNoDriveFacts(const CtlContext& ctx);

// Refreshes every drive as torvelctl's commands read them (the trace begun
// anew, sleeping disks left asleep unless WakeSleeping says otherwise).
// onlyDrive: the one drive a command reads (report, identify); -1 for all.
void RefreshForCommand(DriveTables& tables, CtlContext& ctx, int onlyDrive = -1);

// One line on `err` for each disk the tables had no room for.
void ReportDisksNotChecked(const DriveTables& tables, TextOut& err);

// The `drives` listing (UTF-8), one block per drive record in use.
std::string FormatDriveList(const DriveTables& tables);

// The `identify` listing (UTF-8): the Disk info page's IDENTIFY rows as
// "label: value" lines, trailing blanks of a label dropped.
std::string FormatIdentifyRows(SectorView identify);
// A row's label as the listings show it: the page's trailing blanks dropped.
std::string ListedLabel(const InfoRow& row);
// "label: value" lines in UTF-8.
std::string FormatInfoRows(const std::vector<InfoRow>& rows);

}  // namespace torvel
