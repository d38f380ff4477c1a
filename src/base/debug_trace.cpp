#include "base/debug_trace.h"

#include <cstdarg>
#include <cstdio>
#include <utility>
#include <vector>

#include "base/sprintf.h"
#include "base/time_format.h"

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

}  // namespace torvel
