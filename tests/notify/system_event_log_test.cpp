#include "notify/system_event_log.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include "drive/channel.h"
#include "platform/system_info.h"
#include "support/recording_backend.h"
#include "support/temp_dir.h"
#include "support/trace_capture.h"

namespace torvel {
namespace {

// A syslog daemon stand-in: a datagram socket in a temporary folder.
class Listener {
 public:
  explicit Listener(const std::string& path) : path_(path) {
    fd_ = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    EXPECT_EQ(bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    timeval tv{1, 0};
    setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  }
  ~Listener() { close(fd_); }
  std::string Receive() {
    char buf[2048];
    const ssize_t n = recv(fd_, buf, sizeof buf, MSG_DONTWAIT);
    return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
  }

 private:
  std::string path_;
  int fd_ = -1;
};

struct SyslogFixture : ::testing::Test {
  test::TempDir dir;
  test::RecordingBackend backend;
  TraceLog trace = TraceLog::Off();
  std::string socketPath = dir.File("log");
  Listener listener{socketPath};

  bool Report(const SystemInfo& sys) {
    DeviceChannel channel(backend, sys, trace);
    channel.SelectPath();
    SystemEventLog events([&channel] { return channel.perDrive(); }, socketPath, test::FixedTime);
    events.RegisterEventLogSource();
    return events.ReportAlertEvent(kEventAttributeChanged, "ST3500418AS",
                                   "5 - Reallocated Sector Count", "99", "100");
  }
};

TEST_F(SyslogFixture, ChangeEventCarriesItsIdAndTheFourStringsInOrder) {
  FixedSystemInfo nt({kPlatformNT, 6, 1, 0, ""}, {8664, 1});
  ASSERT_TRUE(Report(nt));
  const std::string datagram = listener.Receive();
  // The form journald parses: no host name, the tag with our process id.
  EXPECT_EQ(datagram, "<12>Mar  5 09:04:02 Torvel[" + std::to_string(getpid()) +
                          "]: event 0x80000001: ST3500418AS; 5 - Reallocated Sector Count; 99; 100");
}

TEST_F(SyslogFixture, NothingIsReportedOffThePerDrivePathOrWithoutADaemon) {
  FixedSystemInfo win98({kPlatformWin9x, 4, 10, 2222, ""}, {586, 1});
  EXPECT_FALSE(Report(win98));
  EXPECT_TRUE(listener.Receive().empty());

  FixedSystemInfo nt({kPlatformNT, 6, 1, 0, ""}, {8664, 1});
  socketPath = dir.File("nobody-listens");
  EXPECT_FALSE(Report(nt));
}

TEST(SyslogDatagram, TextsAreConvertedToUtf8AndControlsEscaped) {
  const std::string d = BuildSyslogDatagram(kEventThresholdExceeded, "Disk\r\n<11>forged, 500.1 GB [S/N:X]",
                                            "194 - Temperature", "45 \xB0" "C", "", test::FixedTime(),
                                            42);
  EXPECT_EQ(d, "<12>Mar  5 09:04:02 Torvel[42]: event 0x80000002: Disk\\x0D\\x0A<11>forged, 500.1 GB "
               "[S/N:X]; 194 - Temperature; 45 \xC2\xB0" "C; ");
}

}  // namespace
}  // namespace torvel
