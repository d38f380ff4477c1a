#include "ui/qt_ui_services.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include <filesystem>
#include <system_error>

#include "base/codepage.h"
#include "ui/logic/about_logic.h"

namespace torvel {
namespace {

namespace fs = std::filesystem;

constexpr unsigned kButtonsMask = 0xF;
constexpr unsigned kIconMask = 0xF0;

QString FromCp1252(const std::string& text) { return QString::fromStdString(Cp1252ToUtf8(text)); }

// Windows line breaks to the one Qt lays out.
std::string UnixBreaks(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      out += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

QMessageBox::Icon IconFor(unsigned style) {
  switch (style & kIconMask) {
    case kMbIconError: return QMessageBox::Critical;
    case kMbIconQuestion: return QMessageBox::Question;
    case kMbIconWarning: return QMessageBox::Warning;
    case kMbIconInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

unsigned StyleOfIcon(QMessageBox::Icon icon) {
  switch (icon) {
    case QMessageBox::Critical: return kMbIconError;
    case QMessageBox::Question: return kMbIconQuestion;
    case QMessageBox::Warning: return kMbIconWarning;
    case QMessageBox::Information: return kMbIconInformation;
    default: return 0;
  }
}

int AnswerOf(int button) {
  switch (button) {
    case QMessageBox::Yes: return kIdYes;
    case QMessageBox::No: return kIdNo;
    case QMessageBox::Ok: return kIdOk;
    default: return 0;
  }
}

fs::path ProgramFolder() {
  std::error_code error;
  const auto program = fs::read_symlink("/proc/self/exe", error);
  return error ? fs::path() : program.parent_path();
}

}  // namespace

int QtUiServices::MessageBox(const std::string& text, const std::string& caption, unsigned style) {
  QMessageBox box;
  box.setWindowTitle(FromCp1252(caption));
  // Alert texts hold drive names and paths, never markup.
  box.setTextFormat(Qt::PlainText);
  box.setText(FromCp1252(UnixBreaks(text)));
  box.setIcon(IconFor(style));
  const bool yesNo = (style & kButtonsMask) == kMbYesNo;
  // The answer that changes nothing is the default and the Escape key.
  const auto safe = yesNo ? QMessageBox::No : QMessageBox::Ok;
  box.setStandardButtons(yesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok);
  box.setDefaultButton(safe);
  box.setEscapeButton(safe);
  box.setWindowModality(Qt::ApplicationModal);
  if ((style & kMbSystemModal) != 0) box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
  const int answer = AnswerOf(box.exec());
  return answer != 0 ? answer : AnswerOf(safe);
}

void QtUiServices::OpenHelpTopic(const std::string& topic) {
  // As the help library that could not be loaded: silent for the rest of
  // the run.
  if (helpFailed_) return;
  const fs::path folder = helpFolder_.empty() ? ProgramFolder() / "help" : fs::path(helpFolder_);
  std::error_code error;
  if (!fs::is_directory(folder, error)) {
    helpFailed_ = true;
    trace_("No help folder " + folder.string() + ": help requests are ignored\n");
    return;
  }
  const auto page = HelpPageOfTopic(topic);
  if (!page || !fs::is_regular_file(folder / Cp1252ToUtf8(*page), error)) {
    trace_("No help page for " + topic + "\n");
    return;
  }
  const std::string path = (folder / Cp1252ToUtf8(*page)).string();
  const QUrl url = QUrl::fromLocalFile(QString::fromStdString(path));
  const bool opened = openHelp_ ? openHelp_(path) : QDesktopServices::openUrl(url);
  if (!opened) {
    helpFailed_ = true;
    trace_("Help pages cannot be opened on this desktop: help requests are ignored\n");
  }
}

std::optional<ShownBox> ActiveQtBox() {
  const auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
  if (box == nullptr) return std::nullopt;
  ShownBox shown;
  shown.title = box->windowTitle().toStdString();
  shown.text = box->text().toStdString();
  shown.style = (box->standardButtons() & QMessageBox::Yes) ? kMbYesNo : kMbOk;
  shown.style |= StyleOfIcon(box->icon());
  if (box->windowModality() == Qt::ApplicationModal &&
      box->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
    shown.style |= kMbSystemModal;
  if (box->defaultButton() != nullptr)
    shown.defaultAnswer = AnswerOf(box->standardButton(box->defaultButton()));
  return shown;
}

bool AnswerActiveQtBox(int answer) {
  auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
  if (box == nullptr) return false;
  const auto which = answer == kIdYes  ? QMessageBox::Yes
                     : answer == kIdNo ? QMessageBox::No
                     : answer == kIdOk ? QMessageBox::Ok
                                       : QMessageBox::NoButton;
  QAbstractButton* button = box->button(which);
  if (button == nullptr) return false;
  button->click();
  return true;
}

}  // namespace torvel
