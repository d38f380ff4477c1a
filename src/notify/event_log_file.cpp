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
  // One write, so that an entry from another process lands whole.
  const std::string entry = FormatLogStamp(clock_()) + std::string(category) + "\r\n" + std::string(text);
  std::setvbuf(f, nullptr, _IOFBF, entry.size() + 1);
  const bool written = std::fwrite(entry.data(), 1, entry.size(), f) == entry.size();
  if (std::fclose(f) != 0 || !written) trace_.DebugTrace("Couldn't write log file %s\n", path_.c_str());
}

}  // namespace torvel
