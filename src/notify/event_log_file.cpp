#include "notify/event_log_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/debug_trace.h"
#include "base/time_format.h"

namespace torvel {

EventLogFile::EventLogFile(TraceLog& trace, std::string path, Clock clock)
    : trace_(trace), path_(std::move(path)), clock_(clock ? std::move(clock) : Clock(LocalNow)) {}

void EventLogFile::WriteLogEntry(std::string_view category, std::string_view text) {
  std::FILE* f = std::fopen(path_.c_str(), "ab");
  if (!f) {
    char reason[1024];
    // The GNU strerror_r may return a static text instead of filling the buffer.
    const char* message = strerror_r(errno, reason, sizeof reason);
    trace_.DebugTrace("Couldn't open log file: %s\n", message);
    return;
  }
  const std::string stamp = FormatLogStamp(clock_()) + std::string(category) + "\r\n";
  std::fwrite(stamp.data(), 1, stamp.size(), f);
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
}

}  // namespace torvel
