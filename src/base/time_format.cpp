#include "base/time_format.h"

#include <array>
#include <cstdio>

namespace torvel {
namespace {
constexpr std::array<const char*, 12> kMonths = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};

const char* Month(const std::tm& t) {
  return kMonths[static_cast<std::size_t>(t.tm_mon < 0 ? 0 : (t.tm_mon > 11 ? 11 : t.tm_mon))];
}
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
                Month(t), t.tm_year + 1900,
                t.tm_hour, t.tm_min, t.tm_sec);
  return buf;
}

std::string FormatLogStamp(const std::tm& t) {
  char buf[80];
  std::snprintf(buf, sizeof buf, "%02d %s %04d  %02d:%02d:%02d :: ", t.tm_mday, Month(t), t.tm_year + 1900,
                t.tm_hour, t.tm_min, t.tm_sec);
  return buf;
}

std::string FormatMailDate(const std::tm& t) {
  char buf[80];
  std::snprintf(buf, sizeof buf, "%02d %s %04d  %02d:%02d:%02d", t.tm_mday, Month(t), t.tm_year + 1900,
                t.tm_hour, t.tm_min, t.tm_sec);
  return buf;
}

std::string FormatTecDate(const std::tm& t) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%02d %.3s %04d", t.tm_mday, Month(t), t.tm_year + 1900);
  return buf;
}

std::string FormatStatusLineTime(const std::tm& t) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%02d %.3s %04d  %02d:%02d:%02d", t.tm_mday, Month(t),
                t.tm_year + 1900, t.tm_hour, t.tm_min, t.tm_sec);
  return buf;
}

std::string FormatTecMonth(const std::tm& t) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.3s %04d", Month(t), t.tm_year + 1900);
  return buf;
}

std::string FormatNearestTecDate(const std::tm& t) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%02d %s %04d", t.tm_mday, Month(t), t.tm_year + 1900);
  return buf;
}

std::string FormatSyslogStamp(const std::tm& t) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.3s %2d %02d:%02d:%02d", Month(t), t.tm_mday, t.tm_hour, t.tm_min,
                t.tm_sec);
  return buf;
}

std::tm LocalTime(std::int64_t secondsSince1970) {
  const auto when = static_cast<std::time_t>(secondsSince1970);
  std::tm t{};
  localtime_r(&when, &t);
  return t;
}

std::tm LocalNow() {
  std::time_t now = std::time(nullptr);
  std::tm t{};
  localtime_r(&now, &t);
  return t;
}

}  // namespace torvel
