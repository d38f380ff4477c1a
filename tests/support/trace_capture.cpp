#include "support/trace_capture.h"

namespace torvel::test {

std::tm MakeTime(int year, int month, int day, int hour, int minute, int second) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  return t;
}

std::tm FixedTime() { return MakeTime(2007, 3, 5, 9, 4, 2); }

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
