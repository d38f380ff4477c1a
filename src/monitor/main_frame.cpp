#include "monitor/main_frame.h"

#include <future>

#include "config/keys.h"
#include "config/profile.h"
#include "config/settings_store.h"
#include "drive/refresh.h"
#include "monitor/alert_texts.h"
#include "monitor/alert_transports.h"
#include "monitor/check.h"
#include "base/debug_trace.h"
#include "notify/system_summary.h"
#include "notify/event_log_file.h"
#include "notify/mail.h"
#include "notify/system_event_log.h"
#include "platform/desktop.h"
#include "platform/event_loop.h"
#include "platform/system_info.h"

namespace torvel {

bool IsOption(std::string_view argument, char letter) {
  if (!argument.empty() && (argument.front() == '-' || argument.front() == '/'))
    argument.remove_prefix(1);
  return !argument.empty() && argument.front() == letter;
}

bool IsOpenMode(const std::vector<std::string>& args) {
  return args.size() == 1 && IsOption(args[0], 'o');
}

CMainFrame::CMainFrame(CoreParts& parts, std::vector<std::string> args)
    : p_(parts), args_(std::move(args)) {
  p_.store.WriteProfileInt(keys::kOptions, keys::kExit, 0);
  // Setting the event wakes the loop that start-up may be waiting in.
  mailDone_ = std::make_unique<CompletionEvent>([this] { p_.windows.loop().Post([] {}); });
  MailWorkerHooks hooks;
  hooks.notify = [this](WindowHandle window, const std::string& category, const std::string& text) {
    p_.windows.SendMessage(window, {kMsgLogRequest, 0, 0, {category, text}});
  };
  hooks.showError = [this](const std::string& text) {
    RunOnUiThread([&] { p_.desktop.MessageBox(text, kBoxCaption, kMbOk | kMbIconError); });
  };
  worker_ = std::make_unique<SmtpWorker>(p_.trace, std::move(hooks));
  transports_ = std::make_unique<AlertTransports>(
      TransportParts{p_.store, p_.log, p_.trace, state_.messages, p_.desktop, p_.system, p_.events,
                     *worker_, *mailDone_, p_.localNow});
  ctx_ = std::make_unique<MonitorContext>(MonitorContext{p_.tables, p_.store, p_.trace, p_.log,
                                                         p_.desktop, p_.sound, *transports_, *this,
                                                         p_.now});
}

CMainFrame::~CMainFrame() {
  // The worker may still need this thread to show its box or log its result.
  WaitForMail();
  worker_.reset();
  if (handle_ != kNoWindow) p_.windows.DestroyWindow(handle_);
}

void CMainFrame::RunOnUiThread(const std::function<void()>& task) {
  std::promise<void> done;
  p_.windows.loop().Post([&] {
    task();
    done.set_value();
  });
  done.get_future().wait();
}

void CMainFrame::WaitForMail() {
  if (mailDone_) p_.windows.loop().RunUntil([this] { return mailDone_->IsSet(); });
}

WindowHandle CMainFrame::Launcher() const {
  return p_.windows.FindWindow(kLauncherClass, kLauncherTitle);
}

void CMainFrame::Send(WindowHandle window, std::uint32_t message, std::uint64_t wParam,
                      std::uint64_t lParam) {
  if (window == kNoWindow) return;
  WindowMessage m;
  m.message = message;
  m.wParam = wParam;
  m.lParam = lParam;
  p_.windows.SendMessage(window, m);
}

void CMainFrame::ReloadTexts() { LoadSectionTexts("Messages", state_.messages, p_.store, p_.trace); }

int CMainFrame::OnCreate() {
  handle_ = p_.windows.CreateWindow(kFrameClass, kFrameTitle,
                                    [this](const WindowMessage& m) { return OnMessage(m); });
  if (handle_ == kNoWindow) return -1;
  p_.events.RegisterEventLogSource();
  ReloadTexts();
  p_.trace.ResetDebugTrace();
  ApplyFirstRunDefaults(p_.store);
  TraceSystemSummary(p_.trace, p_.system);
  p_.trace.DebugTrace("Torvel started\n");
  state_.tecAlert = 0;
  state_.changeAlert = 0;
  RefreshDrives(p_.tables, p_.channel, p_.trace);
  launcher_ = Launcher();
  mailDone_->Set();

  const bool openMode = IsOpenMode(args_);
  transports_->SetNotifyWindow(openMode ? handle_ : kNoWindow);
  if (!CheckAllDrives(1, openMode ? 0 : 1)) {
    WaitForMail();
    Send(launcher_, kWmClose);
    return -1;
  }
  if (openMode) {
    if (!state_.tecAlert && !state_.changeAlert && !OpenMainWindow(-1)) Send(launcher_, kWmClose);
    WaitForMail();
    return -1;
  }
  WaitForMail();
  if (p_.versions.GetModuleVersion("shell32.dll") < kModernControlsVersion) {
    Send(launcher_, kMsgMainWindowOk);
    return -1;
  }
  Send(launcher_, kMsgAnnounceWindow, 0, handle_);
  return 0;
}

bool CMainFrame::CheckAllDrives(int interactive, int recordLastCheck) {
  return torvel::CheckAllDrives(*ctx_, state_, summary_, interactive, recordLastCheck);
}

void CMainFrame::Destroy() {
  if (destroyed_) return;
  destroyed_ = true;
  p_.windows.DestroyWindow(handle_);
  handle_ = kNoWindow;
  // Wake the application's loop so it sees the frame is gone.
  p_.windows.loop().Post([] {});
}

std::int64_t CMainFrame::OnMessage(const WindowMessage& m) {
  switch (m.message) {
    case kWmCommand:
    case kMsgOpenSmartAndEnd:
      // These open modal windows and may send back to the sender; answered
      // at once and run from the loop, so the sender is never left waiting
      // on a window the user has open.
      p_.windows.loop().Post([this, m] {
        if (!destroyed_) RunModalRequest(m);
      });
      return 0;
    case kWmClose:
      SaveBaseline(*ctx_, state_);
      Destroy();
      return 0;
    case kMsgReloadTexts:
      ReloadTexts();
      return 0;
    case kMsgLogRequest:
      if (m.strings.size() >= 2 && p_.store.GetProfileInt(keys::kOptions, keys::kLogEnable, 1) != 0)
        p_.log.WriteLogEntry(m.strings[0], m.strings[1] + "\r\n\r\n");
      return 0;
    default:
      return 0;
  }
}

void CMainFrame::RunModalRequest(const WindowMessage& m) {
  if (m.message == kMsgOpenSmartAndEnd) {
    if (!OpenMainWindow(1)) Send(Launcher(), kWmClose);
    Send(handle_, kWmClose);
  } else if (m.wParam == kCmdOpenMainWindow) {
    OpenMainWindow(-1);
  } else if (m.wParam == kCmdExit) {
    if (p_.desktop.MessageBox(state_.Message(14), kBoxCaption, kMbYesNo | kMbIconWarning) == kIdYes)
      Destroy();
  }
}

bool CMainFrame::OpenMainWindow(int startTab) {
  MainWindowEnv env{p_.tables, p_.store, p_.trace, p_.desktop, p_.sound, state_};
  env.windows = &p_.windows;
  env.owner = this;
  env.refreshDrives = [this] { RefreshDrives(p_.tables, p_.channel, p_.trace); };
  env.sendNetMessage = [this](const std::string& name, const std::string& text) {
    transports_->SendNetMessage(name, text);
  };
  env.controlsVersion = p_.versions.GetModuleVersion("comctl32.dll");
  const OsVersionInfo os = p_.system.GetVersionEx();
  env.osMajor = static_cast<int>(os.major);
  env.osMinor = static_cast<int>(os.minor);
  env.now = p_.now;
  mainWindowOpen_ = true;
  const int result = p_.desktop.RunMainWindow(startTab, env);
  mainWindowOpen_ = false;
  if (result != kIdOk) return false;
  Send(Launcher(), kMsgMainWindowOk);
  return true;
}

void CMainFrame::SaveAttributeBaseline() { SaveBaseline(*ctx_, state_); }

void CMainFrame::LanguageChanged() { ReloadTexts(); }

std::uint32_t CMainFrame::GetModuleVersion(const std::string& library) {
  return p_.versions.GetModuleVersion(library);
}

void CMainFrame::ReportToLauncher(const std::string& data) {
  const WindowHandle launcher = Launcher();
  if (launcher == kNoWindow) return;
  p_.windows.SendMessage(launcher, {kWmCopyData, handle_, 0, {data}});
}

}  // namespace torvel
