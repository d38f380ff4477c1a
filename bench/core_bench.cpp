// The core as users run it. Wall times, since start-up touches files and
// sockets.
//  - BM_OpenModeStartup: `torvelCore -o` with 12 simulated healthy drives and
//    no display, from exec to exit: start-up, refresh, one check, and the
//    headless main window that ends at once. Target: under 300 ms.
//  - BM_RefreshAndCheck24: one refresh of 12 simulated drives, their records
//    copied to slots 12-23 under other serials, and one check of all 24 with
//    a real SQLite store, trace and log file, the sector counts of 5, 197 and
//    198 tracked. sectorGrowth:1 makes all three grow on every drive at
//    every check (72 findings logged and alerted). Target: under 20 ms.
//  - BM_IdleResidentCore: a resident core that has shown nothing; its VmRSS
//    and the CPU ticks it spends over 2 s of idling. Targets: at most 10 MB,
//    and no ticks at all.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "config/settings_store.h"
#include "config/sqlite_settings_store.h"
#include "drive/channel.h"
#include "drive/refresh.h"
#include "drive/sections.h"
#include "drive/sector_builder.h"
#include "drive/smart_data.h"
#include "drive/simulated_backend.h"
#include "monitor/check.h"
#include "base/debug_trace.h"
#include "notify/event_log_file.h"
#include "platform/sound.h"
#include "platform/system_info.h"
#include "platform/ui_services.h"
#include "support/temp_dir.h"
#include "torvelctl/commands.h"

namespace {

using namespace torvel;
namespace fs = std::filesystem;

void WriteDrives(const fs::path& folder, int count) {
  for (int n = 0; n < count; ++n) {
    const fs::path d = folder / std::to_string(n);
    fs::create_directories(d);
    const std::string serial = "BENCH" + std::to_string(1000 + n);
    const Sector identify = IdentifyBuilder()
                                .Model("BENCH DISK 2000")
                                .Serial(serial)
                                .Firmware("1.0")
                                .Sectors(3907029168ull, true)
                                .UltraDma(6, 6)
                                .SmartFeature(true)
                                .Checksum()
                                .sector();
    SmartSectorBuilder data, thresholds;
    const int ids[] = {1, 3, 4, 5, 7, 9, 10, 12, 192, 193, 194, 196, 197, 198, 199};
    for (int s = 0; s < 15; ++s) {
      data.Attribute(s, static_cast<std::uint8_t>(ids[s]), 0x33, 100, 100, 12);
      thresholds.Threshold(s, static_cast<std::uint8_t>(ids[s]), 10);
    }
    test::WriteFile(d / "identify.bin", {reinterpret_cast<const char*>(identify.data()), 512});
    test::WriteFile(d / "smart-data.bin",
                    {reinterpret_cast<const char*>(data.Checksum().sector().data()), 512});
    test::WriteFile(d / "smart-thresholds.bin",
                    {reinterpret_cast<const char*>(thresholds.Checksum().sector().data()), 512});
  }
}

pid_t Spawn(const fs::path& cwd, const std::vector<std::string>& args) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(cwd.c_str()) != 0) _exit(126);
    const std::string base = cwd.string();
    setenv("TORVEL_DRIVES", (base + "/drives").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (base + "/config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (base + "/runtime").c_str(), 1);
    setenv("TORVEL_SYSLOG_SOCKET", (base + "/no-syslog").c_str(), 1);
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    std::vector<char*> argv{const_cast<char*>(TORVEL_CORE_PATH)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  return pid;
}

struct CoreFolder {
  CoreFolder() {
    WriteDrives(dir.path() / "drives", 12);
    fs::create_directories(dir.path() / "runtime");
    fs::permissions(dir.path() / "runtime", fs::perms::owner_all, fs::perm_options::replace);
  }
  test::TempDir dir;
};

void BM_OpenModeStartup(benchmark::State& state) {
  CoreFolder folder;
  for (auto _ : state) {
    const pid_t pid = Spawn(folder.dir.path(), {"-o"});
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) state.SkipWithError("torvelCore failed");
  }
}
BENCHMARK(BM_OpenModeStartup)->Unit(benchmark::kMillisecond)->UseRealTime();

class NoBoxes final : public UiServices {
 public:
  int MessageBox(const std::string&, const std::string&, unsigned) override { return kIdNo; }
  void OpenHelpTopic(const std::string&) override {}
};
class NoSound final : public SoundService {
 public:
  void PlayFileAsync(const std::string&) override {}
};
class NoChannels final : public AlertChannels {
 public:
  int SendAlertMail(const std::string&) override { return 1; }
  int SendNetworkAlert(int, const std::string&) override { return 1; }
  void ReportAlertEvent(unsigned, const std::string&, const std::string&, const std::string&,
                        const std::string&) override {}
};
class NoFrame final : public FrameServices {
 public:
  bool OpenMainWindow(int) override { return false; }
  std::uint32_t GetModuleVersion(const std::string&) override { return kModernControlsVersion; }
  void ReportToLauncher(const std::string& data, TrayState) override { benchmark::DoNotOptimize(data); }
};

void BM_RefreshAndCheck24(benchmark::State& state) {
  CoreFolder folder;
  const fs::path base = folder.dir.path();
  TraceLog trace((base / "debug.log").string());
  SqliteSettingsStore store((base / "settings.sqlite3").string());
  EventLogFile log(trace, (base / "torvel.log").string());
  SimulatedBackend backend(base / "drives");
  const FixedSystemInfo system({kPlatformNT, 6, 1, 0, "Linux"}, {8664, 2});
  auto tables = std::make_unique<DriveTables>();
  NoBoxes ui;
  NoSound sound;
  NoChannels channels;
  NoFrame frame;
  MonitorContext ctx{*tables, store, trace, log, ui, sound, channels, frame,
                     [] { return static_cast<std::int64_t>(time(nullptr)); }};
  MonitorState monitor;
  StatusSummary summary;
  LoadSectionTexts("Messages", monitor.messages, store, trace);
  const bool grow = state.range(0) != 0;
  std::uint8_t bump = 0;
  const auto refresh = [&] {
    DeviceChannel channel(backend, system, trace);
    RefreshDrives(*tables, channel, trace);
    for (int n = 12; n < 24; ++n) {
      tables->records[n] = tables->records[n - 12];
      tables->records[n].driveNumber = n;
      tables->records[n].serial += "-B";
      tables->attributes[n] = tables->attributes[n - 12];
    }
    AssignSections(*tables);
    if (!grow) return;
    ++bump;
    for (AttributeTable& t : tables->attributes)
      for (AttributeEntry& a : t.attributes)
        if (IsSectorCountId(a.id)) a.raw[1] = bump;  // counts above the stored ones
  };
  // The stored counts the checks compare with.
  refresh();
  CheckAllDrives(ctx, monitor, summary, 1, 1);
  SaveBaseline(ctx, monitor);
  std::size_t growths = 0;
  for (auto _ : state) {
    refresh();
    CheckAllDrives(ctx, monitor, summary, 1, 1);
    growths = 0;
    for (const auto& list : monitor.growths) growths += list.size();
  }
  state.counters["growths"] = static_cast<double>(growths);
}
BENCHMARK(BM_RefreshAndCheck24)->ArgName("sectorGrowth")->Arg(0)->Arg(1)
    ->Unit(benchmark::kMillisecond)->UseRealTime();

long StatusField(pid_t pid, const std::string& name) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(name + ":", 0) == 0) return std::stol(line.substr(name.size() + 1));
  return -1;
}

