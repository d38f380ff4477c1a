#include "ui/log_page.h"

#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QScrollBar>

#include <filesystem>

#include "config/settings.h"
#include "base/debug_trace.h"
#include "platform/ui_services.h"
#include "ui/controls/artwork.h"
#include "ui/controls/button_st.h"
#include "ui/logic/log_logic.h"
#include "ui/qt_text.h"

namespace torvel {

CLogPage::CLogPage(PageContext& context, QWidget* parent) : TabPage(context, "LogTab", parent) {
  const DialogUnits du(LogicalDpi(this));
  frame_ = new QGroupBox(this);
  frame_->setGeometry(du.Rect(2, 0, 308, 133));
  text_ = new QPlainTextEdit(this);
  text_->setObjectName(QStringLiteral("logText"));
  text_->setReadOnly(true);
  text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  text_->setGeometry(du.Rect(8, 10, 296, 104));
  textTop_ = text_->y();
  clear_ = new CButtonST(this);
  clear_->setObjectName(QStringLiteral("clearLog"));
  clear_->setGeometry(du.Rect(270, 117, 16, 12));
  saveAs_ = new CButtonST(this);
  saveAs_->setObjectName(QStringLiteral("saveLogAs"));
  saveAs_->setGeometry(du.Rect(288, 117, 16, 12));
  connect(clear_, &QPushButton::clicked, this, &CLogPage::OnClear);
  connect(saveAs_, &QPushButton::clicked, this, &CLogPage::OnSaveAs);

  LoadTexts();
  clear_->SetIcon(kIconClearLog);
  saveAs_->SetIcon(kIconSaveLogAs);
  ApplyTooltips();
  ShowLog();
}

std::string CLogPage::HelpTopic() const { return kLogHelpTopic; }

void CLogPage::ReloadTexts() {
  LoadTexts();
  ApplyTooltips();
}

void CLogPage::ApplyTooltips() {
  clear_->SetTooltipText(Text(1));
  saveAs_->SetTooltipText(Text(2));
  // No label shows above the log; the save dialog's word for it names it.
  text_->setAccessibleName(Text(4));
}

void CLogPage::Fill() {
  ShowLog();
  ScrollToEnd();
}

void CLogPage::showEvent(QShowEvent* event) {
  TabPage::showEvent(event);
  ShowLog();
  ScrollToEnd();
}

void CLogPage::hideEvent(QHideEvent* event) {
  TabPage::hideEvent(event);
  ShowLog();
  ScrollToEnd();
}

void CLogPage::resizeEvent(QResizeEvent* event) {
  TabPage::resizeEvent(event);
  const LogPageGeometry g =
      LayoutLogPage(height(), frame_->y(), textTop_, clear_->height(), LogicalDpi(this));
  frame_->resize(frame_->width(), g.frameHeight);
  text_->setGeometry(text_->x(), g.textTop, text_->width(), g.textHeight);
  clear_->move(clear_->x(), g.buttonTop);
  saveAs_->move(saveAs_->x(), g.buttonTop);
}

void CLogPage::ShowLog() {
  // Logging switched off: the box greys out and keeps what it shows.
  if (settings::LogEnable(context_.env.store) == 0) {
    text_->setEnabled(false);
    return;
  }
  text_->setEnabled(true);
  if (std::optional<std::string> bytes = ReadLogText(kLogFileName)) SetText(std::move(*bytes));
}

void CLogPage::SetText(std::string bytes) {
  shown_ = std::move(bytes);
  text_->setPlainText(ToQt(shown_));
}

void CLogPage::ScrollToEnd() {
  QScrollBar* bar = text_->verticalScrollBar();
  bar->setValue(bar->maximum());
}

void CLogPage::OnSaveAs() {
  if (shown_.empty()) return;
  QFileDialog dialog(this, QString(), QStringLiteral("torvel.log"),
                     QStringLiteral("%1 (*.log);;%2 (*)").arg(Text(4), Text(5)));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(QStringLiteral("log"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const std::string file = QFile::encodeName(dialog.selectedFiles().first()).toStdString();
  if (!WriteLogCopy(file, shown_))
    context_.env.trace.DebugTrace("Cannot save the log file as %s\n", file.c_str());
}

void CLogPage::OnClear() {
  if (shown_.empty()) return;
  MainWindowEnv& env = context_.env;
  if (env.ui.MessageBox(texts_.Text(3), "Torvel", kMbYesNo | kMbIconQuestion) != kIdYes) return;
  const std::filesystem::path file = kLogFileName;
  if (const std::error_code error = DeleteFileIfPresent(file)) {
    std::error_code ec;
    ShowCannotDelete(env.ui, std::filesystem::absolute(file, ec), error);
    return;
  }
  SetText({});
}

}  // namespace torvel
