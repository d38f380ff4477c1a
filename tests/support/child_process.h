// A program run beside a test and talked to line by line: its standard
// input is a pipe, its standard output is read with a time-out. Killed when
// the object goes.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace torvel::test {

class ChildProcess {
 public:
  // Starts argv[0] in `cwd` with the environment changed by `env` (nullopt
  // removes a variable). Standard error is inherited.
  ChildProcess(const std::vector<std::string>& argv, const std::filesystem::path& cwd,
               const std::map<std::string, std::optional<std::string>>& env = {});
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  void WriteLine(const std::string& line);
  // The next line of standard output, without its "\n"; nullopt on time-out
  // or end of output.
  std::optional<std::string> ReadLine(std::chrono::milliseconds timeout = std::chrono::seconds(20));
  // Reads lines until one starts with `prefix`; returns it.
  std::optional<std::string> ReadUntil(const std::string& prefix,
                                       std::chrono::milliseconds timeout = std::chrono::seconds(20));
  // The exit status, or nullopt when it has not ended within `timeout`.
  std::optional<int> Wait(std::chrono::milliseconds timeout = std::chrono::seconds(20));
  bool Running();
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  int in_ = -1;
  int out_ = -1;
  std::string buffer_;
  std::optional<int> status_;
};

}  // namespace torvel::test
