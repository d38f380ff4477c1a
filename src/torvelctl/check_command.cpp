#include "torvelctl/check_command.h"

#include <filesystem>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>
#include "base/text_out.h"

#include "base/codepage.h"
#include "monitor/alert_texts.h"
#include "config/settings.h"
#include "monitor/check_world.h"
#include "notify/event_log_file.h"
#include "notify/mail.h"
#include "platform/desktop.h"
#include "platform/sound.h"
#include "torvelctl/commands.h"
#include "torvelctl/json_output.h"
#include "torvelctl/metrics_command.h"

namespace torvel {

const char* const kCheckUsage =
    "       torvelctl check [--keep-baseline] [--wake] [--json] [--textfile DIR]\n";
const char* const kCheckHelp =
    "  check      one check of every drive, as the resident core makes it at start:\n"
    "             logs, mail, network messages and syslog as configured, boxes on\n"
    "             standard error, then the current values become the baseline\n"
    "             (not with --keep-baseline); prints every drive's status and exits\n"
    "             0 no finding; 1 an attribute change, a grown bad-sector count,\n"
    "             over-temperature or a known drive gone; 2 a T.E.C.; 3 no drive\n"
    "             could be checked, or a wrong option (the reason on standard error).\n"
    "             A disk in standby is left asleep and not checked, unless --wake\n"
    "             (or the setting Options WakeSleeping 1) says to spin it up.\n"
    "             --json prints the verdicts as JSON; --textfile DIR (or the\n"
    "             environment's TORVEL_TEXTFILE_DIR) also writes DIR/torvel.prom\n"
    "             as 'metrics --textfile' does, after the check\n";

namespace {

// Nobody listens to a command-line run.
class Silence final : public SoundService {
 public:
  void PlayFileAsync(const std::string&) override {}
};

class NoWindows final : public FrameServices {
 public:
  bool OpenMainWindow(int) override { return false; }
  std::uint32_t GetModuleVersion(const std::string& library) override {
    return versions_.GetModuleVersion(library);
  }
  void ReportToLauncher(const std::string&, TrayState) override {}

