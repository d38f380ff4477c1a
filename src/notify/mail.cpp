#include "notify/mail.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <system_error>
#include <thread>

#include "config/language.h"
#include "config/settings.h"
#include "base/codepage.h"
#include "base/debug_trace.h"
#include "notify/event_log_file.h"
#include "base/sprintf.h"
#include "base/time_format.h"
#include "platform/syslog_socket.h"
#include "smtp/smtp_module.h"

namespace torvel {
namespace {

constexpr const char* kAlertSubject = "Torvel Alert!";
constexpr const char* kResultCategory = "SMTP Client";
constexpr const char* kModuleFileName = "libtorvel-smtp.so";
// The program's own text, named after the Windows module.
constexpr const char* kLoadErrorText = "Unable to load smtp.dll";
constexpr int kNoResult = -1;

}  // namespace

void CompletionEvent::Set() {
  {
    std::lock_guard lock(mutex_);
    set_ = true;
  }
  changed_.notify_all();
  if (onSet_) onSet_();
}

void CompletionEvent::Reset() {
  std::lock_guard lock(mutex_);
  set_ = false;
}

bool CompletionEvent::IsSet() const {
  std::lock_guard lock(mutex_);
  return set_;
}

void CompletionEvent::Wait() const {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return set_; });
}

std::string MailResultText(int result, const std::string& server, const std::string& detail) {
  if (!detail.empty() && result != TORVEL_SMTP_OK)
    return MailResultText(result, server) + " (" + detail + ")";
  switch (result) {
    case TORVEL_SMTP_OK:
      return "Mail has been sent successfully!";
    case TORVEL_SMTP_CONNECT_FAILED:
      return Sprintf("Failed to connect to SMTP Server ('%s')", server.c_str());
    case TORVEL_SMTP_SEND_FAILED:
      return Sprintf("Failed to send message via SMTP Server ('%s')", server.c_str());
    case TORVEL_SMTP_DISCONNECT_FAILED:
      return Sprintf("Failed to disconnect from SMTP Server ('%s')", server.c_str());
    default:
      return "Error!";
  }
}

std::filesystem::path SmtpModulePath() {
  if (const char* env = std::getenv("TORVEL_SMTP_MODULE"); env && *env) return env;
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  return (ec ? std::filesystem::path() : self.parent_path()) / kModuleFileName;
}

struct SmtpWorker::Impl {
  struct Job {
    MailRequest request;
    CompletionEvent* done;
  };

  TraceLog& trace;
  MailWorkerHooks hooks;
  std::filesystem::path modulePath;

  std::mutex mutex;
  // The front is the mail being sent; it leaves the queue once reported.
  std::deque<Job> queue;
  bool serving = false;
  std::thread thread;

  void Serve();
  void Send(const MailRequest& request);
};

// One thread per run of queued mails: it ends when the queue is empty.
// Events are set under the queue lock, so a Start that resets the same
// event cannot slip in between the check and the set.
void SmtpWorker::Impl::Serve() {
  std::unique_lock lock(mutex);
  while (!queue.empty()) {
    const MailRequest& request = queue.front().request;  // deque keeps it in place
    lock.unlock();
    Send(request);
    lock.lock();
    CompletionEvent* done = queue.front().done;
    queue.pop_front();
    if (std::none_of(queue.begin(), queue.end(), [done](const Job& j) { return j.done == done; }))
      done->Set();
  }
  serving = false;
}

