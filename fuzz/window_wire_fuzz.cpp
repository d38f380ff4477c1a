// A window-message request from another process, fed in pieces as the
// socket delivers it, and a name entry of the runtime folder. A complete
// request must re-encode to exactly its bytes; a request judged complete or
// malformed must be judged the same with more bytes after it never
// accepted; a prefix of a complete request must ask for more.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/window_wire.h"

using namespace torvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  WindowMessage whole;
  const wire::Parse verdict = wire::ParseRequest(bytes, whole);
  if (verdict == wire::Parse::kComplete) {
    if (wire::EncodeRequest(whole) != bytes) __builtin_trap();
    if (!wire::Fits(whole)) __builtin_trap();
    // Every proper prefix is still incomplete (or already broken).
    for (std::size_t n = 0; n < size; n += 1 + n / 4) {
      WindowMessage part;
      if (wire::ParseRequest(bytes.substr(0, n), part) == wire::Parse::kComplete) __builtin_trap();
    }
  }
  if (verdict == wire::Parse::kMalformed) {
    WindowMessage longer;
    if (wire::ParseRequest(std::string(bytes) + "x", longer) != wire::Parse::kMalformed)
      __builtin_trap();
  }

  if (const auto entry = wire::ParseNameEntry(bytes)) {
    if (wire::NameEntry(entry->key, entry->created, entry->handle) != bytes) __builtin_trap();
  }
  return 0;
}
