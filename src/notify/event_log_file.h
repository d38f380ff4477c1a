// "torvel.log": the permanent, human-readable record of drive events. One
// open-append-close per entry, so the log tab and other readers can open the
// file at any time.
#pragma once

#include <ctime>
#include <functional>
#include <string>
#include <string_view>

namespace torvel {

class TraceLog;

inline constexpr const char* kLogCategoryInfo = "INFO";
inline constexpr const char* kLogCategoryAlert = "ALERT";

class EventLogFile {
 public:
  using Clock = std::function<std::tm()>;
  static constexpr const char* kFileName = "torvel.log";

  EventLogFile(TraceLog& trace, std::string path = kFileName, Clock clock = {});

  // Appends the time-stamp line with `category`, then `text` exactly as given.
  // The caller decides whether logging is enabled.
  void WriteLogEntry(std::string_view category, std::string_view text);

  const std::string& path() const { return path_; }

 private:
  TraceLog& trace_;
  std::string path_;
  Clock clock_;
};

}  // namespace torvel
