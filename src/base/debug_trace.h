// The support trace "debug.log": deleted at start, then one time-stamped
// append per event. Each call opens and closes the file, so nothing is held
// open between events and a crash loses at most the line being written.
#pragma once

#include <ctime>
#include <functional>
#include <string>

namespace torvel {

class TraceLog {
 public:
  using Clock = std::function<std::tm()>;

  static constexpr const char* kFileName = "debug.log";

  // `path` is relative to the current directory unless absolute.
  explicit TraceLog(std::string path = kFileName, Clock clock = {});

  // A trace that formats and writes nothing (benchmarks, quiet tools).
  static TraceLog Off();

  // printf-style; line feeds become CR LF in the file. Failures are swallowed.
  void DebugTrace(const char* format, ...) __attribute__((format(printf, 2, 3)));

  // Deletes the file; a failed delete is itself traced.
  void ResetDebugTrace();

  bool enabled() const { return enabled_; }
  const std::string& path() const { return path_; }

 private:
  void Append(const std::string& message);

  std::string path_;
  Clock clock_;
  bool enabled_ = true;
};

}  // namespace torvel
