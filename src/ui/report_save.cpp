#include "ui/report_save.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>

#include "config/language.h"
#include "config/settings.h"
#include "drive/drive_tables.h"
#include "drive/report.h"
#include "base/debug_trace.h"
#include "base/time_format.h"
#include "platform/main_window_env.h"
#include "ui/qt_text.h"

namespace torvel {
namespace {

constexpr int kTextFileKey = 25;
constexpr int kAllFilesKey = 26;

}  // namespace

bool WriteReportFile(const QString& path, const std::string& bytes, TraceLog& trace) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    trace.DebugTrace("SaveReport - cannot create %s: %s\n", path.toLocal8Bit().constData(),
                     file.errorString().toLocal8Bit().constData());
    return false;
  }
  const auto size = static_cast<qint64>(bytes.size());
  if (file.write(bytes.data(), size) != size) {
    trace.DebugTrace("SaveReport - cannot write %s: %s\n", path.toLocal8Bit().constData(),
                     file.errorString().toLocal8Bit().constData());
    return false;
  }
  return true;
}

void SaveReport(QWidget* parent, MainWindowEnv& env, const TextTable& texts) {
  const QString folder = QDir::currentPath();
  int drive = settings::SelectedDrive(env.store);
  if (drive < 0 || drive >= kMaxDrives) drive = 0;
  const std::string report = BuildReport(env.tables, drive, LocalTime(env.now()));

  QFileDialog dialog(parent);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  // Qt's own dialog everywhere: it asks before overwriting on every desktop.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setDefaultSuffix(QStringLiteral("txt"));
  dialog.setNameFilters({ToQt(texts.Text(kTextFileKey)) + QStringLiteral(" (*.txt)"),
                         ToQt(texts.Text(kAllFilesKey)) + QStringLiteral(" (*)")});
  dialog.selectFile(ToQt(DefaultReportFileName(env.tables, drive)));
  if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
    WriteReportFile(dialog.selectedFiles().first(), ReportBanner() + report, env.trace);
  QDir::setCurrent(folder);
}

}  // namespace torvel
