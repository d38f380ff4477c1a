#include "support/trace_capture.h"

namespace torvel::test {

std::tm FixedTime() {
  std::tm t{};
  t.tm_year = 107;
  t.tm_mon = 2;
  t.tm_mday = 5;
  t.tm_hour = 9;
  t.tm_min = 4;
  t.tm_sec = 2;
  return t;
}

std::vector<std::string> TraceCapture::Messages() const {
  const std::string stamp = "05.03.2007  09:04:02 : ";
  std::string text;
  for (char c : Text())
    if (c != '\r') text += c;
  std::vector<std::string> out;
  std::size_t at = 0;
  while ((at = text.find(stamp, at)) != std::string::npos) {
    const std::size_t begin = at + stamp.size();
    const std::size_t next = text.find(stamp, begin);
    out.push_back(text.substr(begin, next == std::string::npos ? std::string::npos : next - begin));
    at = begin;
  }
  return out;
}

}  // namespace torvel::test
