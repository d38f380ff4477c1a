#include "torvelctl/commands.h"

#include <unistd.h>

#include <charconv>
#include <memory>
#include <cstdio>
#include <ostream>

#include "drive/channel.h"
#include "drive/drive_tables.h"
#include "drive/refresh.h"
#include "drive/report.h"
#include "base/debug_trace.h"
#include "notify/system_summary.h"
#include "base/codepage.h"
#include "torvelctl/check_command.h"
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
    std::string("usage: torvelctl drives\n"
                "       torvelctl report N [--utf8]\n"
                "       torvelctl identify N\n"
                "       torvelctl metrics [--textfile DIR]\n") +
    kCheckUsage + kMailUsage + kScheduleUsage + kSettingsUsage +
    "       torvelctl texts SECTION\n"
    "\n"
    "  drives     list every drive found: identity, capacity, Ultra DMA mode,\n"
    "             S.M.A.R.T. state, T.E.C. flag and temperature\n"
    "  report N   print the S.M.A.R.T. text report of drive N; on a terminal, or\n"
    "             with --utf8, as UTF-8 text, otherwise as the report file's own\n"
    "             Windows-1252 bytes with CR LF line ends\n"
    "  identify N print what drive N's IDENTIFY sector says, as the Disk info\n"
    "             page lists it: one 'label: value' line each, UTF-8\n"
    "  metrics    every drive in the Prometheus text format; with --textfile DIR\n"
    "             written to DIR/torvel.prom (atomically, mode 0644) for\n"
    "             node_exporter's textfile collector\n" +
    kCheckHelp + kMailHelp + kScheduleHelp + kSettingsHelp +
    "  texts SECTION\n"
    "             the texts a window of SECTION loads now (LanguageFile honoured),\n"
    "             one 'slot<TAB>text' line each\n"
    "\n"
    "Drives are read with raw ATA commands (SG_IO), which needs CAP_SYS_RAWIO.\n"
    "TORVEL_DRIVES=<folder> reads simulated drives instead. Every run rewrites\n"
    "debug.log in the current folder.\n";

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

void ExplainNoDrive(const CtlContext& ctx, std::ostream& err) {
  err << "torvelctl: " << NoDriveAdvice(CurrentNoDriveFacts(ctx)) << "\n";
}

}  // namespace

void RefreshForCommand(DriveTables& tables, CtlContext& ctx) {
  ctx.trace.ResetDebugTrace();
  TraceSystemSummary(ctx.trace, ctx.system);
  DeviceChannel channel(ctx.backend, ctx.system, ctx.trace);
  RefreshDrives(tables, channel, ctx.trace,
                RefreshOptions{settings::WakeSleeping(ctx.settings()) != 0});
}

std::string FormatIdentifyRows(SectorView identify) { return FormatInfoRows(IdentifyRows(identify)); }

std::string FormatInfoRows(const std::vector<InfoRow>& rows) {
  std::string out;
  for (const InfoRow& row : rows) {
    // The page's labels may end in blanks; a colon right after reads better.
    std::string label = row.label;
    while (!label.empty() && label.back() == ' ') label.pop_back();
    out += Cp1252ToUtf8(label) + ": " + Cp1252ToUtf8(row.value) + "\n";
  }
  return out;
}

std::string NoDriveAdvice(const NoDriveFacts& f) {
  if (f.simulated) return "no simulated drive answered in the TORVEL_DRIVES folder";
  if (f.nvmeDisks > 0)
    return "no ATA disk answered; this machine's " + std::to_string(f.nvmeDisks) +
           (f.nvmeDisks == 1 ? " disk is an NVMe drive" : " disks are NVMe drives") +
           ", which this version does not read";
  if (f.root)
    return "no ATA disk answered, although running as root; the disks may sit behind a "
           "controller that does not pass ATA commands through (a RAID or USB bridge)";
  return "no ATA disk answered; reading S.M.A.R.T. data needs the right to send raw ATA "
         "commands (CAP_SYS_RAWIO, e.g. run as root, or the torvel-ata helper installed)";
}

