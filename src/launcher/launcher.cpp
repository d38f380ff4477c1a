#include "launcher/launcher.h"

#include <sys/prctl.h>

#include <algorithm>
#include <csignal>
#include <cstdio>

#include "config/language.h"
#include "config/settings.h"
#include "launcher/desktop_notifier.h"
#include "launcher/tray_view.h"
#include "base/debug_trace.h"
#include "base/time_format.h"
#include "platform/event_loop.h"
#include "platform/window_wire.h"

namespace torvel {
namespace {

// Re-armed at least this often, so a suspended machine checks soon after it
// wakes and a PollEvery changed without notice still takes effect.
constexpr std::int64_t kRearmMs = 60000;
constexpr int kShutdownWaitMs = 5000;
constexpr std::chrono::milliseconds kSendTimeout{5000};
constexpr std::uint32_t kWmNull = 0;
constexpr int kExitProbeMs = 500;
// Messages key 22: the compact status of a drive with a T.E.C.
constexpr int kCriticalTextKey = 22;

}  // namespace

Launcher::Launcher(WindowSystem& windows, SettingsStore& store, TrayView& view,
                   LauncherOptions options)
    : windows_(windows), store_(store), view_(view), options_(std::move(options)) {
  timer_.setSingleShot(true);
  timer_.setTimerType(Qt::CoarseTimer);
  QObject::connect(&timer_, &QTimer::timeout, [this] { OnTimer(); });
  QObject::connect(&process_, &QProcess::finished, [this] { OnCoreEnded(); });
  exitProbe_.setInterval(kExitProbeMs);
  QObject::connect(&exitProbe_, &QTimer::timeout, [this] {
    if (!exitAsked_) {
      exitProbe_.stop();
    } else if (frame_ == kNoWindow || !windows_.SendMessage(frame_, {kWmNull, 0, 0, {}}, kSendTimeout)) {
      exitProbe_.stop();
      OnCoreEnded();
    }
  });
  QObject::connect(&process_, &QProcess::errorOccurred, [this](QProcess::ProcessError error) {
    if (error != QProcess::FailedToStart) return;
    std::fprintf(stderr, "Torvel: cannot start %s: %s\n", options_.corePath.c_str(),
                 process_.errorString().toLocal8Bit().constData());
    OnCoreEnded();
  });
  process_.setProgram(QString::fromStdString(options_.corePath.string()));
  // Boxes of a core without a display are lines on its standard error;
  // standard output stays free for the state lines.
  process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  process_.setStandardInputFile(QProcess::nullDevice());
  process_.setStandardOutputFile(QProcess::nullDevice());
  // A core outliving a crashed launcher would stay resident and unreachable.
  process_.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
  if (options_.notifier != nullptr)
    options_.notifier->SetOpenAction([this] {
      OpenMainWindow();
      Publish();
    });
}

Launcher::~Launcher() {
  // A core still running is killed by its QProcess, whose finished signal
  // would then reach a launcher half taken down.
  QObject::disconnect(&process_, nullptr, nullptr, nullptr);
  if (options_.notifier != nullptr) options_.notifier->SetOpenAction({});
  if (window_ != kNoWindow) windows_.DestroyWindow(window_);
}

bool Launcher::Start() {
  window_ = windows_.CreateWindow(kLauncherClass, kLauncherTitle,
                                  [this](const WindowMessage& m) { return OnMessage(m); });
  if (window_ == kNoWindow) return false;
  openOnAnnounce_ = settings::OpenAtStartup(store_) != 0;
  RunCheck();
  return true;
}

std::int64_t Launcher::NowMs() const {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::int64_t Launcher::IntervalMs() {
  return IntervalSeconds(ReadSchedule(store_)) * options_.minuteMs / 60;
}

void Launcher::Arm(bool scheduleChanged) {
  const std::int64_t now = NowMs();
  dueMs_ = NextRun(anchorMs_, now, IntervalMs(), scheduleChanged);
  if (scheduleChanged) anchorMs_ = now;
  timer_.start(static_cast<int>(std::clamp<std::int64_t>(dueMs_ - now, 0, kRearmMs)));
  Publish();
}

void Launcher::OnTimer() {
  if (NowMs() < dueMs_) {
    Arm(false);
  } else if (!ReadSchedule(store_).autoCheck) {
    // Polling is off: nothing runs, but the clock keeps going so that
    // switching it on waits one interval rather than checking at once.
    anchorMs_ = NowMs();
    Arm(false);
  } else {
    RunCheck();
  }
}

void Launcher::RunCheck() {
  anchorMs_ = NowMs();
  Arm(false);
  pendingStart_ = true;
  if (!CoreRunning()) {
    // Announced by a core this launcher did not start: close it all the
    // same, so only one core runs.
    if (frame_ != kNoWindow) windows_.SendMessage(frame_, {kWmClose, 0, 0, {}}, kSendTimeout);
    frame_ = kNoWindow;
    pendingStart_ = false;
    StartCore(false);
  } else if (frame_ != kNoWindow) {
    // A check of our own replaces the core; an exit question it was asked
    // (and evidently answered No) goes with it.
    exitAsked_ = false;
    CloseCore();
  }
  // Otherwise the core is still in its start-up check or shows its main
  // window in open mode: the new one starts when it ends.
  Publish();
}

void Launcher::CloseCore() {
  if (closing_) return;
  closing_ = true;
  // The core saves its baseline before it answers. It may still take a
  // while to end (a mail in flight, its main window open): however long,
  // the next core waits, so two never check at once.
  windows_.SendMessage(frame_, {kWmClose, 0, 0, {}}, kSendTimeout);
  frame_ = kNoWindow;
}

void Launcher::StartCore(bool openMode) {
  process_.setArguments(openMode ? QStringList{QStringLiteral("-o")} : QStringList{});
  process_.setWorkingDirectory(QString());  // ours
  ++coresStarted_;
  if (openMode) ++opens_;
  process_.start();
  Publish();
}

void Launcher::OnCoreEnded() {
  frame_ = kNoWindow;
  closing_ = false;
  if (exitAsked_) {
    Publish();
    options_.quit(0);
    return;
  }
  Publish();
  if (pendingStart_) {
    pendingStart_ = false;
    StartCore(false);
  }
}

void Launcher::PostToFrame(std::uint32_t message, std::uint64_t wParam) {
  // Never from inside a handler: the core may be waiting for our answer.
  windows_.loop().Post([this, message, wParam] {
    if (frame_ == kNoWindow) return;
    const bool answered = windows_.SendMessage(frame_, {message, wParam, 0, {}}, kSendTimeout).has_value();
    if (answered && message == kWmCommand && wParam == kCmdOpenMainWindow) {
      ++opens_;
      Publish();
    }
  });
}

void Launcher::OpenMainWindow() {
  StopFlashing();
  if (frame_ != kNoWindow)
    PostToFrame(kWmCommand, kCmdOpenMainWindow);
  else if (CoreRunning())
    openOnAnnounce_ = true;
  else
    StartCore(true);
}

void Launcher::CheckNow() { RunCheck(); }

void Launcher::Exit() {
  if (!CoreRunning() && frame_ == kNoWindow) {
    options_.quit(0);
    return;
  }
  exitAsked_ = true;
  pendingStart_ = false;
  if (frame_ != kNoWindow) {
    PostToFrame(kWmCommand, kCmdExit);
    // A core of another parent: its end shows as its window going away.
    if (!CoreRunning()) exitProbe_.start();
  }
  // Otherwise the question goes to the frame as soon as it is announced.
}

void Launcher::Shutdown() {
  exitAsked_ = false;
  pendingStart_ = false;
  timer_.stop();
  if (frame_ != kNoWindow) windows_.SendMessage(frame_, {kWmClose, 0, 0, {}}, kSendTimeout);
  frame_ = kNoWindow;
  if (CoreRunning() && !process_.waitForFinished(kShutdownWaitMs)) process_.terminate();
  options_.quit(0);
}

std::int64_t Launcher::OnMessage(const WindowMessage& m) {
  switch (m.message) {
    case kMsgAnnounceWindow:
      if (m.lParam != kNoWindow) {
        frame_ = m.lParam;
        // Without a tray nothing would show that Torvel runs: the main
        // window opens, as with OpenAtStartup.
        if (!announced_ && options_.display && options_.trayAvailable && !options_.trayAvailable())
          openOnAnnounce_ = true;
        announced_ = true;
        if (exitAsked_) {
          PostToFrame(kWmCommand, kCmdExit);
        } else if (openOnAnnounce_) {
          openOnAnnounce_ = false;
          PostToFrame(kWmCommand, kCmdOpenMainWindow);
        }
      } else {
        StopFlashing();  // the main window is up: the user is looking
      }
      break;
    case kMsgMainWindowOk:
      // Hidden with OK: monitoring goes on as scheduled.
      StopFlashing();
      break;
    case kMsgScheduleChanged:
      Arm(true);
      break;
    case kMsgOpenMainWindowRequest:
      // A second start: it waits for this answer, so the work is posted.
      windows_.loop().Post([this] {
        OpenMainWindow();
        Publish();
      });
      break;
    case kWmCopyData:
      OnStatus(m.strings.empty() ? std::string() : m.strings[0], TrayStateOfWord(m.lParam));
      break;
    case kWmClose:
      // That core ends without staying resident.
      frame_ = kNoWindow;
      break;
    default:
      break;
  }
  Publish();
  return 0;
}

void Launcher::OnStatus(const std::string& copyData, std::optional<TrayState> found) {
  // No bytes: the user asked to see the main window during the check.
  if (copyData.empty()) {
    StopFlashing();
    return;
  }
  const TrayState before = tray_;
  const std::string beforeSummary = summary_;
  summary_ = SummaryText(copyData);
  TextTable messages("Messages");
  TraceLog quiet = TraceLog::Off();
  LoadSectionTexts("Messages", messages, store_, quiet);
  // The findings themselves when the core sent them; the text, which a cut
  // may have shortened, only from a core that did not.
  tray_ = found ? *found : TrayStateOf(summary_, messages.Text(kCriticalTextKey));
  flashing_ = ShouldFlash(tray_, settings::FlashIcon(store_) != 0);
  if (options_.notifier == nullptr) return;
  const bool enabled = settings::DesktopNotifications(store_) != 0;
  if (const auto notice = DesktopNoticeFor(before, beforeSummary, tray_, summary_, enabled))
    options_.notifier->Notify(*notice);
}

void Launcher::StopFlashing() { flashing_ = false; }

std::string Launcher::NextCheckLine() {
  if (!timer_.isActive() || !ReadSchedule(store_).autoCheck) return {};
  // The clock runs faster under the test hook; the line shows real time.
  const std::tm t = LocalTime(dueMs_ / 1000);
  char clock[16];
  std::snprintf(clock, sizeof clock, "%02d:%02d:%02d", t.tm_hour, t.tm_min, t.tm_sec);
  return "Next check: " + FormatTecDate(t) + "  " + clock;
}

void Launcher::Publish() {
  const bool showStatus = settings::ShowTrayStatus(store_) != 0;
  view_.Show(tray_, TooltipText(summary_, showStatus), flashing_, NextCheckLine());
  if (!options_.printState) return;
  const std::int64_t pid = CoreRunning() ? process_.processId() : 0;
  const std::string line =
      "state pid=" + std::to_string(pid) + " cores=" + std::to_string(coresStarted_) +
      " frame=" + std::to_string(frame_) + " icon=" + TrayStateName(view_.State()) +
      " flash=" + (flashing_ ? "1" : "0") + " opens=" + std::to_string(opens_) +
      " interval=" + std::to_string(IntervalSeconds(ReadSchedule(store_))) +
      " tooltip=" + wire::Hex(view_.Tooltip());
  if (line == lastState_) return;
  lastState_ = line;
  options_.printState(line);
}

}  // namespace torvel
