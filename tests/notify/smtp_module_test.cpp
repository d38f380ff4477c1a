// The SMTP module loaded as the worker loads it, against servers that
// misbehave: which failures count as "could not connect" and which as
// "could not send". Deliveries are covered in mail_test.cpp.
#include "smtp/smtp_module.h"

#include <arpa/inet.h>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <thread>

namespace torvel {
namespace {

int Send(const std::string& server) {
  static void* const module = dlopen(TORVEL_SMTP_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
  const auto sendMail = reinterpret_cast<SendMailFunction>(dlsym(module, "SendMail"));
  if (!sendMail) return 1;
  return sendMail(server.c_str(), 0, "", "", "torvel@x.test", "a@x.test", "Torvel Alert!", "body\n",
                  0, 0, 0, 0, 0, 1);
}

// A loopback listener nobody accepts from: the kernel completes the
// connection and then nothing is said. With `greeting`, one connection is
// accepted, greeted, and left without another word.
class SilentServer {
 public:
  explicit SilentServer(std::string greeting = {}) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (bind(listener_, reinterpret_cast<sockaddr*>(&address), size) != 0 || listen(listener_, 4) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size) != 0)
      ADD_FAILURE() << "no loopback listener";
    port_ = ntohs(address.sin_port);
    if (!greeting.empty())
      greeter_ = std::thread([this, greeting] {
        client_ = accept(listener_, nullptr, nullptr);
        if (client_ >= 0) (void)!write(client_, greeting.data(), greeting.size());
      });
  }
  ~SilentServer() {
    if (greeter_.joinable()) greeter_.join();
    if (client_ >= 0) close(client_);
    close(listener_);
  }
  std::string address() const { return "127.0.0.1:" + std::to_string(port_); }

 private:
  int listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int client_ = -1;
  int port_ = 0;
  std::thread greeter_;
};

struct SmtpModule : ::testing::Test {
  SmtpModule() { setenv("TORVEL_SMTP_TIMEOUT", "1", 1); }
  ~SmtpModule() override { unsetenv("TORVEL_SMTP_TIMEOUT"); }
};

TEST_F(SmtpModule, NoServerOrNoGreetingIsAConnectFailure) {
  std::string closedPort;
  { closedPort = SilentServer().address(); }
  EXPECT_EQ(Send(closedPort), TORVEL_SMTP_CONNECT_FAILED) << "refused";
  EXPECT_EQ(Send("host.invalid"), TORVEL_SMTP_CONNECT_FAILED) << "unresolvable";
  SilentServer silent;
  EXPECT_EQ(Send(silent.address()), TORVEL_SMTP_CONNECT_FAILED) << "never greets";
  SilentServer refusing("554 no service here\r\n");
  EXPECT_EQ(Send(refusing.address()), TORVEL_SMTP_CONNECT_FAILED) << "turns the connection down";
}

TEST_F(SmtpModule, SilenceAfterTheGreetingIsASendFailure) {
  SilentServer server("220 mute.test ESMTP\r\n");
  EXPECT_EQ(Send(server.address()), TORVEL_SMTP_SEND_FAILED);
}

}  // namespace
}  // namespace torvel
