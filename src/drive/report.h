// The plain-text S.M.A.R.T. report of one drive (Windows-1252, CR LF).
#pragma once

#include <ctime>
#include <string>

namespace torvel {

struct DriveTables;

// The report text without the banner, as of `now`.
std::string BuildReport(const DriveTables& tables, int driveNumber, const std::tm& now);

// The four banner lines that precede the report in a saved file.
std::string ReportBanner();

// "%s (SN %s) - REPORT.txt"
std::string DefaultReportFileName(const DriveTables& tables, int driveNumber);

}  // namespace torvel
