// Alert mail over TLS and its failures, against aiosmtpd on loopback with a
// fresh self-signed certificate (tests/notify/smtp_server.py): the password
// only ever crosses the line encrypted, certificates are verified, and a
// mail that does not go out says why.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <optional>
#include <sstream>

#include "config/keys.h"
#include "config/profile.h"
#include "config/settings.h"
#include "config/settings_store.h"
#include "notify/mail.h"
#include "support/child_process.h"
#include "support/trace_capture.h"

namespace torvel {
namespace {

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

struct TlsServer {
  explicit TlsServer(std::vector<std::string> options) {
    std::vector<std::string> argv{"/usr/bin/python3", TORVEL_SOURCE_DIR "/tests/notify/smtp_server.py",
                                  dir.File("mails"), "--auth", "ops:pa55"};
    argv.insert(argv.end(), options.begin(), options.end());
    process.emplace(argv, dir.path());
    if (!options.empty())
      if (const auto line = process->ReadUntil("cert=")) cert = line->substr(5);
    if (const auto line = process->ReadUntil("port=")) port = line->substr(5);
    EXPECT_FALSE(port.empty()) << "smtp_server.py did not start (python3-aiosmtpd, openssl?)";
  }
  std::vector<std::string> Mails() const {
    std::vector<std::string> lines;
    if (!std::filesystem::exists(dir.File("mails"))) return lines;
    std::istringstream in(test::ReadFile(dir.File("mails")));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  test::TempDir dir;
  std::optional<test::ChildProcess> process;
  std::string cert, port;
};

// One mail through the worker as a resident core sends it: no notify
// window, so a failure comes back through the `failed` hook.
struct Mailer {
  explicit Mailer(const std::string& server, int tls, const std::string& caFile = {}) {
    settings::SetSmtpServer(store, server);
    settings::SetRecipients(store, "a@x.test");
    settings::SetSender(store, "J\xFCrgen M\xFCller <torvel@x.test>");  // Windows-1252
    settings::SetSmtpAuth(store, 1);
    settings::SetSmtpUsername(store, "ops");
    settings::SetSmtpPassword(store, "pa55");
    settings::SetSmtpTls(store, tls);
    settings::SetSmtpCaFile(store, caFile);
  }
  // The result text of a failure, or nothing when the mail went out.
  std::optional<std::string> Send() {
    MailWorkerHooks hooks;
    hooks.failed = [this](const std::string& category, const std::string& text) {
      std::lock_guard lock(mutex);
      failure = category + ": " + text;
    };
    MailRequest mail = StoredMailAccount(store);
    mail.subject = "Torvel Alert! \xC4nderung";  // Windows-1252, as the program's texts are
    mail.body = "Temperature 45 \xB0" "C\nLine = two\n";
    CompletionEvent done;
    {
      SmtpWorker worker(capture.trace, std::move(hooks), TORVEL_SMTP_MODULE_PATH);
      EXPECT_TRUE(worker.Start(mail, done));
      done.Wait();
    }
    std::lock_guard lock(mutex);
    return failure;
  }
  test::TraceCapture capture;
  MemorySettingsStore store;
  std::mutex mutex;
  std::optional<std::string> failure;
};

TEST(MailTls, StartTlsIsVerifiedAgainstTheNamedCaAndCarriesTheLogIn) {
  TlsServer server({"--starttls"});
  const std::string address = "127.0.0.1:" + server.port;

  Mailer unknownCa(address, 0);
  const auto refused = unknownCa.Send();
  ASSERT_TRUE(refused);
  EXPECT_TRUE(Contains(*refused, "SMTP Client: Failed to")) << *refused;
  EXPECT_TRUE(Contains(*refused, "certificate")) << *refused << ": the reason is said";
  EXPECT_TRUE(server.Mails().empty()) << "a certificate nobody vouches for is refused";

  Mailer trusted(address, 0, server.cert);
  EXPECT_EQ(trusted.Send(), std::nullopt);
  const auto mails = server.Mails();
  ASSERT_EQ(mails.size(), 1u);
  EXPECT_TRUE(Contains(mails[0], R"("login": "ops")")) << mails[0];
  // What a strict receiver makes of it: no defect, a Message-ID, the texts
  // decoded as they were meant.
  EXPECT_TRUE(Contains(mails[0], R"("defects": [])")) << mails[0];
  EXPECT_TRUE(Contains(mails[0], R"("message_id": "<)")) << mails[0];
  EXPECT_TRUE(Contains(mails[0], R"("subject": "Torvel Alert! \u00c4nderung")")) << mails[0];
  EXPECT_TRUE(Contains(mails[0], R"("from": "J\u00fcrgen M\u00fcller <torvel@x.test>")")) << mails[0];
  EXPECT_TRUE(Contains(mails[0], R"("body": "Temperature 45 \u00b0C\r\nLine = two\r\n")")) << mails[0];
}

TEST(MailTls, ImplicitTlsIsChosenBySettingOrByTheServersScheme) {
  TlsServer server({"--implicit-tls"});
  Mailer bySetting("127.0.0.1:" + server.port, 2, server.cert);
  EXPECT_EQ(bySetting.Send(), std::nullopt);
  Mailer byScheme("smtps://127.0.0.1:" + server.port, 0, server.cert);
  EXPECT_EQ(byScheme.Send(), std::nullopt);
  const auto mails = server.Mails();
  ASSERT_EQ(mails.size(), 2u);
  EXPECT_TRUE(Contains(mails[1], R"("login": "ops")")) << mails[1];
}

TEST(MailTls, WithoutStartTlsThePasswordStaysHomeUnlessClearIsChosen) {
  TlsServer server({});
  const std::string address = "127.0.0.1:" + server.port;
  Mailer opportunistic(address, 0);
  EXPECT_EQ(opportunistic.Send(), std::nullopt) << "this server takes mail without a log-in";
  Mailer required(address, 1);
  const auto refused = required.Send();
  ASSERT_TRUE(refused);
  Mailer clear(address, 3);
  EXPECT_EQ(clear.Send(), std::nullopt);
  const auto mails = server.Mails();
  ASSERT_EQ(mails.size(), 2u);
  EXPECT_TRUE(Contains(mails[0], R"("login": null)")) << "the server saw no AUTH: " << mails[0];
  EXPECT_TRUE(Contains(mails[1], R"("login": "ops")")) << mails[1];
}

TEST(MailFailure, AClosedPortOrABrokenAccountIsReportedWithItsReason) {
  Mailer closed("127.0.0.1:1", 0);
  const auto result = closed.Send();
  ASSERT_TRUE(result);
  EXPECT_EQ(result->rfind("SMTP Client: Failed to connect to SMTP Server ('127.0.0.1:1') (", 0), 0u)
      << *result;
  const std::vector<std::string> trace = closed.capture.Messages();
  EXPECT_TRUE(std::any_of(trace.begin(), trace.end(),
                          [](const std::string& l) { return Contains(l, "SMTP Client: Failed to connect"); }))
      << "and traced";

  Mailer forged("127.0.0.1:1", 0);
  settings::SetRecipients(forged.store, "a@x.test\r\nRCPT TO:<victim@y.test>");
  const auto refused = forged.Send();
  ASSERT_TRUE(refused);
  EXPECT_TRUE(Contains(*refused, "the Recipients hold a line break or control character")) << *refused;
}

TEST(MailAccount, ProblemsAndTheDefaultSender) {
  MailRequest r;
  r.server = "mx.example.org";
  r.sender = "a@b";
  r.recipients = "c@d; e@f";
  EXPECT_EQ(MailAccountProblem(r), "");
  r.server = "mx\n";
  EXPECT_EQ(MailAccountProblem(r), "the SMTP server holds a line break or control character");
  r.server = "mx";
  r.sender = std::string("a@b\0", 4);
  EXPECT_EQ(MailAccountProblem(r), "the Sender holds a line break or control character");
  EXPECT_EQ(SenderOrDefault("", "nas"), "Torvel <torvel@nas>");
  EXPECT_EQ(SenderOrDefault("  ", ""), "Torvel <torvel@localhost>");
  EXPECT_EQ(SenderOrDefault("me@x", "nas"), "me@x");
  EXPECT_EQ(MailResultText(-9, "mx", "timed out"), "Failed to connect to SMTP Server ('mx') (timed out)");
  EXPECT_EQ(MailResultText(0, "mx", "ignored"), "Mail has been sent successfully!");
}

}  // namespace
}  // namespace torvel
