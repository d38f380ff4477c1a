#include "notify/debug_trace.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/system_info.h"
#include "support/trace_capture.h"

namespace torvel {
namespace {

using test::TraceCapture;

TEST(DebugTrace, StampsTheFirstLineOfEachCallAndWritesCrLf) {
  TraceCapture c;
  c.trace.DebugTrace("Disk capacity: %d bytes\n", 42);
  c.trace.DebugTrace("\nSMART Read Attr Command Failed on Drive: %d.\n", 3);
  c.trace.DebugTrace("\tAttribute changed: %x\n   T.E.C. date %s\n", 0xC2, "never");
  EXPECT_EQ(c.Text(),
            "05.03.2007  09:04:02 : Disk capacity: 42 bytes\r\n"
            "05.03.2007  09:04:02 : \r\nSMART Read Attr Command Failed on Drive: 3.\r\n"
            "05.03.2007  09:04:02 : \tAttribute changed: c2\r\n   T.E.C. date never\r\n");
}

TEST(DebugTrace, StampUsesTwoDigitFieldsAndTwoSpaces) {
  test::TempDir dir;
  const std::tm t = test::MakeTime(2026, 12, 31, 23, 59, 7);
  TraceLog trace(dir.File("debug.log"), [t] { return t; });
  trace.DebugTrace("x\n");
  EXPECT_EQ(test::ReadFile(dir.path() / "debug.log"), "31.12.2026  23:59:07 : x\r\n");
}

TEST(DebugTrace, ResetOfAMissingFileLeavesTheCouldNotOpenLineFirst) {
  TraceCapture c;
  c.trace.ResetDebugTrace();
  EXPECT_EQ(c.Messages(), std::vector<std::string>{"Log file <debug.log> could not be opened\n"});
}

TEST(DebugTrace, SecondStartLeavesNoLineOfThePreviousRun) {
  TraceCapture c;
  c.trace.DebugTrace("first run\n");
  c.trace.ResetDebugTrace();
  EXPECT_FALSE(std::filesystem::exists(c.dir.path() / "debug.log"));
  c.trace.DebugTrace("second run\n");
  EXPECT_EQ(c.Messages(), std::vector<std::string>{"second run\n"});
}

TEST(DebugTrace, UnwritableFileLosesTheLineSilently) {
  test::TempDir dir;
  TraceLog trace((dir.path() / "missing-folder" / "debug.log").string());
  trace.DebugTrace("lost\n");
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "missing-folder"));
}

TEST(DebugTrace, OffWritesNothing) {
  test::TempDir dir;
  std::filesystem::current_path(dir.path());
  TraceLog trace = TraceLog::Off();
  trace.ResetDebugTrace();
  trace.DebugTrace("nothing\n");
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
  std::filesystem::current_path("/");
}

TEST(SystemSummary, NtFiveOneWithServicePackAndOneIntelProcessor) {
  TraceCapture c;
  FixedSystemInfo xp({kPlatformNT, 5, 1, 2600, "Service Pack 2"}, {586, 1});
  TraceSystemSummary(c.trace, xp);
  EXPECT_EQ(c.Messages(), (std::vector<std::string>{
                              "== Torvel 2, 4, 1, 334\n",
                              "== Short system summary:\n",
                              "== WinNT Version 5.01 (build 2600) Service Pack 2\n",
                              "== Intel 586, 1 Processor(s)\n",
                          }));
}

TEST(SystemSummary, ProcessorPrefixesAndThe9xFamily) {
  struct Case {
    std::uint32_t type;
    const char* line;
  };
  for (const Case& k : {Case{386, "== Intel 386, 4 Processor(s)\n"},
                        Case{4000, "== MIPS R4000, 4 Processor(s)\n"},
                        Case{21064, "== DEC Alpha 21064, 4 Processor(s)\n"},
                        Case{8664, "== Chipset 8664, 4 Processor(s)\n"}}) {
    TraceCapture c;
    FixedSystemInfo me({kPlatformWin9x, 4, 90, 3000, " "}, {k.type, 4});
    TraceSystemSummary(c.trace, me);
    const auto lines = c.Messages();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2], "== Win32 Version 4.90 (build 3000)  \n");
    EXPECT_EQ(lines[3], k.line);
  }
}

}  // namespace
}  // namespace torvel
