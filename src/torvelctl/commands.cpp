#include "torvelctl/commands.h"

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <memory>
#include <cstdio>
#include "base/text_out.h"

#include "config/settings.h"
#include "config/settings_store.h"
#include "drive/channel.h"
#include "drive/drive_tables.h"
#include "drive/refresh.h"
#include "drive/report.h"
#include "base/debug_trace.h"
#include "notify/system_summary.h"
#include "base/codepage.h"
#include "base/version.h"
#include "torvelctl/check_command.h"
#include "torvelctl/json_output.h"
#include "torvelctl/metrics_command.h"
#include "platform/block_devices.h"
#include "base/syscalls.h"
#include "notify/mail.h"
#include "torvelctl/mail_command.h"
#include "torvelctl/schedule_command.h"
#include "torvelctl/settings_command.h"
#include "torvelctl/texts_command.h"
#include "base/xdg_paths.h"
#include "ui/logic/disk_info.h"

namespace torvel {
namespace {

const std::string kUsage =
    std::string("usage: torvelctl drives [--json]\n"
                "       torvelctl report N [--json | -o FILE]\n"
                "       torvelctl identify N [--json]\n"
                "       torvelctl metrics [--textfile DIR]\n") +
    kCheckUsage + kMailUsage + kScheduleUsage + kSettingsUsage +
    "       torvelctl texts SECTION\n"
    "       torvelctl --help | --version\n"
    "\n"
    "  drives     list every drive found: identity, capacity, Ultra DMA mode,\n"
    "             S.M.A.R.T. state, T.E.C. flag and temperature\n"
    "  report N   print the S.M.A.R.T. text report of drive N; with -o FILE write\n"
    "             it to FILE as the window's save does (banner, Windows-1252, CR LF)\n"
    "  identify N print what drive N's IDENTIFY sector says, as the Disk info\n"
    "             page lists it: one 'label: value' line each\n"
    "  metrics    every drive in the Prometheus text format; with --textfile DIR\n"
    "             written to DIR/torvel.prom (atomically, mode 0644) for\n"
    "             node_exporter's textfile collector\n" +
    kCheckHelp + kMailHelp + kScheduleHelp + kSettingsHelp +
    "  texts SECTION\n"
    "             the texts a window of SECTION loads now (LanguageFile honoured),\n"
    "             one 'slot<TAB>text' line each\n"
    "\n"
    "--json prints one JSON document instead of the text (see docs/json.md).\n"
    "Standard output is UTF-8 with LF line ends. Exit status 64: a wrong command\n"
    "line (check: 3); 3: no such drive, or none answered.\n"
    "\n"
    "Drives are read with raw ATA commands (SG_IO), which needs CAP_SYS_RAWIO.\n"
    "TORVEL_DRIVES=<folder> reads simulated drives instead. The trace debug.log\n"
    "and the log torvel.log are kept in $TORVEL_HOME, else $XDG_DATA_HOME/Torvel.\n";

std::string Field(const char* name, const std::string& value) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "  %-16s", name);
  return buf + value + "\n";
}

std::string Gigabytes(float capacity) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.2f GB", static_cast<double>(capacity));
  return buf;
}

bool ParseDriveNumber(const std::string& text, int& n) {
  const char* end = text.data() + text.size();
  auto [p, ec] = std::from_chars(text.data(), end, n);
  return ec == std::errc() && p == end && n >= 0 && n < kMaxDrives;
}


bool AnyInUse(const DriveTables& tables) {
  for (const DriveRecord& r : tables.records)
    if (r.InUse()) return true;
  return false;
}

void ExplainNoDrive(const CtlContext& ctx, TextOut& err) {
  err << "torvelctl: " << NoDriveAdvice(CurrentNoDriveFacts(ctx)) << "\n";
}

}  // namespace

SettingsStore& ReadOnlySettings(CtlContext& ctx, SettingsStore& none) {
  if (!ctx.existingSettings) return ctx.settings();
  SettingsStore* store = ctx.existingSettings();
  return store != nullptr ? *store : none;
}

void RefreshForCommand(DriveTables& tables, CtlContext& ctx, int onlyDrive) {
  ctx.trace.ResetDebugTrace();
  TraceSystemSummary(ctx.trace, ctx.system);
  DeviceChannel channel(ctx.backend, ctx.system, ctx.trace);
  MemorySettingsStore none;
  RefreshDrives(tables, channel, ctx.trace,
                RefreshOptions{settings::WakeSleeping(ReadOnlySettings(ctx, none)) != 0, onlyDrive});
}

std::string FormatIdentifyRows(SectorView identify) { return FormatInfoRows(IdentifyRows(identify)); }

std::string ListedLabel(const InfoRow& row) {
  // The page's labels may end in blanks; a colon right after reads better.
  std::string label = row.label;
  while (!label.empty() && label.back() == ' ') label.pop_back();
  return label;
}

std::string FormatInfoRows(const std::vector<InfoRow>& rows) {
  std::string out;
  for (const InfoRow& row : rows) out += Cp1252ToUtf8(ListedLabel(row)) + ": " + Cp1252ToUtf8(row.value) + "\n";
  return out;
}

