// The Qt desktop: QApplication, an EventLoop over Qt's, message boxes. Built
// as libtorvel-qtui.so and loaded by platform/desktop.cpp on first need.

#include <QAbstractButton>
#include <QPushButton>
#include <QApplication>
#include <QDesktopServices>
#include <QEventLoop>
#include <QMessageBox>
#include <QMetaObject>
#include <QObject>
#include <QSocketNotifier>
#include <QThread>
#include <QUrl>

#include <clocale>
#include <exception>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <type_traits>

#include "platform/codepage.h"
#include "platform/event_loop.h"
#include "platform/gui_module.h"
#include "platform/ui_services.h"

namespace torvel {
namespace {

namespace fs = std::filesystem;

// IDCANCEL: the main window was not shown.
constexpr int kMainWindowNotShown = 2;
constexpr unsigned kButtonsMask = 0xF;
constexpr unsigned kIconMask = 0xF0;
constexpr unsigned kIconQuestion = 0x20;

// Watches are socket notifiers and posted tasks are queued calls, so a
// nested Qt loop (a box's exec) serves them as well as RunUntil does.
class QtEventLoop final : public EventLoop {
 public:
  QtEventLoop() = default;
  ~QtEventLoop() override = default;
  QtEventLoop(const QtEventLoop&) = delete;
  QtEventLoop& operator=(const QtEventLoop&) = delete;

  void Watch(int fd, std::function<void()> ready) override {
    // A notifier belongs to its thread: other threads' watches are applied
    // on the loop's thread, in order.
    if (!OnLoopThread()) {
      Post([this, fd, ready = std::move(ready)]() mutable { Watch(fd, std::move(ready)); });
      return;
    }
    auto callback = std::make_shared<Callback>(std::move(ready));
    if (const auto it = watches_.find(fd); it != watches_.end()) {
      it->second.callback = std::move(callback);
      return;
    }
    Entry entry;
    entry.notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    entry.serial = ++lastSerial_;
    entry.callback = std::move(callback);
    QObject::connect(entry.notifier.get(), &QSocketNotifier::activated, &context_,
                     [this, fd] { Dispatch(fd); });
    watches_.emplace(fd, std::move(entry));
  }

  void Unwatch(int fd) override {
    if (!OnLoopThread()) {
      Post([this, fd] { Unwatch(fd); });
      return;
    }
    // Deleting a notifier inside its own activation is allowed by Qt: it
    // checks for that after emitting.
    watches_.erase(fd);
  }

  void Post(std::function<void()> task) override {
    QMetaObject::invokeMethod(&context_, std::move(task), Qt::QueuedConnection);
  }

  void RunUntil(const std::function<bool()>& done) override {
    // Blocks in the dispatcher while nothing happens, so idle costs no CPU.
    while (!done())
      QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  }

 private:
  using Callback = std::function<void()>;

  struct Entry {
    std::unique_ptr<QSocketNotifier> notifier;
    std::uint64_t serial = 0;  // tells a re-created watch from the one dispatched
    std::shared_ptr<Callback> callback;
  };

  bool OnLoopThread() const { return QThread::currentThread() == context_.thread(); }

  void Dispatch(int fd) {
    auto it = watches_.find(fd);
    if (it == watches_.end()) return;
    const std::uint64_t serial = it->second.serial;
    // The copy keeps the callback alive should it unwatch or replace itself.
    const std::shared_ptr<Callback> callback = it->second.callback;
    // Off while the callback runs: a nested loop inside it would otherwise
    // call it again and again for data it has not read yet.
    it->second.notifier->setEnabled(false);
    (*callback)();
    it = watches_.find(fd);
    if (it != watches_.end() && it->second.serial == serial) it->second.notifier->setEnabled(true);
  }

  // Receives the queued calls; they die with it.
  QObject context_;
  std::map<int, Entry> watches_;
  std::uint64_t lastSerial_ = 0;
};

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

class QtDesktopModule final : public GuiModule {
 public:
  explicit QtDesktopModule(GuiHost& host) : host_(host), app_(argc_, argv_) {
    // QApplication has just set every locale category from the environment;
    // the engine's "%.1f GB" must keep its full stop.
    std::setlocale(LC_NUMERIC, "C");
    QCoreApplication::setApplicationName(QStringLiteral("Torvel"));
  }
  ~QtDesktopModule() override = default;
  QtDesktopModule(const QtDesktopModule&) = delete;
  QtDesktopModule& operator=(const QtDesktopModule&) = delete;

  EventLoop& loop() override { return loop_; }

  int MessageBox(const std::string& text, const std::string& caption, unsigned style) override {
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

  int RunMainWindow(int) override {
    host_.Trace("The main window is not available yet\n");
    return kMainWindowNotShown;
  }

  void OpenHelpTopic(const std::string& topic) override {
    const auto page = HelpPage(topic);
    std::error_code error;
    if (!page || !fs::is_regular_file(*page, error)) {
      host_.Trace("No help page for " + topic + "\n");
      return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(page->string())));
  }

  std::optional<ShownBox> ActiveBox() override {
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

  bool AnswerActiveBox(int answer) override {
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

 private:
  GuiHost& host_;
  // QApplication keeps references to both for its whole life.
  int argc_ = 1;
  char arg0_[11] = "torvelCore";
  char* argv_[2] = {arg0_, nullptr};
  QApplication app_;
  // After app_: its QObjects go before the application does.
  QtEventLoop loop_;
};

}  // namespace
}  // namespace torvel

extern "C" __attribute__((visibility("default"))) torvel::GuiModule* TorvelCreateGuiModule(
    torvel::GuiHost& host) {
  if (QCoreApplication::instance() != nullptr) {
    host.Trace("The toolkit is already up in this process\n");
    return nullptr;
  }
  try {
    return new torvel::QtDesktopModule(host);
  } catch (const std::exception& e) {
    host.Trace(std::string("Cannot start the toolkit: ") + e.what() + "\n");
    return nullptr;
  }
}

static_assert(std::is_same_v<decltype(&TorvelCreateGuiModule), torvel::GuiModuleEntry>);
