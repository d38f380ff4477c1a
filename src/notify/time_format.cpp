#include "notify/time_format.h"

#include <array>
#include <cstdio>

namespace torvel {
namespace {
constexpr std::array<const char*, 12> kMonths = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};

int Clamp(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }
}  // namespace

std::string FormatTraceStamp(const std::tm& t) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%02d.%02d.%04d  %02d:%02d:%02d : ", t.tm_mday, t.tm_mon + 1,
                t.tm_year + 1900, t.tm_hour, t.tm_min, t.tm_sec);
  return buf;
}

std::string FormatReportDate(const std::tm& t) {
  char buf[80];
  std::snprintf(buf, sizeof buf, "%02d %s %04d %02d:%02d:%02d", t.tm_mday,
                kMonths[static_cast<std::size_t>(Clamp(t.tm_mon, 0, 11))], t.tm_year + 1900,
                t.tm_hour, t.tm_min, t.tm_sec);
  return buf;
}

std::tm LocalNow() {
  std::time_t now = std::time(nullptr);
  std::tm t{};
  localtime_r(&now, &t);
  return t;
}

}  // namespace torvel