std::string NoDriveAdvice(const NoDriveFacts& f) {
  if (f.simulated) return "no simulated drive answered in the TORVEL_DRIVES folder";
  if (f.nvmeDisks > 0 && !f.root)
    return "no disk answered; this machine's " + std::to_string(f.nvmeDisks) +
           (f.nvmeDisks == 1 ? " NVMe drive needs" : " NVMe drives need") +
           " CAP_SYS_ADMIN for their health log (run as root, or the torvel-ata helper "
           "installed), its ATA disks CAP_SYS_RAWIO";
  if (f.root)
    return "no ATA disk answered, although running as root; the disks may sit behind a "
           "controller that does not pass ATA commands through (a RAID or USB bridge)";
  return "no ATA disk answered; reading S.M.A.R.T. data needs the right to send raw ATA "
         "commands (CAP_SYS_RAWIO, e.g. run as root, or the torvel-ata helper installed)";
}

bool JournalStreamIs(const char* journalStream, std::uint64_t device, std::uint64_t inode) {
  if (journalStream == nullptr) return false;
  const std::string expected = std::to_string(device) + ":" + std::to_string(inode);
  return expected == journalStream;
}

NoDriveFacts CurrentNoDriveFacts(const CtlContext& ctx) {
  LinuxSysCalls sys;
  return {ctx.simulated, geteuid() == 0, ctx.simulated ? 0 : CountNvmeDisks(sys)};
}

void ReportDisksNotChecked(const DriveTables& tables, TextOut& err) {
  for (const std::string& disk : tables.notChecked)
    err << "torvelctl: " << disk << " not checked: only " << kMaxDrives << " drives are\n";
}

std::string FormatDriveList(const DriveTables& tables) {
  std::string out;
  for (const DriveRecord& r : tables.records) {
    const std::string number = std::to_string(&r - tables.records.data());
    if (!r.InUse()) {
      if (!r.asleep) continue;
      if (!out.empty()) out += "\n";
      out += "Drive " + number + ": ATA disk, asleep (standby): not read\n";
      out += Field("Device", r.device);
      out += Field("Transport", r.transport.empty() ? "unknown" : r.transport);
      continue;
    }
    if (!out.empty()) out += "\n";
    const char* kind = r.deviceType == kDeviceAta    ? "ATA disk"
                       : r.deviceType == kDeviceNvme ? "NVMe drive"
                                                     : "packet device or no disk";
    out += "Drive " + number + ": " + kind + (r.asleep ? ", asleep (standby): values read before" : "") +
           "\n";
    if (!r.device.empty()) out += Field("Device", r.device);
    if (!r.transport.empty()) out += Field("Transport", r.transport);
    out += Field("Model", Cp1252ToUtf8(r.model));
    out += Field("Serial number", Cp1252ToUtf8(r.serial));
    out += Field("Firmware", Cp1252ToUtf8(r.firmware));
    out += Field("Capacity", Gigabytes(r.capacity));
    out += Field("Ultra DMA mode",
                 r.udmaMode == kUdmaNotValid ? "not reported" : std::to_string(r.udmaMode));
    std::string smart = r.smartSupported ? "supported" : "not supported";
    smart += r.smartEnabled ? ", enabled" : ", not enabled";
    out += Field("S.M.A.R.T.", smart);
    out += Field("T.E.C.", r.tec ? "yes (threshold exceeded)" : "no");
    out += Field("Temperature",
                 r.temperature ? std::to_string(r.temperature) + " \xC2\xB0" "C" : "not reported");
  }
  for (const std::string& disk : tables.unanswered) {
    if (!out.empty()) out += "\n";
    out += "Disk " + disk + ": no answer to ATA or NVMe identify commands (a virtio, SAS or "
           "card-reader disk, or the commands did not get through): not checked\n";
  }
  return out;
}

namespace {

// The words after the verb: --json taken out, the rest left in order.
struct CommandWords {
  bool json = false;
  std::string output;  // -o FILE
  std::vector<std::string> rest;
  std::string wrong;   // an option this command does not take
};

CommandWords SplitWords(const std::vector<std::string>& args, bool takesOutput) {
  CommandWords w;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--json") {
      w.json = true;
    } else if (takesOutput && a == "-o" && i + 1 < args.size()) {
      w.output = args[++i];
    } else if (takesOutput && a == "--utf8") {
      // Standard output is always UTF-8 now; kept so old scripts still run.
    } else if (a.size() > 1 && a[0] == '-') {
      if (w.wrong.empty()) w.wrong = a;
    } else {
      w.rest.push_back(a);
    }
  }
  return w;
}

// The report file as the window saves it; empty when written, else why not.
std::string WriteReportBytes(const std::string& path, const std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return "cannot create " + path + ": " + std::strerror(errno);
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  const int error = errno;
  if (std::fclose(f) != 0 || !written)
    return "cannot write " + path + ": " + std::strerror(written ? errno : error);
  return {};
}

