#include "ui/controls/hyperlink_label.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

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

// A label to the toolkit, a link to a screen reader: its role, its text as
// the name, the address as the value, and the press action a click runs.
class HyperlinkAccessible final : public QAccessibleWidget {
 public:
  explicit HyperlinkAccessible(CHyperLink* link) : QAccessibleWidget(link, QAccessible::Link) {}

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) return Link()->text();
    if (t == QAccessible::Value) return Link()->url();
    return QAccessibleWidget::text(t);
  }
  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    s.linked = true;
    s.traversed = Link()->visited();
    return s;
  }
  QStringList actionNames() const override { return {pressAction()}; }
  void doAction(const QString& name) override {
    if (name == pressAction()) Link()->Activate();
  }

 private:
  CHyperLink* Link() const { return static_cast<CHyperLink*>(widget()); }
};

QAccessibleInterface* HyperlinkAccessibleFactory(const QString& key, QObject* object) {
  auto* link = qobject_cast<CHyperLink*>(object);
  if (link == nullptr || key != QLatin1String(link->metaObject()->className())) return nullptr;
  return new HyperlinkAccessible(link);
}

}  // namespace

CHyperLink::CHyperLink(QWidget* parent) : QLabel(parent) {
  static const bool factoryInstalled = (QAccessible::installFactory(HyperlinkAccessibleFactory), true);
  (void)factoryInstalled;
  setTextFormat(Qt::PlainText);
  setFocusPolicy(Qt::StrongFocus);
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

void CHyperLink::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (event->modifiers() == Qt::NoModifier &&
      (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space)) {
    event->accept();
    Activate();
    return;
  }
  QLabel::keyPressEvent(event);
}

void CHyperLink::paintEvent(QPaintEvent* event) {
  QLabel::paintEvent(event);
  if (!hasFocus()) return;
  // The focus frame hugs the text, where a click would land.
  QStylePainter painter(this);
  QStyleOptionFocusRect focus;
  focus.initFrom(this);
  const QRect text = fontMetrics().boundingRect(contentsRect(), static_cast<int>(alignment()), this->text());
  focus.rect = text.adjusted(-1, 0, 1, 0).intersected(rect());
  painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
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
  if (click) Activate();
}

void CHyperLink::Activate() {
  Attach();
  const int result = GotoURL(url_);
  if (result > 32)
    SetVisited(true);
  else
    ReportError(result);
  Q_EMIT clickedLink(result);
}

}  // namespace torvel
