// PlaySound(file, SND_ASYNC | SND_FILENAME): starts a sound and returns at once.
#pragma once

#include <memory>
#include <string>

namespace torvel {

class TraceLog;

class SoundService {
 public:
  virtual ~SoundService() = default;
  // A bare name is looked up in the current folder, then beside the program;
  // a missing file plays the desktop's warning sound or nothing.
  virtual void PlayFileAsync(const std::string& fileName) = 0;
};

// libcanberra, loaded on first use so a process that never plays a sound
// never maps it. Without it (or without a sound server) nothing plays.
std::unique_ptr<SoundService> MakeCanberraSound(TraceLog& trace);

}  // namespace torvel
