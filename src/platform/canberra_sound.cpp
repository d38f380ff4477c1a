#include <canberra.h>
#include <dlfcn.h>

#include <filesystem>
#include <mutex>
#include <string>
#include <system_error>

#include "base/debug_trace.h"
#include "platform/sound.h"

namespace torvel {
namespace {

namespace fs = std::filesystem;

// The desktop's own sound for a file we cannot find.
constexpr const char* kFallbackEvent = "dialog-warning";

bool IsFile(const fs::path& p) {
  std::error_code error;
  return fs::is_regular_file(p, error);
}

// The file to play as an absolute path, or empty when there is none.
std::string ResolveSoundFile(const std::string& fileName) {
  if (fileName.empty()) return {};
  const fs::path name(fileName);
  std::error_code error;
  if (IsFile(name)) {
    const auto absolute = fs::absolute(name, error);
    return error ? fileName : absolute.string();
  }
  // Only a bare name is also looked for beside the program.
  if (name.has_parent_path()) return {};
  const auto program = fs::read_symlink("/proc/self/exe", error);
  if (error) return {};
  const auto beside = program.parent_path() / name;
  return IsFile(beside) ? beside.string() : std::string();
}

class CanberraSound final : public SoundService {
 public:
  explicit CanberraSound(TraceLog& trace) : trace_(trace) {}

  ~CanberraSound() override {
    // Stops what still plays; the library stays loaded (it loads its own
    // back ends, which do not expect to be unloaded under them).
    if (context_ != nullptr) destroy_(context_);
  }
  CanberraSound(const CanberraSound&) = delete;
  CanberraSound& operator=(const CanberraSound&) = delete;

  void PlayFileAsync(const std::string& fileName) override {
    std::lock_guard lock(mutex_);
    if (!Ready()) return;
    const std::string path = ResolveSoundFile(fileName);
    // libcanberra decodes and plays on its own threads; this returns at once.
    const int result =
        path.empty() ? play_(context_, 0, CA_PROP_EVENT_ID, kFallbackEvent, nullptr)
                     : play_(context_, 0, CA_PROP_MEDIA_FILENAME, path.c_str(), nullptr);
    if (result != CA_SUCCESS && !playFailureTraced_) {
      // Usually no sound server; said once, as alerts may come every minute.
      playFailureTraced_ = true;
      trace_.DebugTrace("Cannot play %s: %s\n", path.empty() ? kFallbackEvent : path.c_str(),
                        ErrorText(result).c_str());
    }
  }

 private:
  // Loads the library and makes the context on first use, once.
  bool Ready() {
    if (context_ != nullptr) return true;
    if (gaveUp_) return false;
    gaveUp_ = true;

    void* library = dlopen("libcanberra.so.0", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
      trace_.DebugTrace("No sounds: %s\n", dlerror());
      return false;
    }
    create_ = reinterpret_cast<decltype(&ca_context_create)>(dlsym(library, "ca_context_create"));
    play_ = reinterpret_cast<decltype(&ca_context_play)>(dlsym(library, "ca_context_play"));
    destroy_ = reinterpret_cast<decltype(&ca_context_destroy)>(dlsym(library, "ca_context_destroy"));
    strerror_ = reinterpret_cast<decltype(&ca_strerror)>(dlsym(library, "ca_strerror"));
    if (create_ == nullptr || play_ == nullptr || destroy_ == nullptr) {
      trace_.DebugTrace("No sounds: libcanberra.so.0 lacks its functions\n");
      return false;
    }
    ca_context* context = nullptr;
    if (const int result = create_(&context); result != CA_SUCCESS) {
      trace_.DebugTrace("No sounds: %s\n", ErrorText(result).c_str());
      return false;
    }
    context_ = context;
    gaveUp_ = false;
    return true;
  }

  std::string ErrorText(int code) const {
    if (strerror_ != nullptr) return strerror_(code);
    return "error " + std::to_string(code);
  }

  TraceLog& trace_;
  std::mutex mutex_;
  decltype(&ca_context_create) create_ = nullptr;
  decltype(&ca_context_play) play_ = nullptr;
  decltype(&ca_context_destroy) destroy_ = nullptr;
  decltype(&ca_strerror) strerror_ = nullptr;
  ca_context* context_ = nullptr;
  bool gaveUp_ = false;
  bool playFailureTraced_ = false;
};

}  // namespace

std::unique_ptr<SoundService> MakeCanberraSound(TraceLog& trace) {
  return std::make_unique<CanberraSound>(trace);
}

}  // namespace torvel
