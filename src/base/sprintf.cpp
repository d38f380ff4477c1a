#include "base/sprintf.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace torvel {

std::string Sprintf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string out = VSprintf(format, args);
  va_end(args);
  return out;
}

std::string VSprintf(const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  const int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string out;
  if (n > 0) {
    std::vector<char> buf(static_cast<std::size_t>(n) + 1);
    std::vsnprintf(buf.data(), buf.size(), format, args);
    out.assign(buf.data(), static_cast<std::size_t>(n));
  }
  return out;
}

}  // namespace torvel
