#include "ui/controls/button_st.h"

#include <QBitmap>
#include <QDesktopServices>
#include <QEnterEvent>
#include <QHelpEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QToolTip>
#include <QUrl>

#include "ui/controls/artwork.h"

namespace torvel {
namespace {

constexpr int kMaxUrl = 260;

QPixmap WithoutColour(QPixmap picture, QColor transparent) {
  if (picture.isNull() || !transparent.isValid()) return picture;
  picture.setMask(picture.createMaskFromColor(transparent, Qt::MaskInColor));
  return picture;
}

QPixmap IconPicture(int resource) {
  const QIcon icon = ArtIcon(resource);
  if (icon.isNull()) return {};
  const QList<QSize> sizes = icon.availableSizes();
  return icon.pixmap(sizes.isEmpty() ? QSize(16, 16) : sizes.first());
}

}  // namespace

CButtonST::CButtonST(QWidget* parent) : QPushButton(parent) {
  setMouseTracking(true);
  setFlat(true);
  connect(this, &QPushButton::clicked, this, &CButtonST::OnClicked);
}

CButtonST::~CButtonST() = default;

void CButtonST::SetIcon(int hoverIcon, int restIcon) {
  hoverPicture_ = IconPicture(hoverIcon);
  restPicture_ = restIcon != 0 ? IconPicture(restIcon) : QPixmap();
  update();
}

void CButtonST::SetBitmaps(int hoverBitmap, QColor hoverTransparent, int restBitmap,
                           QColor restTransparent) {
  hoverPicture_ = WithoutColour(ArtBitmap(hoverBitmap), hoverTransparent);
  restPicture_ = restBitmap != 0 ? WithoutColour(ArtBitmap(restBitmap), restTransparent) : QPixmap();
  update();
}

void CButtonST::SetTooltipText(const QString& text, bool activate) {
  tooltip_ = text;
  tooltipActive_ = activate;
}

void CButtonST::ActivateTooltip(bool activate) { tooltipActive_ = activate; }

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

void CButtonST::OnClicked() {
  if (menu_ != nullptr) {
    menuShowing_ = true;
    update();
    QPoint at = rect().bottomLeft();
    if (menuRightAligned_) at.rx() = rect().right() - menu_->sizeHint().width();
    menu_->exec(mapToGlobal(at));
    menuShowing_ = false;
    update();
    return;
  }
  // No message on failure: the desktop's own error handling is left out.
  if (!url_.isEmpty()) QDesktopServices::openUrl(QUrl(url_));
}

QPixmap CButtonST::Picture() const {
  const bool active = hover_ || isDown() || menuShowing_;
  if (active || restPicture_.isNull()) return hoverPicture_;
  return restPicture_;
}

void CButtonST::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect area = rect();
  const bool pressed = isDown() || menuShowing_;
  painter.fillRect(area, palette().button());
  if (drawBorder_ && (hover_ || pressed || borderAlways_)) {
    const QColor light = palette().light().color();
    const QColor dark = palette().dark().color();
    const QColor topLeft = pressed ? dark : light;
    const QColor bottomRight = pressed ? light : dark;
    painter.setPen(topLeft);
    painter.drawLine(area.topLeft(), area.topRight());
    painter.drawLine(area.topLeft(), area.bottomLeft());
    painter.setPen(bottomRight);
    painter.drawLine(area.bottomLeft(), area.bottomRight());
    painter.drawLine(area.topRight(), area.bottomRight());
  }
  const QPixmap picture = Picture();
  const QString caption = text();
  const int shift = pressed ? 1 : 0;
  if (!picture.isNull()) {
    const QSizeF size = picture.deviceIndependentSize();
    const int w = static_cast<int>(size.width());
    const int h = static_cast<int>(size.height());
    const int x = caption.isEmpty() ? (area.width() - w) / 2 : 4;
    QPixmap shown = picture;
    if (!isEnabled()) {
      QIcon disabled(picture);
      shown = disabled.pixmap(QSize(w, h), QIcon::Disabled);
    }
    painter.drawPixmap(x + shift, (area.height() - h) / 2 + shift, shown);
  }
  if (!caption.isEmpty()) {
    painter.setPen(isEnabled() ? palette().buttonText().color()
                               : palette().color(QPalette::Disabled, QPalette::ButtonText));
    QRect textArea = area.adjusted(shift, shift, shift, shift);
    if (!picture.isNull()) textArea.setLeft(textArea.left() + picture.width() + 6);
    painter.drawText(textArea, Qt::AlignCenter | Qt::TextShowMnemonic, caption);
  }
  if (hasFocus()) {
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = area.adjusted(3, 3, -3, -3);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
  }
}

void CButtonST::enterEvent(QEnterEvent* event) {
  // A drag that enters with the button held does not start the hover state.
  if (!(event->buttons() & Qt::LeftButton) && !hover_) {
    hover_ = true;
    update();
  }
  QPushButton::enterEvent(event);
}

void CButtonST::leaveEvent(QEvent* event) {
  ClearHover();
  QPushButton::leaveEvent(event);
}

void CButtonST::mouseMoveEvent(QMouseEvent* event) {
  if (!hover_ && !(event->buttons() & Qt::LeftButton) && rect().contains(event->position().toPoint())) {
    hover_ = true;
    update();
  }
  QPushButton::mouseMoveEvent(event);
}

void CButtonST::focusOutEvent(QFocusEvent* event) {
  ClearHover();
  QPushButton::focusOutEvent(event);
}

void CButtonST::changeEvent(QEvent* event) {
  if (event->type() == QEvent::EnabledChange && !isEnabled()) {
    ClearHover();
    if (hasFocus()) {
      // Pass the focus on rather than leave it on a dead control.
      if (QWidget* next = nextInFocusChain(); next != nullptr && next != this) next->setFocus();
      else if (parentWidget() != nullptr) parentWidget()->setFocus();
    }
  } else if (event->type() == QEvent::ActivationChange && !isActiveWindow()) {
    ClearHover();
  }
  QPushButton::changeEvent(event);
}

bool CButtonST::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    if (tooltipActive_ && !tooltip_.isEmpty())
      QToolTip::showText(help->globalPos(), tooltip_, this, rect(), tooltipTime_);
    else
      QToolTip::hideText();
    return true;
  }
  return QPushButton::event(event);
}

void CButtonST::ClearHover() {
  if (!hover_) return;
  hover_ = false;
  update();
}

}  // namespace torvel
