// Network messages: smbclient's outcomes and the boxes they raise (with a
// stand-in smbclient first on PATH), and the 9x mailslot record.
#include "notify/net_message.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "config/keys.h"
#include "config/language.h"
#include "config/settings_store.h"
#include "notify/event_log_file.h"
#include "notify/net_message_winpopup.h"
#include "platform/system_info.h"
#include "support/monitor_harness.h"
#include "support/trace_capture.h"

namespace torvel {
namespace {

namespace fs = std::filesystem;

TEST(WinPopupResult, MapsSmbclientsOutcome) {
  EXPECT_EQ(WinPopupResult(0, ""), 0);
  for (const char* unreachable :
       {"Connection to PC7 failed. Error NT_STATUS_CONNECTION_REFUSED", "NT_STATUS_HOST_UNREACHABLE",
        "NT_STATUS_BAD_NETWORK_NAME", "NT_STATUS_IO_TIMEOUT", "NT_STATUS_OBJECT_NAME_NOT_FOUND",
        "Unable to resolve PC7"})
    EXPECT_EQ(WinPopupResult(1, unreachable), 2273) << unreachable;
  EXPECT_EQ(WinPopupResult(1, "cli_message returned NT_STATUS_ACCESS_DENIED"), 5);
  EXPECT_EQ(WinPopupResult(1, "NT_STATUS_INVALID_PARAMETER"), 87);
  EXPECT_EQ(WinPopupResult(1, "NT_STATUS_NOT_SUPPORTED"), 50);
  EXPECT_EQ(WinPopupResult(1, "something new"), 2136);
  EXPECT_EQ(WinPopupResult(-1, ""), 2136) << "killed";
  // smbclient ends with 0 even when the server turns the message down.
  EXPECT_EQ(WinPopupResult(0, "cli_message returned NT_STATUS_REQUEST_NOT_ACCEPTED"), 2273);
}

struct NetMessage : ::testing::Test {
  NetMessage() : log(capture.trace, capture.dir.File("torvel.log"), test::FixedTime) {
    LoadSectionTexts("Messages", messages, store, capture.trace);
    fs::create_directories(bin);
    setenv("PATH", (bin.string() + ":/usr/bin:/bin").c_str(), 1);
  }
  ~NetMessage() override { setenv("PATH", oldPath.c_str(), 1); }

  // The stand-in records its arguments and input, prints `output`, ends with `status`.
  void StandIn(int status, const std::string& output = "", const std::string& before = "") {
    test::WriteFile(bin / "smbclient", "#!/bin/sh\n" + before + "printf '%s\\n' \"$@\" > '" +
                                           (bin / "args").string() + "'\ncat > '" + (bin / "stdin").string() +
                                           "'\necho '" + output + "'\nexit " + std::to_string(status) + "\n");
    fs::permissions(bin / "smbclient", fs::perms::owner_all);
  }
  NetMessageContext Context(const SystemInfo& system) { return {store, log, messages, ui, system, "TESTPC"}; }

  std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin";
  test::TraceCapture capture;
  MemorySettingsStore store;
  EventLogFile log;
  TextTable messages{"Messages"};
  test::ScriptedUi ui;
  FixedSystemInfo nt{{kPlatformNT, 5, 1, 2600, ""}, {}};
  fs::path bin = capture.dir.path() / "bin";
};

TEST_F(NetMessage, AlertGoesToTheNamedComputerAsUtf8AndIsLogged) {
  StandIn(0);
  store.WriteProfileString(keys::kOptions, keys::kNetworkUserName, "PC7");
  auto ctx = Context(nt);
  EXPECT_EQ(SendNetworkAlert(ctx, 0, "Temp\xE9rature"), 1);
  EXPECT_EQ(test::ReadFile(bin / "args"), "-M\nPC7\n-N\n");
  EXPECT_EQ(test::ReadFile(bin / "stdin"), "Computer: TESTPC\r\nMessage from Torvel\r\n\r\nTemp\xC3\xA9rature");
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_EQ(test::ReadFile(log.path()),
            "05 March 2007  09:04:02 :: INFO\r\nAlert mail sent to the computer PC7\r\n\r\n");
}

TEST_F(NetMessage, NothingHappensWithoutANetworkUserName) {
  StandIn(0);
  auto ctx = Context(nt);
  EXPECT_EQ(SendNetworkAlert(ctx, 0, "x"), 0);
  EXPECT_FALSE(fs::exists(bin / "args"));
  EXPECT_FALSE(fs::exists(log.path()));
}

TEST_F(NetMessage, FailuresShowTheirBoxes) {
  auto ctx = Context(nt);
  StandIn(1, "Connection to PC7 failed. Error NT_STATUS_HOST_UNREACHABLE");
  SendNetMessage(ctx, "PC7", "x");
  StandIn(1, "cli_message returned NT_STATUS_ACCESS_DENIED");
  SendNetMessage(ctx, "PC7", "x");
  StandIn(1, "something unexpected");
  SendNetMessage(ctx, "PC7", "x");
  fs::remove(bin / "smbclient");
  setenv("PATH", bin.c_str(), 1);
  SendNetMessage(ctx, "PC7", "x");
  ASSERT_EQ(ui.boxes.size(), 3u);
  EXPECT_EQ(ui.boxes[0].text, "ERROR: The name (PC7) is not found");
  EXPECT_EQ(ui.boxes[1].text, "ERROR: Access denied.");
  EXPECT_EQ(ui.boxes[2].text, "ERROR: Not supported.");
  for (const auto& box : ui.boxes) {
    EXPECT_EQ(box.caption, "");
    EXPECT_EQ(box.style, kMbOk);
  }
}

TEST_F(NetMessage, SmbclientThatHangsIsKilled) {
  StandIn(0, "", "exec sleep 30\n");
  EXPECT_EQ(RunWinPopup("PC7", "x", std::chrono::milliseconds(200)), 2136);
}

// The 9x path writes to "\\NAME\MAILSLOT\MESSNGR": on Linux a file in the
// current folder, which it never creates.
struct Mailslot : NetMessage {
  Mailslot() { fs::current_path(capture.dir.path()); }
  ~Mailslot() override { fs::current_path(oldCwd); }
  fs::path oldCwd = fs::current_path();
  FixedSystemInfo win9x{{kPlatformWin9x, 4, 10, 2222, ""}, {}};
};

TEST_F(Mailslot, RecordCarriesTheOemTextAndAMissingSlotShowsTheNotFoundBox) {
  const fs::path slot = capture.dir.path() / "\\\\PC7\\MAILSLOT\\MESSNGR";
  auto ctx = Context(win9x);
  SendNetMessage(ctx, "PC7", "x");
  EXPECT_FALSE(fs::exists(slot));
  test::WriteFile(slot, "");
  SendNetMessage(ctx, "PC7", "caf\xE9");
  EXPECT_EQ(test::ReadFile(slot), std::string("TESTPC\0PC7\0caf\x82\0", 16));
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].text, "ERROR: The name (PC7) is not found");
  EXPECT_EQ(ui.boxes[0].caption, "Torvel");
  EXPECT_EQ(ui.boxes[0].style, kMbOk);
}

}  // namespace
}  // namespace torvel
