#include "monitor/main_frame.h"

#include <future>

#include "config/settings.h"
#include "monitor/alert_texts.h"
#include "monitor/alert_transports.h"
#include "monitor/check_world.h"
#include "base/debug_trace.h"
#include "notify/system_summary.h"
#include "notify/event_log_file.h"
#include "notify/mail.h"
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
  settings::SetExit(p_.store, 0);
  MailWorkerHooks hooks;
  hooks.notify = [this](WindowHandle window, const std::string& category, const std::string& text) {
    p_.windows.SendMessage(window, {kMsgLogRequest, 0, 0, {category, text}});
  };
  hooks.showError = [this](const std::string& text) {
    RunOnUiThread([&] { p_.desktop.MessageBox(text, kBoxCaption, kMbOk | kMbIconError); });
  };
  // Outside open mode nobody is notified; a failure is still logged.
  hooks.failed = [this](const std::string& category, const std::string& text) {
    RunOnUiThread([&] {
      if (settings::LogEnable(p_.store) != 0) world_->log().WriteLogEntry(category, text + "\r\n\r\n");
    });
  };
  world_ = std::make_unique<CheckWorld>(
      CheckWorldParts{p_.store, p_.trace, p_.backend, p_.system, p_.desktop, p_.sound, *this, p_.now,
                      p_.localNow},
      std::move(hooks),
      // Setting the event wakes the loop that start-up may be waiting in.
      [this] { p_.windows.loop().Post([] {}); });
}

CMainFrame::~CMainFrame() {
  // The worker may still need this thread to show its box or log its result.
  WaitForMail();
  world_.reset();
  if (handle_ != kNoWindow) p_.windows.DestroyWindow(handle_);
}

MonitorState& CMainFrame::state() { return world_->state(); }

const StatusSummary& CMainFrame::summary() const { return world_->summary(); }

void CMainFrame::RunOnUiThread(const std::function<void()>& task) {
  std::promise<void> done;
  p_.windows.loop().Post([&] {
    task();
    done.set_value();
  });
  done.get_future().wait();
}

void CMainFrame::WaitForMail() {
  if (world_) p_.windows.loop().RunUntil([this] { return world_->mailDone().IsSet(); });
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

void CMainFrame::ReloadTexts() { world_->ReloadTexts(); }

int CMainFrame::OnCreate() {
  handle_ = p_.windows.CreateWindow(kFrameClass, kFrameTitle,
                                    [this](const WindowMessage& m) { return OnMessage(m); });
  if (handle_ == kNoWindow) return -1;
  world_->StartUp("Torvel started");
  launcher_ = Launcher();

  const bool openMode = IsOpenMode(args_);
  world_->transports().SetNotifyWindow(openMode ? handle_ : kNoWindow);
  if (!CheckAllDrives(1, openMode ? 0 : 1)) {
    WaitForMail();
    Send(launcher_, kWmClose);
    return -1;
  }
  if (openMode) {
    if (!state().tecAlert && !state().changeAlert && !OpenMainWindow(-1)) Send(launcher_, kWmClose);
    WaitForMail();
    return -1;
  }
  WaitForMail();
  // A termination signal served during the start-up has ended the frame.
  if (destroyed_) return -1;
  if (p_.versions.GetModuleVersion("shell32.dll") < kModernControlsVersion) {
    Send(launcher_, kMsgMainWindowOk);
    return -1;
  }
  Send(launcher_, kMsgAnnounceWindow, 0, handle_);
  return 0;
}

void CMainFrame::OnTerminationSignal(int signal) {
  p_.trace.DebugTrace("Signal %d received: saving the baseline and ending\n", signal);
  if (!destroyed_) OnMessage({kWmClose, 0, 0, {}});
  if (mainWindowEnv_ != nullptr && mainWindowEnv_->close) mainWindowEnv_->close();
}

bool CMainFrame::CheckAllDrives(int interactive, int recordLastCheck) {
  return world_->Check(interactive, recordLastCheck);
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
      world_->SaveBaseline();
      Destroy();
      return 0;
    case kMsgReloadTexts:
      ReloadTexts();
      return 0;
    case kMsgLogRequest:
      if (m.strings.size() >= 2 && settings::LogEnable(p_.store) != 0)
        world_->log().WriteLogEntry(m.strings[0], m.strings[1] + "\r\n\r\n");
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
    if (p_.desktop.MessageBox(state().Message(14), kBoxCaption, kMbYesNo | kMbIconWarning) == kIdYes)
      Destroy();
  }
}

bool CMainFrame::OpenMainWindow(int startTab) {
  MainWindowEnv env{world_->tables(), p_.store, p_.trace, p_.desktop, p_.sound, state()};
  env.windows = &p_.windows;
  env.owner = this;
  env.refreshDrives = [this] { world_->RefreshDrives(); };
  env.sendNetMessage = [this](const std::string& name, const std::string& text) {
    world_->transports().SendNetMessage(name, text);
  };
  env.controlsVersion = p_.versions.GetModuleVersion("comctl32.dll");
  const OsVersionInfo os = p_.system.GetVersionEx();
  env.osMajor = static_cast<int>(os.major);
  env.osMinor = static_cast<int>(os.minor);
  env.now = p_.now;
  mainWindowOpen_ = true;
  mainWindowEnv_ = &env;
  const int result = p_.desktop.RunMainWindow(startTab, env);
  mainWindowEnv_ = nullptr;
  mainWindowOpen_ = false;
  if (result != kIdOk) return false;
  Send(Launcher(), kMsgMainWindowOk);
  return true;
}

void CMainFrame::SaveAttributeBaseline() { world_->SaveBaseline(); }

void CMainFrame::LanguageChanged() { ReloadTexts(); }

std::uint32_t CMainFrame::GetModuleVersion(const std::string& library) {
  return p_.versions.GetModuleVersion(library);
}

void CMainFrame::ReportToLauncher(const std::string& data, TrayState tray) {
  const WindowHandle launcher = Launcher();
  if (launcher == kNoWindow) return;
  p_.windows.SendMessage(launcher, {kWmCopyData, handle_, TrayStateWord(tray), {data}});
}

}  // namespace torvel
