#include "torvelctl/check_command.h"

#include <memory>
#include <ostream>

#include "base/codepage.h"
#include "monitor/alert_texts.h"
#include "monitor/check_world.h"
#include "notify/mail.h"
#include "platform/desktop.h"
#include "platform/sound.h"
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

  // Boxes become lines on standard error, answered OK or No.
  const std::unique_ptr<Desktop> desktop = MakeHeadlessDesktop(ctx.trace);
  UiServices& ui = *desktop;
  Silence sound;
  NoWindows frame;
  MailWorkerHooks hooks;
  hooks.showError = [&ui](const std::string& text) {
    ui.MessageBox(text, kBoxCaption, kMbOk | kMbIconError);
  };
  CheckWorld world(CheckWorldParts{ctx.settings(), ctx.trace, ctx.backend, ctx.system, ui, sound,
                                   frame,
                                   [&ctx] {
                                     std::tm t = ctx.now();
                                     return static_cast<std::int64_t>(std::mktime(&t));
                                   },
                                   ctx.now},
                   std::move(hooks));
  world.StartUp("torvelctl check started");
  world.Check(0, 1);
  world.mailDone().Wait();
  if (!keepBaseline) world.SaveBaseline();
  const MonitorState& state = world.state();

  const std::string& bytes = frame.summary;
  out << Cp1252ToUtf8(bytes.substr(0, bytes.find('\0'))) << "\n";
  if (state.findings & kFoundTec) return kCheckCritical;
  if (state.findings & (kFoundChange | kFoundTemperature)) return kCheckWarning;
  return kCheckClean;
}

}  // namespace torvel