void SmtpWorker::Impl::Send(const MailRequest& r) {
  int result = kNoResult;
  std::string detail = MailAccountProblem(r);
  if (!detail.empty()) {
    result = TORVEL_SMTP_SEND_FAILED;
  } else if (void* module = dlopen(modulePath.c_str(), RTLD_NOW | RTLD_LOCAL); !module) {
    const char* why = dlerror();
    trace.DebugTrace("Cannot load the SMTP module %s: %s\n", modulePath.c_str(), why ? why : "");
    if (hooks.showError) hooks.showError(kLoadErrorText);
  } else {
    const auto withOptions =
        reinterpret_cast<SendMailWithOptionsFunction>(dlsym(module, "SendMailWithOptions"));
    const auto sendMail = reinterpret_cast<SendMailFunction>(dlsym(module, "SendMail"));
    if (withOptions) {
      // The stored texts are Windows-1252; the wire and the server want UTF-8.
      const auto u = [](const std::string& text) { return Cp1252ToUtf8(text); };
      char reason[512] = {};
      const std::string ca = u(r.caFile);
      const TorvelMailOptions options{sizeof(TorvelMailOptions), r.tls, ca.c_str(), reason,
                                      sizeof reason};
      result = withOptions(u(r.server).c_str(), r.authType, u(r.userName).c_str(),
                           u(r.password).c_str(), u(SenderOrDefault(r.sender, ShortHostName())).c_str(),
                           u(r.recipients).c_str(), u(r.subject).c_str(), u(r.body).c_str(), &options);
      detail = reason;
    } else if (sendMail) {
      result = sendMail(r.server.c_str(), r.authType, r.userName.c_str(), r.password.c_str(),
                        r.sender.c_str(), r.recipients.c_str(), r.subject.c_str(), r.body.c_str(),
                        0, 0, 0, 0, 0, 1);
    } else {
      trace.DebugTrace("The SMTP module %s has no SendMail\n", modulePath.c_str());
    }
    dlclose(module);
  }
  const std::string text = MailResultText(result, r.server, detail);
  trace.DebugTrace("SMTP Client: %s\n", text.c_str());
  if (r.notifyWindow != kNoWindow && hooks.notify)
    hooks.notify(r.notifyWindow, kResultCategory, text);
  else if (result != TORVEL_SMTP_OK && hooks.failed)
    hooks.failed(kResultCategory, text);
}

std::string MailAccountProblem(const MailRequest& r) {
  const auto control = [](const std::string& text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
      const auto b = static_cast<unsigned char>(c);
      return b < 0x20 || b == 0x7F;
    });
  };
  if (control(r.server)) return "the SMTP server holds a line break or control character";
  if (control(r.sender)) return "the Sender holds a line break or control character";
  if (control(r.recipients)) return "the Recipients hold a line break or control character";
  return {};
}

std::string SenderOrDefault(const std::string& sender, const std::string& hostName) {
  const auto blank = std::all_of(sender.begin(), sender.end(), [](char c) { return c == ' ' || c == '\t'; });
  if (!blank) return sender;
  return "Torvel <torvel@" + (hostName.empty() ? std::string("localhost") : hostName) + ">";
}

SmtpWorker::SmtpWorker(TraceLog& trace, MailWorkerHooks hooks, std::filesystem::path modulePath)
    : impl_(new Impl{trace, std::move(hooks), std::move(modulePath), {}, {}, false, {}}) {}

SmtpWorker::~SmtpWorker() {
  std::thread last;
  {
    std::lock_guard lock(impl_->mutex);
    last = std::move(impl_->thread);
  }
  if (last.joinable()) last.join();
}

bool SmtpWorker::Start(const MailRequest& request, CompletionEvent& done, int /*spare*/) {
  std::lock_guard lock(impl_->mutex);
  done.Reset();
  impl_->queue.push_back({request, &done});
  if (impl_->serving) return true;
  // The previous run's thread has left its loop; collect it.
  if (impl_->thread.joinable()) impl_->thread.join();
  try {
    impl_->thread = std::thread(&Impl::Serve, impl_.get());
  } catch (const std::system_error&) {
    impl_->queue.pop_back();
    done.Set();
    return false;
  }
  impl_->serving = true;
  return true;
}

MailRequest StoredMailAccount(SettingsStore& store) {
  MailRequest mail;
  mail.server = settings::SmtpServer(store);
  mail.recipients = settings::Recipients(store);
  mail.sender = settings::Sender(store);
  mail.userName = settings::SmtpUsername(store);
  mail.password = settings::SmtpPassword(store);
  mail.authType = settings::SmtpAuth(store) != 0 ? 2 : 0;
  mail.tls = settings::SmtpTls(store);
  mail.caFile = settings::SmtpCaFile(store);
  return mail;
}

int SendAlertMail(AlertMailContext& ctx, SmtpWorker& worker, CompletionEvent& done,
                  WindowHandle notifyWindow, const std::string& text) {
  MailRequest mail = StoredMailAccount(ctx.store);
  mail.subject = kAlertSubject;
  mail.body = Sprintf("Message from Torvel\nDate: %s\nComputer: %s\n\n", FormatMailDate(ctx.now).c_str(),
                      ctx.computerName.c_str()) +
              text;
  mail.notifyWindow = notifyWindow;

  // The attempt is logged whatever LogEnable says, and before it is made.
  ctx.log.WriteLogEntry(kLogCategoryInfo, Sprintf("%s %s\r\n\r\n", ctx.messages.Text(13).c_str(),
                                                  mail.recipients.c_str()));
  if (!worker.Start(mail, done)) ctx.trace.DebugTrace("Failed to create new SMTP Thread!\n");
  return 1;
}

}  // namespace torvel
