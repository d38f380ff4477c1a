// Saving the S.M.A.R.T. text report of the selected drive.
#pragma once

#include <QString>

#include <string>

class QWidget;

namespace torvel {

struct MainWindowEnv;
struct TextTable;
class TraceLog;

// Creates (or empties) `path` and writes `bytes` unchanged. A file that
// cannot be created gets nothing written and no box: the trace says so.
bool WriteReportFile(const QString& path, const std::string& bytes, TraceLog& trace);

// Asks where to save the report of the drive in Options/Selected drive (a
// save dialog with the report's default name, filters from `texts` — the
// SMARTInfoTab table — and a question before overwriting) and writes the
// banner and the report there. The current folder is left as it was.
void SaveReport(QWidget* parent, MainWindowEnv& env, const TextTable& texts);

}  // namespace torvel
