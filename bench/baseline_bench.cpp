// Saving the attribute baseline of 24 drives with 30 attributes each (720
// values) into a real settings file.
#include <benchmark/benchmark.h>

#include "config/sqlite_settings_store.h"
#include "drive/drive_tables.h"
#include "drive/sector_builder.h"
#include "drive/smart_data.h"
#include "monitor/baseline.h"
#include "support/temp_dir.h"

namespace {

using namespace torvel;

void BM_SaveAttributeBaseline24x30(benchmark::State& state) {
  test::TempDir dir;
  SqliteSettingsStore store(dir.File("settings.sqlite3"));
  auto tables = std::make_unique<DriveTables>();
  for (int n = 0; n < kMaxDrives; ++n) {
    DriveRecord& r = tables->records[static_cast<std::size_t>(n)];
    r.model = "MODEL";
    r.serial = "SERIAL" + std::to_string(n);
    r.smartEnabled = 1;
    SmartSectorBuilder data;
    for (int i = 0; i < kAttributeSlots; ++i)
      data.Attribute(i, static_cast<std::uint8_t>(i + 1), 0x0F, 100, 100, 0);
    StoreSmartData(*tables, n, data.sector(), Sector{});
  }
  std::array<int, kMaxDrives> changes{};
  std::uint8_t value = 100;
  for (auto _ : state) {
    // A new value each round, so every write really changes the row.
    for (auto& t : tables->attributes)
      for (auto& a : t.attributes) a.value = value;
    value = static_cast<std::uint8_t>(value == 100 ? 99 : 100);
    SaveAttributeBaseline(*tables, store, changes);
  }
  state.SetItemsProcessed(state.iterations() * kMaxDrives * kAttributeSlots);
}
BENCHMARK(BM_SaveAttributeBaseline24x30)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
