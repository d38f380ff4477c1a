// The fixed English date and time texts of the trace and the report.
// They never follow the user's locale.
#pragma once

#include <ctime>
#include <string>

namespace torvel {

// "%d.%m.%Y  %H:%M:%S : " — the prefix of every debug-trace line.
std::string FormatTraceStamp(const std::tm& t);

// "%d %B %Y %X" with English month names and a 24-hour clock.
std::string FormatReportDate(const std::tm& t);

std::tm LocalNow();

}  // namespace torvel
