#include "ui/controls/button_st.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEnterEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QTextDocument>
#include <QToolTip>
#include <QUrl>

#include <algorithm>

#include "ui/controls/artwork.h"
#include "ui/controls/classic_draw.h"
#include "ui/controls/theme_wrapper.h"
#include "ui/tab_page.h"

namespace torvel {
namespace {

constexpr int kMaxUrl = 260;
constexpr int kMaxTipWidth = 400;
constexpr int kIconSize = 16;
// Space between the picture or the edge and the text.
constexpr int kMargin = 4;

// A tip as the tooltip control shows it: its own line breaks, and wrapped
// at kMaxTipWidth when a line is wider.
QString TipMarkup(const QString& text, const QFont& font) {
  QString plain = text;
  plain.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  plain.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  const QFontMetrics metrics(font);
  int widest = 0;
  for (const QString& line : plain.split(QLatin1Char('\n')))
    widest = std::max(widest, metrics.horizontalAdvance(line));
  if (widest <= kMaxTipWidth && !Qt::mightBeRichText(plain)) return plain;
  QString html = plain.toHtmlEscaped();
  html.replace(QLatin1Char('\n'), QLatin1String("<br>"));
  if (widest <= kMaxTipWidth) return QStringLiteral("<p style=\"white-space:pre\">%1</p>").arg(html);
  return QStringLiteral("<table width=\"%1\"><tr><td>%2</td></tr></table>").arg(kMaxTipWidth).arg(html);
}

}  // namespace

CButtonST::CButtonST(QWidget* parent) : QPushButton(parent) {
  setMouseTracking(true);
  setFlat(true);
  connect(this, &QPushButton::clicked, this, &CButtonST::OnClicked);
}

CButtonST::~CButtonST() = default;

void CButtonST::SetIcon(int hoverIcon, int restIcon) {
  const QSize own(kIconSize, kIconSize);
  hoverPicture_ = {ArtIcon(hoverIcon), own};
  restPicture_ = restIcon != 0 ? Picture{ArtIcon(restIcon), own} : Picture{};
  updateGeometry();
  update();
}

void CButtonST::SetBitmaps(int hoverBitmap, QColor hoverTransparent, int restBitmap, QColor restTransparent) {
  const auto picture = [](int resource, QColor transparent) {
    const QPixmap bitmap = ArtBitmap(resource, transparent);
    return bitmap.isNull() ? Picture{} : Picture{ArtBitmapIcon(resource, transparent), bitmap.deviceIndependentSize().toSize()};
  };
  hoverPicture_ = picture(hoverBitmap, hoverTransparent);
  restPicture_ = restBitmap != 0 ? picture(restBitmap, restTransparent) : Picture{};
  updateGeometry();
  update();
}

void CButtonST::SetTooltipText(const QString& text, bool activate) {
  tooltip_ = text;
  tooltipActive_ = activate;
  // A picture button's only words are its tooltip; a screen reader needs
  // them even where tooltips are switched off.
  if (this->text().isEmpty()) setAccessibleName(QString(text).replace(QLatin1Char('\n'), QLatin1Char(' ')).trimmed());
  if (!activate && underMouse()) QToolTip::hideText();
}

void CButtonST::ActivateTooltip(bool activate) {
  tooltipActive_ = activate;
  if (!activate && underMouse()) QToolTip::hideText();
}

void CButtonST::SetTooltipDisplayTime(int milliseconds) { tooltipTime_ = milliseconds; }

void CButtonST::SetURL(const QString& url) { url_ = url.left(kMaxUrl); }

void CButtonST::SetMenu(QMenu* menu, bool rightAligned) {
  menu_ = menu;
  menuRightAligned_ = rightAligned;
  update();
}

void CButtonST::SetDrawBorder(bool draw, bool always) {
  drawBorder_ = draw;
  borderAlways_ = always;
  update();
}

void CButtonST::SetTheme(const ThemeWrapper* theme) {
  theme_ = theme;
  update();
}

void CButtonST::SetAlwaysTrack(bool always) { alwaysTrack_ = always; }

void CButtonST::SetCheckBox(bool checkBox) {
  setCheckable(checkBox);
  update();
}

void CButtonST::SetColour(ColourState state, QColor background, QColor text) {
  colours_[static_cast<std::size_t>(state)] = {background, text};
  update();
}

void CButtonST::SetDefaultColours() {
  colours_ = {};
  update();
}

void CButtonST::SetBtnCursor(int resource) {
  if (resource == 0)
    unsetCursor();
  else
    setCursor(ArtCursor(resource));
}

void CButtonST::OnClicked() {
  // Check-box mode: Qt has toggled the state; the paint shows it.
  if (isCheckable()) return;
  if (menu_ != nullptr) {
    menuShowing_ = true;
    repaint();
    QPoint at(0, height());
    if (menuRightAligned_) at.setX(width() - menu_->sizeHint().width());
    const QAction* chosen = menu_->exec(mapToGlobal(at));
    menuShowing_ = false;
    update();
    bool number = false;
    const int id = chosen != nullptr ? chosen->data().toInt(&number) : 0;
    if (!number) return;
    // The command goes to the page the menu belongs to, as a WM_COMMAND
    // would; the page may rebuild its controls, this button among them.
    TabPage* page = nullptr;
    for (QWidget* owner = menu_ != nullptr ? menu_->parentWidget() : nullptr;
         owner != nullptr && page == nullptr; owner = owner->parentWidget())
      page = qobject_cast<TabPage*>(owner);
    const QPointer<CButtonST> alive(this);
    if (page != nullptr) page->OnCommand(id);
    if (alive) Q_EMIT menuCommand(id);
    return;
  }
  // As the shell's "open" with its error interface off: no message.
  if (!url_.isEmpty()) QDesktopServices::openUrl(QUrl::fromUserInput(url_));
}

bool CButtonST::Pressed() const { return isDown() || menuShowing_ || (isCheckable() && isChecked()); }

const CButtonST::Picture& CButtonST::Shown() const {
  if (hover_ || Pressed() || restPicture_.isNull()) return hoverPicture_;
  return restPicture_;
}

QColor CButtonST::Background() const {
  const auto& in = colours_[kColourIn];
  const auto& focus = colours_[kColourFocus];
  const auto& out = colours_[kColourOut];
  QColor chosen = hover_ || Pressed() ? in.background : hasFocus() ? focus.background : out.background;
  return chosen.isValid() ? chosen : palette().color(QPalette::Button);
}

QColor CButtonST::TextColour() const {
  if (!isEnabled()) return palette().color(QPalette::Disabled, QPalette::ButtonText);
  const auto& in = colours_[kColourIn];
  const auto& focus = colours_[kColourFocus];
  const auto& out = colours_[kColourOut];
  QColor chosen = hover_ || Pressed() ? in.text : hasFocus() ? focus.text : out.text;
  return chosen.isValid() ? chosen : palette().color(QPalette::ButtonText);
}

void CButtonST::DrawClassicFace(QPainter& painter, bool pressed) {
  const QRect area = rect();
  painter.fillRect(area, Background());
  if (!drawBorder_) return;
  const QColor highlight = palette().color(QPalette::Light);
  const QColor shadow = palette().color(QPalette::Dark);
  if (!isFlat()) {
    // A push button that is not flat always shows its frame.
    if (pressed)
      Draw3dRect(painter, area, shadow, highlight);
    else
      Draw3dRect(painter, area, highlight, shadow);
    return;
  }
  if (pressed)
    Draw3dRect(painter, area, shadow, highlight);
  else if (hover_ || borderAlways_)
    Draw3dRect(painter, area, highlight, shadow);
}

void CButtonST::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect area = rect();
  const bool pressed = Pressed();

