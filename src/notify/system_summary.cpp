#include "notify/system_summary.h"

#include "base/debug_trace.h"
#include "base/version.h"
#include "platform/system_info.h"

namespace torvel {

void TraceSystemSummary(TraceLog& trace, const SystemInfo& system) {
  const OsVersionInfo os = system.GetVersionEx();
  const ProcessorInfo cpu = system.GetSystemInfo();
  trace.DebugTrace("== Torvel %s\n", kProductVersionText);
  trace.DebugTrace("== Short system summary:\n");
  trace.DebugTrace("== Win%s Version %u.%.2u (build %u) %s\n", os.platformId == 2 ? "NT" : "32",
                   os.major, os.minor, os.build, os.csdVersion.c_str());
  const char* prefix = "== Chipset ";
  switch (cpu.processorType) {
    case 386:
    case 486:
    case 586: prefix = "== Intel "; break;
    case 4000: prefix = "== MIPS R"; break;
    case 21064: prefix = "== DEC Alpha "; break;
    default: break;
  }
  trace.DebugTrace("%s%u, %u Processor(s)\n", prefix, cpu.processorType, cpu.processorCount);
}

}  // namespace torvel
