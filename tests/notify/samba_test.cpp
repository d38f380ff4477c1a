// A WinPopup message delivered to a real Samba smbd on loopback. smbd needs
// root (port 139) and the samba package; elsewhere the test is skipped.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "notify/net_message.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

namespace torvel {
namespace {

namespace fs = std::filesystem;

bool Listening139() {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(139);
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  close(fd);
  return ok;
}

TEST(Samba, WinPopupReachesARealReceiver) {
  if (geteuid() != 0 || !fs::exists("/usr/sbin/smbd") || !fs::exists("/usr/bin/smbclient"))
    GTEST_SKIP() << "needs root, smbd and smbclient";
  test::TempDir dir;
  const fs::path base = dir.path();
  for (const char* d : {"lock", "state", "cache", "pid", "private", "ncalrpc", "inbox"})
    fs::create_directories(base / d);
  // The message command runs as the guest account.
  fs::permissions(base, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec,
                  fs::perm_options::replace);
  fs::permissions(base / "inbox", fs::perms::all, fs::perm_options::replace);
  const fs::path conf = base / "smb.conf";
  std::ofstream(conf) << "[global]\n"
                      << "interfaces = 127.0.0.1\nbind interfaces only = yes\nsmb ports = 139\n"
                      << "server min protocol = NT1\nmap to guest = bad user\n"
                      << "lock directory = " << (base / "lock").string() << "\n"
                      << "state directory = " << (base / "state").string() << "\n"
                      << "cache directory = " << (base / "cache").string() << "\n"
                      << "pid directory = " << (base / "pid").string() << "\n"
                      << "private dir = " << (base / "private").string() << "\n"
                      << "ncalrpc dir = " << (base / "ncalrpc").string() << "\n"
                      << "log file = " << (base / "smbd.log").string() << "\n"
                      << "message command = /bin/sh -c '/bin/cat %s > "
                      << (base / "inbox").string() << "/msg; /bin/rm %s' &\n";
  test::ChildProcess smbd({"/usr/sbin/smbd", "--foreground",
                           "-s", conf.string()},
                          base);
  // Wait until it listens (port 139 taken by another smbd: skip).
  bool up = false;
  for (int i = 0; i < 100 && !up; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    up = Listening139();
    if (!smbd.Running()) break;
  }
  if (!up) GTEST_SKIP() << "smbd did not start on 127.0.0.1:139";

  EXPECT_EQ(SendWinPopup("127.0.0.1", "Disk alert: 41 \xB0" "C"), 0);
  std::string got;
  for (int i = 0; i < 100 && got.empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::ifstream in(base / "inbox" / "msg");
    got.assign(std::istreambuf_iterator<char>(in), {});
  }
  EXPECT_NE(got.find("Disk alert: 41"), std::string::npos) << got;
  kill(smbd.pid(), SIGTERM);
  smbd.Wait(std::chrono::seconds(5));
}

}  // namespace
}  // namespace torvel