long CpuTicks(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string f;
  long utime = 0, stime = 0;
  for (int i = 3; fields >> f; ++i) {
    if (i == 14) utime = std::stol(f);
    if (i == 15) {
      stime = std::stol(f);
      break;
    }
  }
  return utime + stime;
}

void BM_IdleResidentCore(benchmark::State& state) {
  CoreFolder folder;
  for (auto _ : state) {
    const pid_t pid = Spawn(folder.dir.path(), {});
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const long before = CpuTicks(pid);
    std::this_thread::sleep_for(std::chrono::seconds(2));
    state.counters["idle_cpu_ticks"] = static_cast<double>(CpuTicks(pid) - before);
    state.counters["VmRSS_kB"] = static_cast<double>(StatusField(pid, "VmRSS"));
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
  }
}
BENCHMARK(BM_IdleResidentCore)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// `torvelctl metrics` in-process on 24 simulated drives: the refresh of
// every folder and the exposition text. Target: under 20 ms of CPU.
void BM_Metrics24(benchmark::State& state) {
  torvel::test::TempDir dir;
  const std::filesystem::path sample = std::filesystem::path(TORVEL_SOURCE_DIR) / "samples" / "drives";
  for (int n = 0; n < 24; ++n)
    std::filesystem::copy(sample / (n % 2 ? "5" : "0"), dir.path() / std::to_string(n));
  torvel::SimulatedBackend backend(dir.path());
  const torvel::FixedSystemInfo system({torvel::kPlatformNT, 10, 0, 19045, ""}, {8664, 2});
  torvel::TraceLog trace = torvel::TraceLog::Off();
  torvel::MemorySettingsStore store;
  torvel::CtlContext ctx{backend, system, trace, [] { return std::tm{}; }, false, true,
                         [&store]() -> torvel::SettingsStore& { return store; }};
  std::size_t bytes = 0;
  for (auto _ : state) {
    StringOut out, err;
    torvel::RunTorvelctl({"metrics"}, ctx, out, err);
    bytes = out.str().size();
    benchmark::DoNotOptimize(bytes);
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_Metrics24)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