NoDriveFacts CurrentNoDriveFacts(const CtlContext& ctx) {
  LinuxSysCalls sys;
  return {ctx.simulated, geteuid() == 0, ctx.simulated ? 0 : CountNvmeDisks(sys)};
}

void ReportDisksNotChecked(const DriveTables& tables, std::ostream& err) {
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

int RunTorvelctl(const std::vector<std::string>& args, CtlContext& ctx, std::ostream& out,
                 std::ostream& err) {
  if (args.empty() || args[0] == "help" || args[0] == "--help" || args[0] == "-h") {
    (args.empty() ? err : out) << kUsage;
    return args.empty() ? kExitUsage : kExitOk;
  }
  const std::string& verb = args[0];

  if (verb == "drives") {
    if (args.size() != 1) {
      err << "torvelctl: 'drives' takes no arguments\n";
      return kExitUsage;
    }
    auto tables = std::make_unique<DriveTables>();
    RefreshForCommand(*tables, ctx);
    ReportDisksNotChecked(*tables, err);
    if (!AnyInUse(*tables)) {
      out << "No drive found.\n";
      ExplainNoDrive(ctx, err);
      return kExitNoDrive;
    }
    out << FormatDriveList(*tables);
    return kExitOk;
  }

  if (verb == "report") {
    bool utf8 = ctx.outputIsTerminal;
    std::vector<std::string> rest;
    for (std::size_t i = 1; i < args.size(); ++i) {
      if (args[i] == "--utf8")
        utf8 = true;
      else
        rest.push_back(args[i]);
    }
    if (rest.size() != 1) {
      err << "torvelctl: 'report' needs one drive number (see 'torvelctl drives')\n";
      return kExitUsage;
    }
    int n = 0;
    if (!ParseDriveNumber(rest[0], n)) {
      err << "torvelctl: '" << rest[0] << "' is not a drive number (0 to "
          << kMaxDrives - 1 << ")\n";
      return kExitUsage;
    }
    auto tables = std::make_unique<DriveTables>();
    RefreshForCommand(*tables, ctx);
    if (!tables->records[static_cast<std::size_t>(n)].InUse()) {
      err << "torvelctl: no drive " << n << " (see 'torvelctl drives')\n";
      return kExitNoDrive;
    }
    std::string report = BuildReport(*tables, n, ctx.now());
    if (utf8) {
      std::string text;
      for (char c : Cp1252ToUtf8(report))
        if (c != '\r') text += c;
      out << text << "\n";
    } else {
      out << report;
    }
    return kExitOk;
  }

  if (verb == "identify") {
    if (args.size() != 2) {
      err << "torvelctl: 'identify' needs one drive number (see 'torvelctl drives')\n";
      return kExitUsage;
    }
    int n = 0;
    if (!ParseDriveNumber(args[1], n)) {
      err << "torvelctl: '" << args[1] << "' is not a drive number (0 to " << kMaxDrives - 1
          << ")\n";
      return kExitUsage;
    }
    auto tables = std::make_unique<DriveTables>();
    RefreshForCommand(*tables, ctx);
    const auto idx = static_cast<std::size_t>(n);
    if (!tables->records[idx].InUse()) {
      err << "torvelctl: no drive " << n << " (see 'torvelctl drives')\n";
      return kExitNoDrive;
    }
    // An NVMe drive has no IDENTIFY sector: its page shows the health log's state.
    if (tables->records[idx].deviceType == kDeviceNvme)
      out << FormatInfoRows(NvmeInfoRows(tables->records[idx], tables->attributes[idx]));
    else
      out << FormatIdentifyRows(tables->identify[idx]);
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

  err << "torvelctl: unknown command '" << verb << "'\n" << kUsage;
  return kExitUsage;
}

}  // namespace torvel
