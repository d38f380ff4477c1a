#include "torvelctl/check_command.h"

#include <memory>
#include <ostream>

#include "config/profile.h"
#include "config/settings_store.h"
#include "drive/channel.h"
#include "drive/refresh.h"
#include "monitor/alert_texts.h"
#include "monitor/alert_transports.h"
#include "monitor/check.h"
#include "base/debug_trace.h"
#include "notify/system_summary.h"
#include "notify/event_log_file.h"
#include "notify/mail.h"
#include "notify/system_event_log.h"
#include "base/time_format.h"
#include "base/codepage.h"
#include "platform/desktop.h"
#include "platform/sound.h"
#include "platform/syslog_socket.h"
#include "torvelctl/commands.h"

namespace torvel {

const char* const kCheckUsage = "       torvelctl check [--keep-baseline]\n";
const char* const kCheckHelp =
    "  check      one check of every drive, as the resident core makes it at start:\n"
    "             logs, mail, network messages and syslog as configured, boxes on\n"
    "             standard error, then the current values become the baseline\n"
    "             (not with --keep-baseline); prints the status summary and exits\n"
    "             0 (no finding), 1 (a change or over-temperature) or 2 (T.E.C.)\n";

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
  void ReportToLauncher(const std::string& data) override { summary = data; }
  std::string summary;

 private:
  LinuxModuleVersions versions_;
};

}  // namespace

int RunCheckCommand(const std::vector<std::string>& args, CtlContext& ctx, std::ostream& out,
                    std::ostream& err) {
  bool keepBaseline = false;
  for (const std::string& a : args) {
    if (a != "--keep-baseline") {
      err << "torvelctl: unknown option '" << a << "' for 'check'\n";
      return kExitUsage;
    }
    keepBaseline = true;
  }

  SettingsStore& store = ctx.settings();
  TraceLog& trace = ctx.trace;
  auto tables = std::make_unique<DriveTables>();
  DeviceChannel channel(ctx.backend, ctx.system, trace);
  EventLogFile log(trace);
  SystemEventLog events([&channel] { return channel.perDrive(); }, SyslogSocketPath());
  // Boxes become lines on standard error, answered OK or No.
  const std::unique_ptr<Desktop> desktop = MakeHeadlessDesktop(trace);
  UiServices& ui = *desktop;
  Silence sound;
  NoWindows frame;
  MonitorState state;
  StatusSummary summary;

  LoadSectionTexts("Messages", state.messages, store, trace);
  trace.ResetDebugTrace();
  ApplyFirstRunDefaults(store);
  TraceSystemSummary(trace, ctx.system);
  trace.DebugTrace("torvelctl check started\n");
  RefreshDrives(*tables, channel, trace);

  CompletionEvent mailDone;
  mailDone.Set();
  MailWorkerHooks hooks;
  hooks.showError = [&ui](const std::string& text) {
    ui.MessageBox(text, kBoxCaption, kMbOk | kMbIconError);
  };
  SmtpWorker worker(trace, std::move(hooks));
  AlertTransports transports(TransportParts{store, log, trace, state.messages, ui, ctx.system,
                                            events, worker, mailDone, ctx.now});
  MonitorContext mc{*tables, store, trace, log, ui, sound, transports, frame, [&ctx] {
                      std::tm t = ctx.now();
                      return static_cast<std::int64_t>(std::mktime(&t));
                    }};
  CheckAllDrives(mc, state, summary, 0, 1);
  mailDone.Wait();
  if (!keepBaseline) SaveBaseline(mc, state);

  const std::string& bytes = frame.summary;
  out << Cp1252ToUtf8(bytes.substr(0, bytes.find('\0'))) << "\n";
  if (state.findings & kFoundTec) return kCheckCritical;
  if (state.findings & (kFoundChange | kFoundTemperature)) return kCheckWarning;
  return kCheckClean;
}

}  // namespace torvel
