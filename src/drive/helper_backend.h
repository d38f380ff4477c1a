// A backend that sends commands itself when it may, and otherwise asks
// torvel-ata, the one small program installed with the right to send raw
// ATA commands. The program using it never needs that right.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "drive/ata_helper_protocol.h"
#include "drive/backend.h"
#include "base/debug_trace.h"

namespace torvel {

// The helper's SG_IO commands time out after 10 s; this covers one of them
// plus the start of the process.
inline constexpr std::chrono::milliseconds kAtaHelperTimeout{20'000};

struct AtaHelperProgram {
  std::string path;                      // empty: no helper installed
  std::vector<std::string> environment;  // its whole environment ("NAME=value")
  std::chrono::milliseconds timeout = kAtaHelperTimeout;
};

// torvel-ata beside `selfExe` first (a build tree, a relocated install),
// then `installPath`; empty when neither is an executable file.
std::string FindAtaHelper(std::string_view selfExe, std::string_view installPath);

// The helper for this program: beside /proc/self/exe, else where the build
// installs it. It gets an empty environment.
AtaHelperProgram DefaultAtaHelper();

// Errors that mean "not allowed" rather than "not there" or "failed".
bool IsRightsError(std::uint32_t error);

struct ProgramLimits {
  std::chrono::milliseconds timeout = kAtaHelperTimeout;
  std::size_t maxOutput = helper::kMaxFrameSize;
  std::size_t maxError = 512;
};

struct ProgramRun {
  bool started = false;
  bool timedOut = false;        // killed at the time-out
  bool outputTooLong = false;   // killed for writing more than maxOutput
  int exitStatus = -1;          // its exit status; -1 when it did not exit normally
  std::vector<std::uint8_t> output;
  std::string error;            // the start of its standard error
};

// Runs argv[0] (a path; no shell, no PATH search) with exactly `environment`
// and `input` on standard input. Standard output and error are read up to
// their caps; a program that overruns a cap or the time-out is killed.
ProgramRun RunProgram(const std::vector<std::string>& argv,
                      const std::vector<std::string>& environment,
                      std::span<const std::uint8_t> input, const ProgramLimits& limits);

// One request through the helper: its decoded reply, or why there is none.
helper::DecodedReply AskAtaHelper(const AtaHelperProgram& program, const helper::Request& request);

// Wraps `direct` (the SG_IO backend). When opening a drive or sending it a
// command fails with EACCES or EPERM and the helper exists, that drive's
// commands go through the helper from then on. The trace gets one line per
// drive saying which way its commands take, or that the rights are missing.
std::unique_ptr<DriveBackend> MakeHelperBackend(std::unique_ptr<DriveBackend> direct,
                                                AtaHelperProgram helper, TraceLog trace);

}  // namespace torvel
