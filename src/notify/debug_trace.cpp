#include "notify/debug_trace.h"

#include <cstdarg>
#include <cstdio>
#include <utility>
#include <vector>

#include "notify/sprintf.h"
#include "notify/time_format.h"
#include "platform/system_info.h"

namespace torvel {

TraceLog::TraceLog(std::string path, Clock clock)
    : path_(std::move(path)), clock_(clock ? std::move(clock) : Clock(LocalNow)) {}

TraceLog TraceLog::Off() {
  TraceLog t("");
  t.enabled_ = false;
  return t;
}

void TraceLog::DebugTrace(const char* format, ...) {
  if (!enabled_) return;
  va_list args;
  va_start(args, format);
  const std::string message = VSprintf(format, args);
  va_end(args);
  Append(FormatTraceStamp(clock_()) + message);
}

void TraceLog::Append(const std::string& message) {
  std::string text;
  text.reserve(message.size() + 8);
  for (char c : message) {
    if (c == '\n') text += '\r';
    text += c;
  }
  std::FILE* f = std::fopen(path_.c_str(), "ab");
  if (!f) return;  // the trace is best effort: a lost line is not an error
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
}

void TraceLog::ResetDebugTrace() {
  if (!enabled_) return;
  if (std::remove(path_.c_str()) != 0) DebugTrace("Log file <debug.log> could not be opened\n");
}

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
