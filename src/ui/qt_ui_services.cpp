#include "ui/qt_ui_services.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include <filesystem>
#include <system_error>

#include "platform/codepage.h"

namespace torvel {
namespace {

namespace fs = std::filesystem;

constexpr unsigned kButtonsMask = 0xF;
constexpr unsigned kIconMask = 0xF0;
constexpr unsigned kIconQuestion = 0x20;

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
    case kIconQuestion: return QMessageBox::Question;
    case kMbIconWarning: return QMessageBox::Warning;
    case kMbIconInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

unsigned StyleOfIcon(QMessageBox::Icon icon) {
  switch (icon) {
    case QMessageBox::Critical: return kMbIconError;
    case QMessageBox::Question: return kIconQuestion;
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

// "Torvel Help.chm::\html\Languges.htm" -> <program folder>/help/html/Languges.htm;
// nothing for a topic that would leave the help folder.
std::optional<fs::path> HelpPage(const std::string& topic) {
  const auto at = topic.find("::");
  std::string page = Cp1252ToUtf8(at == std::string::npos ? topic : topic.substr(at + 2));
  for (char& c : page)
    if (c == '\\') c = '/';
  const fs::path relative = fs::path(page).relative_path();
  if (relative.empty()) return std::nullopt;
  for (const auto& part : relative)
    if (part == "..") return std::nullopt;
  return ProgramFolder() / "help" / relative;
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
  const auto page = HelpPage(topic);
  std::error_code error;
  if (!page || !fs::is_regular_file(*page, error)) {
    trace_("No help page for " + topic + "\n");
    return;
  }
  QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(page->string())));
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
