#include "torvelctl/mail_command.h"

#include <mutex>
#include "base/text_out.h"

#include "base/codepage.h"
#include "notify/mail.h"
#include "torvelctl/commands.h"
#include "ui/logic/settings_dialogs_logic.h"

namespace torvel {

int RunMailCommand(const std::vector<std::string>& args, SettingsStore& store, TraceLog& trace,
                   TextOut& out, TextOut& err, const std::filesystem::path& modulePath) {
  if (args.size() != 1 || args[0] != "test") {
    err << "torvelctl: usage: torvelctl mail test\n";
    return kExitUsage;
  }
  // The worker reports to a window; any handle but "none" brings the result
  // back here, success or not.
  constexpr WindowHandle kHere = 1;
  std::mutex mutex;
  std::string result;
  bool loadFailed = false;
  MailWorkerHooks hooks;
  hooks.notify = [&](WindowHandle, const std::string&, const std::string& text) {
    std::lock_guard lock(mutex);
    result = text;
  };
  hooks.showError = [&](const std::string& text) {
    std::lock_guard lock(mutex);
    loadFailed = true;
    err << "torvelctl: " << text << " (" << modulePath.string() << ")\n";
  };
  const MailRequest request = TestMailRequest(LoadMailFields(store), store, kHere);
  CompletionEvent done;
  {
    SmtpWorker worker(trace, std::move(hooks), modulePath);
    if (!worker.Start(request, done)) {
      err << "torvelctl: the mail thread could not be started\n";
      return kExitMailFailed;
    }
    done.Wait();
  }
  std::lock_guard lock(mutex);
  if (loadFailed) return kExitMailFailed;
  const bool sent = result == MailResultText(0, request.server);
  (sent ? out : err) << (sent ? "" : "torvelctl: ") << Cp1252ToUtf8(result) << "\n";
  return sent ? kExitOk : kExitMailFailed;
}

}  // namespace torvel
