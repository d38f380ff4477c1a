#include "ui/controls/hyperlink_label.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProcess>
#include <QStandardPaths>

#include "ui/logic/about_logic.h"
#include "ui/qt_text.h"

namespace torvel {
namespace {

// When the desktop cannot open a link: the registered browser command,
// which on Linux is $BROWSER, cut before its "%1", with the URL as one more word.
// Run without a shell.
int OpenWithBrowserCommand(const QString& url) {
  const QString command = qEnvironmentVariable("BROWSER").trimmed();
  if (command.isEmpty()) return kLinkNoAssociation;
  QStringList words =
      QProcess::splitCommand(QString::fromStdString(CutBrowserCommand(command.toStdString())));
  if (words.isEmpty()) return kLinkFileNotFound;
  const QString program = words.takeFirst();
  words.append(url);
  if (QProcess::startDetached(program, words)) return kLinkOpened;
  const QString found =
      program.contains(QLatin1Char('/')) ? program : QStandardPaths::findExecutable(program);
  return !found.isEmpty() && QFileInfo::exists(found) ? kLinkAccessDenied : kLinkFileNotFound;
}

}  // namespace

CHyperLink::CHyperLink(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  ApplyLook();
}

void CHyperLink::Attach() {
  if (attached_) return;
  attached_ = true;
  if (url_.isEmpty()) url_ = text();
  if (text().isEmpty()) setText(url_);
  setToolTip(url_);
}

void CHyperLink::SetURL(const QString& url) {
  url_ = url;
  if (attached_) setToolTip(url_);
}

void CHyperLink::SetColours(QColor link, QColor visited) {
  link_ = link;
  visitedColour_ = visited;
  ApplyLook();
}

void CHyperLink::SetVisited(bool visited) {
  visited_ = visited;
  ApplyLook();
}

void CHyperLink::SetUnderline(bool underline) {
  underline_ = underline;
  ApplyLook();
}

void CHyperLink::SetLinkCursor(const QCursor& cursor) { setCursor(cursor); }

void CHyperLink::ApplyLook() {
  // Only the text colour and the underline are the label's own; font and
  // the rest of the palette still come from the window.
  QPalette colours;
  // The designed colours are for a light window; elsewhere the desktop's
  // link colours, kept readable on the window.
  const PaletteColours desktop = ColoursOf(colours);
  QColor shown = visited_ ? visitedColour_ : link_;
  if (!IsDesignedLight(desktop) && shown == (visited_ ? kDefaultVisited : kDefaultLink))
    shown = ToQColor(LinkColour(visited_, FromQColor(colours.color(QPalette::Window)), desktop));
  colours.setColor(QPalette::WindowText, shown);
  setPalette(colours);
  QFont underlined;
  underlined.setUnderline(underline_);
  setFont(underlined);
  update();
}

int CHyperLink::GotoURL(const QString& url) const {
  const QUrl link = QUrl::fromUserInput(url);
  const bool opened = opener_ ? opener_(link) : QDesktopServices::openUrl(link);
  return opened ? kLinkOpened : OpenWithBrowserCommand(url);
}

void CHyperLink::ReportError(int code) {
  QApplication::beep();
  QMessageBox box(QMessageBox::Warning, QStringLiteral("Torvel"),
                  QString::fromStdString(HyperlinkErrorMessage(code)), QMessageBox::Ok, window());
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

bool CHyperLink::event(QEvent* event) {
  if (event->type() == QEvent::Polish) Attach();
  // A theme switched while running.
  if (event->type() == QEvent::ApplicationPaletteChange) ApplyLook();
  return QLabel::event(event);
}

void CHyperLink::mousePressEvent(QMouseEvent* event) {
  pressed_ = event->button() == Qt::LeftButton;
  event->accept();
}

void CHyperLink::mouseReleaseEvent(QMouseEvent* event) {
  const bool click =
      pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
  pressed_ = false;
  event->accept();
  if (!click) return;
  Attach();
  const int result = GotoURL(url_);
  if (result > 32)
    SetVisited(true);
  else
    ReportError(result);
  Q_EMIT clickedLink(result);
}

}  // namespace torvel
