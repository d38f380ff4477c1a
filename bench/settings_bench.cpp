// Settings traffic of one full check of 24 drives on a real SQLite file: about
// 3,000 reads (per-drive and per-attribute keys, most of them absent) and 750
// writes. Wall time, since commits wait on the file system. Target: under
// 50 ms a check. syncEveryCommit:1 shows what an fsync per commit would cost;
// the store runs with it off (see SqliteSettingsStore::Options).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "config/keys.h"
#include "config/sqlite_settings_store.h"
#include "monitor/baseline.h"
#include "support/temp_dir.h"

namespace {

using namespace torvel;

constexpr int kDrives = 24;
constexpr int kAttributeIds[] = {1, 3, 4, 5, 7, 9, 10, 11, 12, 192, 193, 194, 196, 197, 198};

std::string Serial(int n) { return "WD-WCAV5" + std::to_string(1000000 + n); }

// The keys are formed once, as the check forms them per call; only store
// traffic is timed.
struct CheckKeys {
  std::vector<std::pair<std::string, std::string>> reads, writes, saved;
  CheckKeys() {
    const char* driveKeys[] = {keys::kEnableMonitor, keys::kStartupDate, keys::kUseCustomNotify,
                               keys::kEnableSmartNotify, keys::kEnableTempNotify, keys::kCriticalTemp,
                               keys::kPopup, keys::kEmail, keys::kNetsend, keys::kChangePopup,
                               keys::kChangeEmail, keys::kChangeNetsend};
    const char* attributeKeys[] = {keys::kUseCustomThresholds, keys::kCustomNotify, keys::kCriticalValue,
                                   keys::kLogChanges, keys::kLastChangeDate, keys::kTecDate};
    for (int d = 0; d < kDrives; ++d) {
      const std::string s = Serial(d);
      for (const char* k : driveKeys) reads.emplace_back(s, k);
      writes.emplace_back(keys::kOptions, keys::kSelectedDrive);
      writes.emplace_back(s, keys::kStartupDate);
      writes.emplace_back(s, keys::kLastCheck);
      for (int id : kAttributeIds) {
        reads.emplace_back(s, keys::AttributeKey(id));
        reads.emplace_back(s, BaselineKey(id));
        saved.emplace_back(s, BaselineKey(id));
        for (const char* k : attributeKeys) reads.emplace_back(s, keys::AttributeKey(id, k));
        writes.emplace_back(s, BaselineKey(id));
        if (id != 1 && id != 3) writes.emplace_back(s, keys::AttributeKey(id, keys::kLastChangeDate));
      }
      reads.emplace_back(keys::kOptions, keys::kPollEvery);
      reads.emplace_back(keys::kOptions, keys::kLogEnable);
    }
  }
};

void BM_FullCheck24Drives(benchmark::State& state) {
  test::TempDir dir;
  SqliteSettingsStore store(dir.File("settings.sqlite3"), {state.range(0) != 0, {}});
  if (!store.IsOpen()) state.SkipWithError(store.LastError().c_str());
  const CheckKeys k;
  for (const auto& [s, key] : k.saved) store.WriteProfileInt(s, key, 200);  // the last check's values
  int value = 0;
  for (auto _ : state) {
    long sum = 0;
    for (const auto& [s, key] : k.reads) sum += store.GetProfileInt(s, key, 1);
    for (const auto& [s, key] : k.writes) store.WriteProfileInt(s, key, ++value % 256);
    benchmark::DoNotOptimize(sum);
  }
  state.counters["reads"] = static_cast<double>(k.reads.size());
  state.counters["writes"] = static_cast<double>(k.writes.size());
}
BENCHMARK(BM_FullCheck24Drives)->ArgName("syncEveryCommit")->Arg(0)->Arg(1)
    ->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
