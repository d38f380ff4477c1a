#include "notify/event_log_file.h"

#include <gtest/gtest.h>

#include "support/trace_capture.h"

namespace torvel {
namespace {

std::tm AlertTime() { return test::MakeTime(2026, 3, 7, 14, 5, 9); }

TEST(EventLogFile, CreatesThenAppendsEntriesWithTheirStampLines) {
  test::TraceCapture capture;
  EventLogFile log(capture.trace, capture.dir.File("torvel.log"), AlertTime);
  log.WriteLogEntry(kLogCategoryAlert, "SMART attribute changed\r\n\r\n");
  log.WriteLogEntry("SMTP Client", "no line break");
  log.WriteLogEntry(kLogCategoryInfo, "x");
  EXPECT_EQ(test::ReadFile(capture.dir.path() / "torvel.log"),
            "07 March 2026  14:05:09 :: ALERT\r\nSMART attribute changed\r\n\r\n"
            "07 March 2026  14:05:09 :: SMTP Client\r\nno line break"
            "07 March 2026  14:05:09 :: INFO\r\nx");
  EXPECT_TRUE(capture.Text().empty());
}

TEST(EventLogFile, OpenFailureIsTracedWithTheSystemsReason) {
  test::TraceCapture capture;
  EventLogFile log(capture.trace, capture.dir.File("no-such-folder/torvel.log"), AlertTime);
  log.WriteLogEntry(kLogCategoryInfo, "lost\r\n\r\n");
  EXPECT_EQ(capture.Messages(),
            std::vector<std::string>{"Couldn't open log file: No such file or directory\n"});
}

}  // namespace
}  // namespace torvel
