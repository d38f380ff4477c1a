// The fixed English date and time texts of the trace, the report and the
// windows. They never follow the user's locale.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace torvel {

// "%d.%m.%Y  %H:%M:%S : " — the prefix of every debug-trace line.
std::string FormatTraceStamp(const std::tm& t);

// "%d %B %Y %X" with English month names and a 24-hour clock.
std::string FormatReportDate(const std::tm& t);

// "%d %B %Y  %H:%M:%S :: " — the time-stamp line of a log-file entry.
std::string FormatLogStamp(const std::tm& t);

// "%d %B %Y  %H:%M:%S" — the date line of an alert mail's body.
std::string FormatMailDate(const std::tm& t);

// "%d %b %Y" — a projected T.E.C. date, e.g. "05 Mar 2007".
std::string FormatTecDate(const std::tm& t);

// "%d %b %Y  %H:%M:%S" — the main window's last and next check.
std::string FormatStatusLineTime(const std::tm& t);

// "%b %Y" — the month of a T.E.C. date in the attribute list.
std::string FormatTecMonth(const std::tm& t);

// "%d %B %Y" — the nearest T.E.C. date of the S.M.A.R.T. page.
std::string FormatNearestTecDate(const std::tm& t);

// "Mmm dd hh:mm:ss" — the RFC 3164 time stamp of a syslog message.
std::string FormatSyslogStamp(const std::tm& t);

std::tm LocalNow();
std::tm LocalTime(std::int64_t secondsSince1970);

}  // namespace torvel