  paintedThemed_ = false;
  if (theme_ != nullptr && theme_->IsAppThemed()) {
    if (const ThemeWrapper::Theme theme = theme_->OpenThemeData(this, "BUTTON")) {
      const int state = PushButtonThemeState(!isEnabled(), pressed, hover_, isDefault());
      theme_->DrawThemeParentBackground(this, painter, area);
      theme_->DrawThemeBackground(theme, painter, kBpPushButton, state, area, nullptr, this);
      theme_->CloseThemeData(theme);
      paintedThemed_ = true;
    }
  }
  if (!paintedThemed_) DrawClassicFace(painter, pressed);

  const int shift = pressed ? 1 : 0;
  const Picture& picture = Shown();
  const QString caption = text();
  int textLeft = area.left() + kMargin;
  if (!picture.isNull()) {
    const QSize size = picture.size;
    const int x = caption.isEmpty() ? (area.width() - size.width()) / 2 : kMargin;
    const int y = (area.height() - size.height()) / 2;
    const QIcon::Mode mode = isEnabled() ? QIcon::Normal : QIcon::Disabled;
    picture.icon.paint(&painter, QRect(QPoint(x + shift, y + shift), size), Qt::AlignCenter, mode);
    textLeft = x + size.width() + kMargin;
  }
  if (!caption.isEmpty()) {
    painter.setPen(TextColour());
    QRect textArea(textLeft + shift, area.top() + shift, area.right() - kMargin - textLeft + 1,
                   area.height());
    if (picture.isNull()) textArea = area.adjusted(shift, shift, shift, shift);
    painter.drawText(textArea, Qt::AlignCenter | Qt::TextShowMnemonic | Qt::TextSingleLine, caption);
  }
  // The focus shows only when it came from the keyboard.
  if (hasFocus() && keyboardFocus_) {
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = area.adjusted(3, 3, -3, -3);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
  }
}

