#include "monitor/check_world.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/debug_trace.h"
#include "drive/simulated_backend.h"
#include "notify/mail.h"
#include "platform/system_info.h"
#include "support/monitor_harness.h"
#include "support/trace_capture.h"

namespace torvel {
namespace {

// A world over the harness's simulated drives, its log file in the
// harness's folder (the log file lives in the current folder).
struct WorldRun {
  test::MonitorHarness h;
  SimulatedBackend backend{h.dir.path() / "drives"};
  FixedSystemInfo system{{kPlatformNT, 6, 1, 0, "Linux 6.1.0"}, {8664, 2}};
  std::filesystem::path before = std::filesystem::current_path();

  WorldRun() { std::filesystem::current_path(h.dir.path()); }
  ~WorldRun() { std::filesystem::current_path(before); }

  std::unique_ptr<CheckWorld> Make() {
    return std::make_unique<CheckWorld>(
        CheckWorldParts{h.store, h.trace, backend, system, h.ui, h.sound, h.frame,
                        [this] { return h.now; }, test::FixedTime},
        MailWorkerHooks{});
  }
};

TEST(CheckWorld, StartUpRunsTheWholeSequenceBeforeTheFirstCheck) {
  WorldRun run;
  run.h.SetDrive(0, test::DriveDescription("WDC WD800JB", "WD-1", "attr 1 0x000b 100 100 51 0\n"));
  run.h.trace.DebugTrace("left from the last run\n");
  auto world = run.Make();
  world->StartUp("world started");

  const std::string trace = test::ReadFile(run.h.dir.File("debug.log"));
  EXPECT_EQ(trace.find("left from the last run"), std::string::npos);  // a fresh trace
  const auto summary = trace.find("== Short system summary:");
  const auto started = trace.find("world started\r\n");
  ASSERT_NE(summary, std::string::npos);
  ASSERT_NE(started, std::string::npos);
  EXPECT_LT(summary, started);
  EXPECT_EQ(run.h.store.GetProfileInt("Options", "Once", 0), 1);  // first-run defaults
  EXPECT_EQ(world->tables().records[0].model, "WDC WD800JB");
  EXPECT_TRUE(world->mailDone().IsSet());
  EXPECT_FALSE(world->state().Message(14).empty());  // the "Messages" texts
}

TEST(CheckWorld, ACheckThenTheBaselineAndTheNextWorldSeesTheChange) {
  WorldRun run;
  run.h.SetDrive(0, test::DriveDescription("WDC WD800JB", "WD-1", "attr 1 0x000b 100 100 51 0\n"));
  {
    auto world = run.Make();
    world->StartUp("first");
    ASSERT_TRUE(world->Check(0, 1));
    EXPECT_EQ(world->state().findings, 0u);
    world->SaveBaseline();
  }
  EXPECT_NE(test::ReadFile(run.h.dir.File("torvel.log")).find("INFO"), std::string::npos);
  ASSERT_EQ(run.h.frame.reports.size(), 1u);
  EXPECT_EQ(run.h.frame.reports[0].size(), 256u);
  EXPECT_EQ(run.h.Baseline("WD-1", 1), 100);

  run.h.SetDrive(0, test::DriveDescription("WDC WD800JB", "WD-1", "attr 1 0x000b 97 97 51 0\n"));
  auto world = run.Make();
  world->StartUp("second");
  ASSERT_TRUE(world->Check(0, 1));
  EXPECT_EQ(world->state().findings, kFoundChange);
  ASSERT_EQ(world->state().changes[0].size(), 1u);
  EXPECT_EQ(world->state().changes[0][0].oldValue, 100);
}

}  // namespace
}  // namespace torvel