// The drive number of `report N` and `identify N`, or a usage error.
bool OneDriveNumber(const CommandWords& w, const char* verb, int& n, TextOut& err) {
  if (!w.wrong.empty()) {
    err << "torvelctl: unknown option '" << w.wrong << "' for '" << verb << "'\n";
    return false;
  }
  if (w.rest.size() != 1) {
    err << "torvelctl: '" << verb << "' needs one drive number (see 'torvelctl drives')\n";
    return false;
  }
  if (!ParseDriveNumber(w.rest[0], n)) {
    err << "torvelctl: '" << w.rest[0] << "' is not a drive number (0 to " << kMaxDrives - 1 << ")\n";
    return false;
  }
  return true;
}

// The report's CR LF line ends as LF, for standard output.
std::string ToLineFeeds(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text)
    if (c != '\r') out += c;
  return out;
}

bool AsksForHelp(const std::vector<std::string>& args) {
  return args.size() >= 2 && (args[1] == "--help" || args[1] == "-h");
}

}  // namespace

int RunTorvelctl(const std::vector<std::string>& args, CtlContext& ctx, TextOut& out,
                 TextOut& err) {
  if (args.empty()) {
    err << kUsage;
    return kExitUsage;
  }
  const std::string& verb = args[0];
  if (verb == "help" || verb == "--help" || verb == "-h") {
    out << kUsage;
    return kExitOk;
  }
  if (verb == "--version") {
    out << VersionLine("torvelctl");
    return kExitOk;
  }
  // Each command's own help is the whole usage, which names every option.
  if (verb != "check" && AsksForHelp(args)) {
    out << kUsage;
    return kExitOk;
  }

  if (verb == "drives") {
    const CommandWords w = SplitWords(args, false);
    if (!w.rest.empty() || !w.wrong.empty()) {
      err << "torvelctl: 'drives' takes no arguments but --json\n";
      return kExitUsage;
    }
    auto tables = std::make_unique<DriveTables>();
    RefreshForCommand(*tables, ctx);
    ReportDisksNotChecked(*tables, err);
    const bool none = !AnyInUse(*tables);
    if (w.json) out << DrivesJson(*tables);
    else out << (none ? std::string("No drive found.\n") : FormatDriveList(*tables));
    if (!none) return kExitOk;
    ExplainNoDrive(ctx, err);
    return kExitNoDrive;
  }

  if (verb == "report" || verb == "identify") {
    const CommandWords w = SplitWords(args, verb == "report");
    int n = 0;
    if (!OneDriveNumber(w, verb.c_str(), n, err)) return kExitUsage;
    if (w.json && !w.output.empty()) {
      err << "torvelctl: 'report' takes --json or -o FILE, not both\n";
      return kExitUsage;
    }
    auto tables = std::make_unique<DriveTables>();
    // The others are neither shown nor woken.
    RefreshForCommand(*tables, ctx, n);
    const auto idx = static_cast<std::size_t>(n);
    if (!tables->records[idx].InUse()) {
      err << "torvelctl: no drive " << n << " (see 'torvelctl drives')\n";
      return kExitNoDrive;
    }
    const DriveRecord& r = tables->records[idx];
    if (verb == "identify") {
      // An NVMe drive has no IDENTIFY sector: its page shows the health log's state.
      const std::vector<InfoRow> rows = r.deviceType == kDeviceNvme
                                            ? NvmeInfoRows(r, tables->attributes[idx])
                                            : IdentifyRows(tables->identify[idx]);
      out << (w.json ? IdentifyJson(*tables, n, rows) : FormatInfoRows(rows));
      return kExitOk;
    }
    const std::tm now = ctx.now();
    if (w.json) {
      out << ReportJson(*tables, n, now);
      return kExitOk;
    }
    const std::string report = BuildReport(*tables, n, now);
    if (!w.output.empty()) {
      if (const std::string why = WriteReportBytes(w.output, ReportBanner() + report); !why.empty()) {
        err << "torvelctl: " << why << "\n";
        return kExitFailed;
      }
      return kExitOk;
    }
    out << Cp1252ToUtf8(ToLineFeeds(report)) << "\n";
    return kExitOk;
  }

  if (verb == "metrics") return RunMetricsCommand({args.begin() + 1, args.end()}, ctx, out, err);
  if (verb == "check") return RunCheckCommand({args.begin() + 1, args.end()}, ctx, out, err);

  if (verb == "mail")
    return RunMailCommand({args.begin() + 1, args.end()}, ctx.settings(), ctx.trace, out, err,
                          SmtpModulePath());

  if (verb == "schedule")
    return RunScheduleCommand({args.begin() + 1, args.end()}, ctx.settings(), ConfigHome(), out, err);

  if (verb == "settings" || verb == "texts") {
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (verb == "settings") return RunSettingsCommand(rest, ctx.settings(), out, err);
    return RunTextsCommand(rest, ctx.settings(), ctx.trace, out, err);
  }

  err << "torvelctl: unknown command '" << verb << "' (torvelctl --help lists them)\n";
  return kExitUsage;
}

}  // namespace torvel