QSize CButtonST::sizeHint() const {
  const QFontMetrics metrics(font());
  const QSize picture = Shown().isNull() ? QSize() : Shown().size;
  int w = 2 * kMargin + picture.width();
  if (!text().isEmpty()) w += metrics.horizontalAdvance(text()) + (picture.isEmpty() ? 0 : kMargin);
  const int h = std::max(picture.height(), metrics.height()) + 2 * kMargin;
  return {w, h};
}

void CButtonST::StartHover() {
  // Flat buttons only, and only while a window of the program is active.
  if (hover_ || !isFlat()) return;
  if (!alwaysTrack_ && QApplication::activeWindow() == nullptr) return;
  hover_ = true;
  update();
}

void CButtonST::ClearHover() {
  if (!hover_) return;
  hover_ = false;
  update();
}

void CButtonST::enterEvent(QEnterEvent* event) {
  // A drag that enters with the button held does not start the hover state.
  if (!(event->buttons() & Qt::LeftButton)) StartHover();
  QPushButton::enterEvent(event);
}

void CButtonST::leaveEvent(QEvent* event) {
  ClearHover();
  QPushButton::leaveEvent(event);
}

void CButtonST::mouseMoveEvent(QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton) && rect().contains(event->position().toPoint())) StartHover();
  QPushButton::mouseMoveEvent(event);
}

void CButtonST::mouseDoubleClickEvent(QMouseEvent* event) {
  // A double click is a second single press.
  mousePressEvent(event);
}

void CButtonST::focusInEvent(QFocusEvent* event) {
  keyboardFocus_ = event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason ||
                   event->reason() == Qt::ShortcutFocusReason;
  QPushButton::focusInEvent(event);
}

void CButtonST::focusOutEvent(QFocusEvent* event) {
  keyboardFocus_ = false;
  ClearHover();
  QPushButton::focusOutEvent(event);
}

void CButtonST::changeEvent(QEvent* event) {
  if (event->type() == QEvent::EnabledChange && !isEnabled()) {
    ClearHover();
    // Qt moves the focus on as the button is disabled; should it still be
    // here, it goes to the next control or to the parent.
    if (hasFocus()) {
      if (QWidget* next = nextInFocusChain(); next != nullptr && next != this && next->isEnabled())
        next->setFocus(Qt::TabFocusReason);
      else if (parentWidget() != nullptr)
        parentWidget()->setFocus(Qt::OtherFocusReason);
    }
  } else if (event->type() == QEvent::ActivationChange && !isActiveWindow()) {
    ClearHover();
  } else if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange) {
    // System colours changed: everything is drawn from the palette anew.
    update();
  }
  QPushButton::changeEvent(event);
}

bool CButtonST::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    if (tooltipActive_ && !tooltip_.isEmpty())
      QToolTip::showText(help->globalPos(), TipMarkup(tooltip_, QToolTip::font()), this, rect(),
                         tooltipTime_);
    else
      QToolTip::hideText();
    return true;
  }
  return QPushButton::event(event);
}

}  // namespace torvel