 private:
  LinuxModuleVersions versions_;
};

}  // namespace

std::string JournalLines(std::string_view text, int priority) {
  // Appended, not "<" + ...: g++ 12 at -O3 takes that for an overlapping copy.
  std::string prefix = "<";
  prefix += std::to_string(priority);
  prefix += '>';
  std::string out;
  bool lineStart = true;
  for (char c : text) {
    if (lineStart) out += prefix;
    out += c;
    lineStart = c == '\n';
  }
  return out;
}

std::string CheckText(const DriveTables& tables, const MonitorState& state, const std::string& summary,
                      bool journal) {
  // The summary holds one block per drive the check printed, in drive order.
  std::vector<int> priorities;
  for (std::size_t n = 0; n < tables.records.size(); ++n) {
    const DriveRecord& r = tables.records[n];
    if (!r.InUse() || !(state.driveChecked[n] || r.asleep)) continue;
    const unsigned found = state.driveFindings[n];
    priorities.push_back(found & kFoundTec ? kJournalCritical
                         : found & kFoundWarning ? kJournalWarning
                                                 : kJournalInfo);
  }
  std::vector<std::string> blocks;
  for (std::size_t at = 0; !summary.empty();) {
    const std::size_t end = summary.find("\n--\n", at);
    blocks.push_back(Cp1252ToUtf8(summary.substr(at, end == std::string::npos ? end : end - at)) + "\n");
    if (end == std::string::npos) break;
    at = end + 4;
  }
  std::string out;
  const auto emit = [&out, journal](const std::string& text, int priority) {
    out += journal ? JournalLines(text, priority) : text;
  };
  for (std::size_t b = 0; b < blocks.size(); ++b) {
    if (b > 0) emit("--\n", kJournalInfo);
    // Should the two ever disagree, the lines still go out, unranked.
    emit(blocks[b], blocks.size() == priorities.size() ? priorities[b] : kJournalInfo);
  }
  for (const MissingDriveRecord& m : state.missing) {
    const std::string line = MissingDriveText(state, m);
    emit(Cp1252ToUtf8(line.substr(0, line.find('\r'))) + "\n", kJournalWarning);
  }
  for (const DriveRecord& r : tables.records)
    if (r.asleep && !r.InUse()) emit("Disk " + r.device + ": " + Cp1252ToUtf8(state.Message(41)) + "\n", kJournalInfo);
  return out;
}

int CheckExitStatus(const MonitorState& state) {
  if (state.findings & kFoundTec) return kCheckCritical;
  if (state.findings & kFoundWarning) return kCheckWarning;
  // Disks left asleep on purpose are not a failure to check.
  if (state.checkedDrives == 0 && state.asleepDrives == 0) return kCheckUnknown;
  return kCheckClean;
}

int RunCheckCommand(const std::vector<std::string>& args, CtlContext& ctx, TextOut& out,
                    TextOut& err) {
  bool keepBaseline = false;
  bool wake = false;
  bool json = false;
  std::string textfileDir = ctx.textfileDir;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      out << "usage:" << std::string(kCheckUsage).substr(6) << kCheckHelp;
      return kCheckClean;
    }
    if (a == "--keep-baseline") {
      keepBaseline = true;
    } else if (a == "--wake") {
      wake = true;
    } else if (a == "--json") {
      json = true;
    } else if (a == "--textfile" && i + 1 < args.size() && !args[i + 1].empty()) {
      textfileDir = args[++i];
    } else {
      err << "torvelctl: unknown option '" << a << "' for 'check'\n" << kCheckUsage;
      return kCheckUnknown;
    }
  }
  // Found wrong before the check, not after it has alerted.
  if (!textfileDir.empty() && !std::filesystem::is_directory(textfileDir)) {
    err << "torvelctl: " << textfileDir << " is not a folder (for the metrics textfile)\n";
    return kCheckUnknown;
  }

  // Boxes become lines on standard error, answered OK or No.
  const std::unique_ptr<Desktop> desktop = MakeHeadlessDesktop(ctx.trace);
  UiServices& ui = *desktop;
  Silence sound;
  NoWindows frame;
  MailWorkerHooks hooks;
  hooks.showError = [&ui](const std::string& text) {
    ui.MessageBox(text, kBoxCaption, kMbOk | kMbIconError);
  };
  // The worker's result, kept for the main thread: it writes the log entry
  // once the mail is done, so the log is never written from two threads.
  std::mutex failedMutex;
  std::vector<std::pair<std::string, std::string>> failedMails;
  hooks.failed = [&](const std::string& category, const std::string& text) {
    std::lock_guard lock(failedMutex);
    failedMails.emplace_back(category, text);
  };
  CheckWorld world(CheckWorldParts{ctx.settings(), ctx.trace, ctx.backend, ctx.system, ui, sound,
                                   frame,
                                   [&ctx] {
                                     std::tm t = ctx.now();
                                     return static_cast<std::int64_t>(std::mktime(&t));
                                   },
                                   ctx.now, ctx.logPath},
                   std::move(hooks));
  world.SetWakeSleeping(wake);
  world.StartUp("torvelctl check started");
  world.Check(0, 1);
  world.mailDone().Wait();
  {
    std::lock_guard lock(failedMutex);
    for (const auto& [category, text] : failedMails) {
      if (settings::LogEnable(ctx.settings()) != 0)
        world.log().WriteLogEntry(category, text + "\r\n\r\n");
      err << "torvelctl: " << category << ": " << Cp1252ToUtf8(text) << "\n";
    }
  }
  if (const std::string failed = world.TraceWriteFailures(); !failed.empty())
    err << "torvelctl: settings not written: " << Cp1252ToUtf8(failed) << "\n";
  if (!keepBaseline) {
    if (const std::string failed = world.SaveBaseline(); !failed.empty())
      err << "torvelctl: the baseline was not saved: " << Cp1252ToUtf8(failed) << "\n";
  }
  const MonitorState& state = world.state();
  const int status = CheckExitStatus(state);
  if (json) out << CheckJson(world.tables(), state, status);
  else out << CheckText(world.tables(), state, world.summary().FullText(), ctx.outputIsJournal);
  for (const std::string& disk : world.tables().unanswered)
    err << "torvelctl: " << disk << " gave no answer to ATA or NVMe identify commands: not checked\n";
  ReportDisksNotChecked(world.tables(), err);
  if (state.readDrives == 0 && state.asleepDrives > 0)
    err << "torvelctl: every disk is asleep (standby) and was left so; --wake reads them\n";
  else if (state.readDrives == 0)
    err << "torvelctl: " << NoDriveAdvice(CurrentNoDriveFacts(ctx)) << "\n";
  else if (state.checkedDrives == 0)
    err << "torvelctl: no drive was checked: S.M.A.R.T. is off on every drive, or its "
           "notification is switched off in the drive's settings\n";
  if (!textfileDir.empty()) {
    std::string why;
    if (!WriteMetricsTextfile(textfileDir, FormatMetrics(world.tables(), ctx.settings()), why)) {
      err << "torvelctl: " << why << "\n";
      // The check's verdict stands; a lost textfile must not look like a clean one.
      if (status == kCheckClean) return kCheckUnknown;
    }
  }
  return status;
}

}  // namespace torvel
