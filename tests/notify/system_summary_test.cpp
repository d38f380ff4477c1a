#include "notify/system_summary.h"

#include <gtest/gtest.h>

#include "platform/system_info.h"
#include "support/trace_capture.h"

namespace torvel {
namespace {

using test::TraceCapture;

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
