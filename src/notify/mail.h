// Alert e-mails: composed on the user-interface thread, sent by a worker
// thread through the SMTP module (libtorvel-smtp.so, loaded per mail), the
// outcome reported to a notify window with message 1135.
#pragma once

#include <condition_variable>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "platform/window_messages.h"

namespace torvel {

class EventLogFile;
class SettingsStore;
class TraceLog;
struct TextTable;

struct MailRequest {
  std::string server;
  int authType = 0;  // 2 when the server requires authentication, else 0
  std::string userName;
  std::string password;  // plain
  std::string sender;
  std::string recipients;
  std::string subject;
  std::string body;
  int tls = 0;          // smtpTLS: 0 STARTTLS when offered, 1 required, 2 SMTPS, 3 none
  std::string caFile;   // smtpCAFile; empty for the system's store
  WindowHandle notifyWindow = kNoWindow;
};

// Why the account cannot be used as it stands (a line break or another
// control character in the server, Sender or Recipients would become an
// SMTP command); empty when it can.
std::string MailAccountProblem(const MailRequest& request);

// The Sender, or "Torvel <torvel@host>" when it is empty: a mail from <>
// is a bounce, which servers treat as such.
std::string SenderOrDefault(const std::string& sender, const std::string& hostName);

// The stored mail account: server, recipients, sender, authentication, user
// name and the password as typed (decoded). Subject, body and window are
// left to the caller.
MailRequest StoredMailAccount(SettingsStore& store);

// A manual-reset event. Setting it also calls `onSet` (which wakes the
// user-interface loop that may be waiting for it).
class CompletionEvent {
 public:
  explicit CompletionEvent(std::function<void()> onSet = {}) : onSet_(std::move(onSet)) {}
  void Set();
  void Reset();
  bool IsSet() const;
  void Wait() const;

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  bool set_ = false;
  std::function<void()> onSet_;
};

// "Mail has been sent successfully!", the three failure texts with the
// server, or "Error!"; the module's reason, when it gave one, follows in
// parentheses.
std::string MailResultText(int result, const std::string& server, const std::string& detail = {});

// $TORVEL_SMTP_MODULE when set, else libtorvel-smtp.so beside the program.
std::filesystem::path SmtpModulePath();

struct MailWorkerHooks {
  // Delivers 1135 ("SMTP Client", result text) to the notify window;
  // called on the worker thread.
  std::function<void(WindowHandle window, const std::string& category, const std::string& text)>
      notify;
  // Shows the "Unable to load smtp.dll" error box; called on the worker thread.
  std::function<void(const std::string& text)> showError;
  // A failed mail without a notify window: the owner logs "SMTP Client" with
  // the result text (and torvelctl prints it); called on the worker thread.
  std::function<void(const std::string& category, const std::string& text)> failed;
};

// One owner's worker (the monitor frame has one, the mail settings dialog
// its own). A mail started while another is in flight waits its turn behind
// it; the completion event stays reset until the last one is done.
class SmtpWorker {
 public:
  SmtpWorker(TraceLog& trace, MailWorkerHooks hooks, std::filesystem::path modulePath = SmtpModulePath());
  ~SmtpWorker();  // waits for mails in flight
  SmtpWorker(const SmtpWorker&) = delete;
  SmtpWorker& operator=(const SmtpWorker&) = delete;

  // StartMailWorker: copies the request, resets `done`, sends on the worker
  // thread. False (and `done` set again) when the thread cannot be started.
  bool Start(const MailRequest& request, CompletionEvent& done, int spare = 0);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

struct AlertMailContext {
  SettingsStore& store;
  EventLogFile& log;
  TraceLog& trace;
  const TextTable& messages;  // section "Messages"
  std::string computerName;
  std::tm now;
};

// Composes one alert mail from the Options mail settings, writes the "INFO"
// entry, and starts it. `notifyWindow` is the frame in open mode, else none.
// Returns 1.
int SendAlertMail(AlertMailContext& ctx, SmtpWorker& worker, CompletionEvent& done,
                  WindowHandle notifyWindow, const std::string& text);

}  // namespace torvel
