// Alert mails end to end: settings to the SMTP module to a local aiosmtpd
// server (tests/notify/smtp_server.py), and what the worker reports.
#include "notify/mail.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <future>
#include <optional>
#include <sstream>

#include "config/keys.h"
#include "config/language.h"
#include "config/profile.h"
#include "config/settings_store.h"
#include "notify/event_log_file.h"
#include "support/child_process.h"
#include "support/trace_capture.h"

namespace torvel {
namespace {

TEST(MailResultText, NamesTheServerInEachFailure) {
  EXPECT_EQ(MailResultText(0, "mx:25"), "Mail has been sent successfully!");
  EXPECT_EQ(MailResultText(-9, "mx:25"), "Failed to connect to SMTP Server ('mx:25')");
  EXPECT_EQ(MailResultText(-10, "mx"), "Failed to send message via SMTP Server ('mx')");
  EXPECT_EQ(MailResultText(-11, "mx"), "Failed to disconnect from SMTP Server ('mx')");
  EXPECT_EQ(MailResultText(-1, "mx"), "Error!");
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// smtp_server.py under Debian's Python; each mail it took is one JSON line.
struct SmtpServer {
  explicit SmtpServer(const std::string& auth) {
    process.emplace(std::vector<std::string>{"/usr/bin/python3", TORVEL_SOURCE_DIR "/tests/notify/smtp_server.py",
                                             dir.File("mails"), "--auth", auth},
                    dir.path());
    const auto line = process->ReadUntil("port=");
    if (line) address = "127.0.0.1:" + line->substr(5);
    EXPECT_TRUE(line) << "smtp_server.py did not start (python3-aiosmtpd missing?)";
  }
  std::vector<std::string> Mails() const {
    std::vector<std::string> lines;
    std::istringstream in(std::filesystem::exists(dir.File("mails")) ? test::ReadFile(dir.File("mails")) : "");
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  test::TempDir dir;
  std::optional<test::ChildProcess> process;
  std::string address;
};

struct Notice {
  WindowHandle window;
  std::string category, text;
  bool eventWasSet;
};

struct AlertMail : ::testing::Test {
  // Without `module` the worker finds the real one as the program does,
  // here through TORVEL_SMTP_MODULE.
  explicit AlertMail(const char* module = nullptr)
      : log(capture.trace, capture.dir.File("torvel.log"), test::FixedTime), done([this] { ++sets; }) {
    LoadSectionTexts("Messages", messages, store, capture.trace);
    // Reports wait for Finish(), so every mail a test starts is queued
    // while the first is still in flight.
    MailWorkerHooks hooks{[this](WindowHandle window, const std::string& category, const std::string& text) {
                            released.wait();
                            notices.push_back({window, category, text, done.IsSet()});
                          },
                          [this](const std::string& text) {
                            errors.push_back(text);
                            logWhenShown = test::ReadFile(log.path());
                          },
                          [this](const std::string& category, const std::string& text) {
                            failures.push_back(category + ": " + text);
                          }};
    setenv("TORVEL_SMTP_MODULE", TORVEL_SMTP_MODULE_PATH, 1);
    worker.emplace(capture.trace, hooks, module ? module : SmtpModulePath());
    unsetenv("TORVEL_SMTP_MODULE");
    store.WriteProfileString(keys::kOptions, keys::kSmtpServer, server.address);
    store.WriteProfileString(keys::kOptions, keys::kRecipients, "a@x.test; b@x.test");
    store.WriteProfileString(keys::kOptions, keys::kSender, "torvel@x.test");
  }

  void Send(const std::string& text) {
    AlertMailContext ctx{store, log, capture.trace, messages, "TESTPC", test::FixedTime()};
    EXPECT_EQ(SendAlertMail(ctx, *worker, done, 77, text), 1);
  }
  void Finish() {
    Release();
    done.Wait();
    worker.reset();  // joins: every hook call has returned
  }
  void Release() {
    if (released.wait_for(std::chrono::seconds(0)) != std::future_status::ready) release.set_value();
  }
  ~AlertMail() override { Release(); }  // a failed test must not leave the worker waiting

  SmtpServer server{"ops:pa55"};  // offers AUTH, does not require it
  test::TraceCapture capture;
  MemorySettingsStore store;
  EventLogFile log;
  TextTable messages{"Messages"};
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::vector<Notice> notices;
  std::vector<std::string> errors;
  std::vector<std::string> failures;
  std::string logWhenShown;
  int sets = 0;
  CompletionEvent done;
  std::optional<SmtpWorker> worker;
};

TEST_F(AlertMail, ArrivesAtBothRecipientsAndIsReportedBeforeTheEventIsSet) {
  Send("Drive 0 is failing.\nReplace it.");
  Finish();

  const auto mails = server.Mails();
  ASSERT_EQ(mails.size(), 1u);
  for (const char* part :
       {R"("rcpt_tos": ["a@x.test", "b@x.test"], "login": null)", R"("content": "Date: )",
        R"(\r\nFrom: torvel@x.test\r\n)", R"(\r\nSubject: Torvel Alert!\r\n)",
        R"(\r\nMessage-ID: <)", R"(\r\nMIME-Version: 1.0\r\n)",
        R"(\r\nContent-Type: text/plain; charset=utf-8\r\n)",
        R"(\r\nContent-Transfer-Encoding: quoted-printable\r\n)", R"("defects": [])",
        R"(\r\n\r\nMessage from Torvel\r\nDate: 05 March 2007  09:04:02\r\nComputer: TESTPC\r\n\r\n)"
        R"(Drive 0 is failing.\r\nReplace it.\r\n")"})
    EXPECT_TRUE(Has(mails[0], part)) << part << " in " << mails[0];
  EXPECT_EQ(test::ReadFile(log.path()),
            "05 March 2007  09:04:02 :: INFO\r\nAlert mail sent to a@x.test; b@x.test\r\n\r\n");
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].window, 77u);
  EXPECT_EQ(notices[0].category, "SMTP Client");
  EXPECT_EQ(notices[0].text, "Mail has been sent successfully!");
  EXPECT_FALSE(notices[0].eventWasSet);
  EXPECT_EQ(sets, 1);
}

TEST_F(AlertMail, QueuedMailsLogInOnlyWhenAuthenticationIsOn) {
  // This server has no TLS: logging in takes the explicit choice of none.
  store.WriteProfileInt(keys::kOptions, keys::kSmtpTls, 3);
  store.WriteProfileString(keys::kOptions, keys::kSmtpUsername, "ops");
  store.WriteProfileString(keys::kOptions, keys::kSmtpPassword, EncodePassword("pa55"));
  Send("without");
  store.WriteProfileInt(keys::kOptions, keys::kSmtpAuth, 1);
  Send("with");
  store.WriteProfileString(keys::kOptions, keys::kSmtpPassword, EncodePassword("wrong"));
  Send("refused");
  Finish();

  const auto mails = server.Mails();
  ASSERT_EQ(mails.size(), 2u);
  EXPECT_TRUE(Has(mails[0], R"("login": null)") && Has(mails[0], "without")) << mails[0];
  EXPECT_TRUE(Has(mails[1], R"("login": "ops")") && Has(mails[1], "with")) << mails[1];
  // All three were queued before the first was reported: the event is set once.
  ASSERT_EQ(notices.size(), 3u);
  EXPECT_EQ(notices[2].text.rfind("Failed to send message via SMTP Server ('" + server.address + "') (", 0), 0u)
      << notices[2].text;
  EXPECT_FALSE(notices[2].eventWasSet);
  EXPECT_EQ(sets, 1);
}

struct AlertMailWithoutModule : AlertMail {
  AlertMailWithoutModule() : AlertMail("/nonexistent/torvel/missing.so") {}
};

TEST_F(AlertMailWithoutModule, ShowsTheLoadErrorAfterLoggingTheAttempt) {
  Send("x");
  Finish();
  EXPECT_EQ(errors, std::vector<std::string>{"Unable to load smtp.dll"});
  EXPECT_TRUE(Has(logWhenShown, "INFO\r\nAlert mail sent to a@x.test; b@x.test\r\n"));
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].text, "Error!");
  ASSERT_EQ(capture.Messages().size(), 2u);
  EXPECT_TRUE(Has(capture.Messages()[0], "/nonexistent/torvel/missing.so"));
  EXPECT_EQ(capture.Messages()[1], "SMTP Client: Error!\n");
}

}  // namespace
}  // namespace torvel
