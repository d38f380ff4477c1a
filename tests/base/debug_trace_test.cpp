#include "base/debug_trace.h"

#include <gtest/gtest.h>

#include <filesystem>

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

}  // namespace
}  // namespace torvel
