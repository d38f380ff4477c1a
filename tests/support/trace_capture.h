// A real trace file in a temporary folder with a fixed clock, and its lines
// without time stamps, for asserting exactly what a step traced.
#pragma once

#include <string>
#include <vector>

#include "base/debug_trace.h"
#include "support/temp_dir.h"

namespace torvel::test {

// A local time from its calendar fields (month 1 to 12).
std::tm MakeTime(int year, int month, int day, int hour, int minute, int second);

// 5 March 2007, 09:04:02.
std::tm FixedTime();

class TraceCapture {
 public:
  TraceCapture() : trace(dir.File("debug.log"), FixedTime) {}
  // The raw file content.
  std::string Text() const { return ReadFile(dir.path() / "debug.log"); }
  // Each call's message with the stamp removed and CR LF turned back to LF.
  std::vector<std::string> Messages() const;

  TempDir dir;
  TraceLog trace;
};

}  // namespace torvel::test
