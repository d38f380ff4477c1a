// CPU cost of one refresh of 12 in-memory drives, and of the two sector
// parsers on their own. The drives answer from a RecordingBackend, so only
// engine work (plus the recorder's bookkeeping) is measured, never device I/O.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "drive/channel.h"
#include "drive/drive_tables.h"
#include "drive/identify.h"
#include "drive/refresh.h"
#include "drive/sector_builder.h"
#include "drive/smart_data.h"
#include "base/debug_trace.h"
#include "platform/system_info.h"
#include "support/recording_backend.h"
#include "support/temp_dir.h"

namespace {

using namespace torvel;
using torvel::test::RecordingBackend;
using torvel::test::ScriptedDrive;

constexpr int kDrives = 12;

Sector MakeIdentify(int n) {
  char serial[21];
  std::snprintf(serial, sizeof serial, "WD-WCAV5%07d", 1000 + n);
  return IdentifyBuilder()
      .Word(0, 0x0040)
      .Serial(serial)
      .Firmware("01.01A01")
      .Model("WDC WD5000AAKS-00V1A0")
      .Sectors(976773168ull + static_cast<std::uint64_t>(n) * 2048u, true)
      .UltraDma(6, 5)
      .SmartFeature(true)
      .Checksum()
      .sector();
}

struct AttributeRow {
  std::uint8_t id;
  std::uint16_t flags;
  std::uint8_t value, worst, threshold;
  std::uint64_t raw;
};

// A typical desktop disk of the period: 15 attributes.
constexpr AttributeRow kRows[] = {
    {1, 0x000F, 200, 200, 51, 0},      {3, 0x0003, 175, 172, 21, 4225},
    {4, 0x0032, 100, 100, 0, 1203},    {5, 0x0033, 200, 200, 140, 0},
    {7, 0x000E, 200, 200, 0, 0},       {9, 0x0032, 74, 74, 0, 19234},
    {10, 0x0012, 100, 100, 0, 0},      {11, 0x0012, 100, 100, 0, 0},
    {12, 0x0032, 100, 100, 0, 1190},   {192, 0x0032, 200, 200, 0, 71},
    {193, 0x0032, 199, 199, 0, 5131},  {194, 0x0022, 110, 96, 0, 0x002D00150025ull},
    {196, 0x0032, 200, 200, 0, 0},     {197, 0x0032, 200, 200, 0, 0},
    {198, 0x0030, 200, 200, 0, 0},
};

Sector MakeData(int n) {
  SmartSectorBuilder b;
  int slot = 0;
  for (const auto& r : kRows) {
    const std::uint64_t raw = r.id == kTemperatureId ? r.raw + static_cast<std::uint64_t>(n) : r.raw;
    b.Attribute(slot++, r.id, r.flags, r.value, r.worst, raw);
  }
  return b.Checksum().sector();
}

Sector MakeThresholds() {
  SmartSectorBuilder b;
  int slot = 0;
  for (const auto& r : kRows) b.Threshold(slot++, r.id, r.threshold);
  return b.Checksum().sector();
}

std::unique_ptr<RecordingBackend> MakeBackend() {
  auto backend = std::make_unique<RecordingBackend>();
  const Sector thresholds = MakeThresholds();
  for (int n = 0; n < kDrives; ++n) {
    ScriptedDrive d;
    d.identify = MakeIdentify(n);
    d.data = MakeData(n);
    d.thresholds = thresholds;
    if (n == 7) {  // one failing drive, so both verdict branches run
      d.statusRegs.cylLow = ata::kTecCylLow;
      d.statusRegs.cylHigh = ata::kTecCylHigh;
    }
    backend->drives[static_cast<std::size_t>(n)] = d;
  }
  return backend;
}

const FixedSystemInfo& NtSystem() {
  static const FixedSystemInfo system({kPlatformNT, 5, 1, 2600, "Service Pack 2"}, {586, 2});
  return system;
}

void ClearRecording(RecordingBackend& backend) {
  backend.calls.clear();
  backend.openedNames.clear();
  backend.closed.clear();
}

// True when the first refresh filled every drive; a bench of a refresh that
// silently found nothing would measure the wrong thing.
bool AllDrivesRead(const DriveTables& tables) {
  for (int n = 0; n < kDrives; ++n) {
    const DriveRecord& r = tables.records[static_cast<std::size_t>(n)];
    if (!r.InUse() || r.temperature == 0 || tables.attributes[static_cast<std::size_t>(n)].attributes[14].id == 0)
      return false;
  }
  return true;
}

// Trace off. The recorder's vectors are cleared inside the timed region:
// the clear and the recorder's own allocations are counted as refresh cost,
// which overstates the engine slightly.
void BM_RefreshDrives_TraceOff(benchmark::State& state) {
  auto backend = MakeBackend();
  auto tables = std::make_unique<DriveTables>();
  TraceLog trace = TraceLog::Off();
  DeviceChannel channel(*backend, NtSystem(), trace);
  RefreshDrives(*tables, channel, trace);
  if (!AllDrivesRead(*tables)) state.SkipWithError("the scripted drives were not read");
  for (auto _ : state) {
    ClearRecording(*backend);
    RefreshDrives(*tables, channel, trace);
    benchmark::DoNotOptimize(tables->records[0].temperature);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kDrives);
}
BENCHMARK(BM_RefreshDrives_TraceOff)->Unit(benchmark::kMicrosecond);

// Same, with the recorder cleared while the timers are paused (the pause
// itself adds a little fixed overhead per iteration).
void BM_RefreshDrives_TraceOff_ClearUntimed(benchmark::State& state) {
  auto backend = MakeBackend();
  auto tables = std::make_unique<DriveTables>();
  TraceLog trace = TraceLog::Off();
  DeviceChannel channel(*backend, NtSystem(), trace);
  for (auto _ : state) {
    state.PauseTiming();
    ClearRecording(*backend);
    state.ResumeTiming();
    RefreshDrives(*tables, channel, trace);
    benchmark::DoNotOptimize(tables->records[0].temperature);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kDrives);
}
BENCHMARK(BM_RefreshDrives_TraceOff_ClearUntimed)->Unit(benchmark::kMicrosecond);

// A real trace file in a temp folder: every line opens, appends and closes
// the file. The file is deleted and the recorder cleared with the timers
// paused, so each iteration appends to an empty file.
void BM_RefreshDrives_TraceOn(benchmark::State& state) {
  torvel::test::TempDir dir;
  auto backend = MakeBackend();
  auto tables = std::make_unique<DriveTables>();
  TraceLog trace(dir.File(TraceLog::kFileName));
  DeviceChannel channel(*backend, NtSystem(), trace);
  for (auto _ : state) {
    state.PauseTiming();
    ClearRecording(*backend);
    std::remove(trace.path().c_str());
    state.ResumeTiming();
    RefreshDrives(*tables, channel, trace);
    benchmark::DoNotOptimize(tables->records[0].temperature);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kDrives);
}
BENCHMARK(BM_RefreshDrives_TraceOn)->Unit(benchmark::kMicrosecond);

void BM_ParseIdentify(benchmark::State& state) {
  const Sector sector = MakeIdentify(3);
  auto tables = std::make_unique<DriveTables>();
  TraceLog trace = TraceLog::Off();
  for (auto _ : state) {
    ParseIdentify(*tables, 3, sector, ata::kIdentifyDevice, trace);
    benchmark::DoNotOptimize(tables->records[3].serial.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_ParseIdentify);

void BM_StoreSmartData(benchmark::State& state) {
  const Sector data = MakeData(3);
  const Sector thresholds = MakeThresholds();
  auto tables = std::make_unique<DriveTables>();
  for (auto _ : state) {
    StoreSmartData(*tables, 3, data, thresholds);
    benchmark::DoNotOptimize(tables->records[3].temperature);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_StoreSmartData);

}  // namespace

BENCHMARK_MAIN();
