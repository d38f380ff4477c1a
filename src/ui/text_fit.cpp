#include "ui/text_fit.h"

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>

#include <algorithm>
#include <cmath>

#include "ui/layout_check.h"

namespace torvel {
namespace {

// Between a control and the next one on its line, as the designed layouts
// leave it (two dialog units).
constexpr int kFitGap = 3;

bool PlacedByHand(const QWidget& widget) {
  const QWidget* parent = widget.parentWidget();
  if (parent == nullptr || widget.isWindow()) return false;
  if (parent->layout() != nullptr && parent->layout()->indexOf(&widget) >= 0) return false;
  // These controls place their own parts.
  for (const QWidget* above = parent; above != nullptr && !above->isWindow(); above = above->parentWidget()) {
    if (qobject_cast<const QAbstractScrollArea*>(above) != nullptr || qobject_cast<const QTabBar*>(above) != nullptr ||
        qobject_cast<const QComboBox*>(above) != nullptr || qobject_cast<const QAbstractSpinBox*>(above) != nullptr)
      return false;
  }
  return qobject_cast<const QTabWidget*>(parent) == nullptr;
}

int FrameMargin(const QWidget& parent, const QRect& frame) {
  int margin = frame.width();
  for (const QObject* object : parent.children()) {
    const auto* inside = qobject_cast<const QWidget*>(object);
    if (inside == nullptr || inside->isWindow() || !inside->isVisibleTo(&parent)) continue;
    const QRect rect = inside->geometry();
    if (rect != frame && frame.contains(rect)) margin = std::min(margin, rect.left() - frame.left());
  }
  return margin;
}

// The first pixel column the control may not reach: the next control on its
// line, or the frame around it, or its parent's right margin (the left one
// mirrored). `next` gets that next control, if one is the limit.
int RightLimit(const QWidget& widget, QWidget** next = nullptr) {
  const QWidget& parent = *widget.parentWidget();
  const QRect own = widget.geometry();
  int leftMargin = own.left();
  int limit = parent.width();
  if (next != nullptr) *next = nullptr;
  for (QObject* object : parent.children()) {
    auto* other = qobject_cast<QWidget*>(object);
    if (other == nullptr || other == &widget || other->isWindow() || !other->isVisibleTo(&parent)) continue;
    const QRect rect = other->geometry();
    leftMargin = std::min(leftMargin, rect.left());
    if (rect.bottom() < own.top() || rect.top() > own.bottom()) continue;
    if (rect.contains(own)) {
      // A frame drawn around the control: keep inside it by the margin it
      // leaves on the left of what it holds.
      limit = std::min(limit, rect.right() + 1 - FrameMargin(parent, rect));
    } else if (rect.left() > own.left() && rect.left() - kFitGap < limit) {
      limit = rect.left() - kFitGap;
      if (next != nullptr) *next = other;
    }
  }
  const int margin = parent.width() - std::max(0, leftMargin);
  if (margin < limit && next != nullptr) *next = nullptr;
  return std::min(limit, margin);
}

// What a plain left-aligned one-line label's text takes; any other control
// keeps all of its width.
int UsedWidth(const QWidget& widget) {
  const auto* label = qobject_cast<const QLabel*>(&widget);
  if (label == nullptr || label->wordWrap() || label->textFormat() == Qt::RichText ||
      !(label->alignment() & Qt::AlignLeft) || !label->pixmap().isNull())
    return widget.width();
  const int frame = label->width() - label->contentsRect().width();
  return label->fontMetrics().horizontalAdvance(label->text()) + frame + 2 * label->margin() +
         std::max(0, label->indent()) + 1;
}

// Moves `widget` right by `amount` where the controls after it on its line
// make way: free room first, then the next control moving along (a few
// deep), or a label giving up room its text does not use. Nothing moves
// unless all of it fits.
bool MakeRoom(QWidget& widget, int amount, int depth) {
  QWidget* next = nullptr;
  const int room = RightLimit(widget, &next) - (widget.geometry().right() + 1);
  if (room >= amount || (depth > 0 && next != nullptr && PlacedByHand(*next) && MakeRoom(*next, amount - room, depth - 1))) {
    widget.move(widget.x() + amount, widget.y());
    return true;
  }
  if (widget.width() - amount >= UsedWidth(widget)) {
    widget.setGeometry(widget.x() + amount, widget.y(), widget.width() - amount, widget.height());
    return true;
  }
  return false;
}

constexpr int kFitDepth = 3;

// `found` holds only controls a wider width would help (Widenable).
void GrowInPlace(const std::vector<ClippedText>& found) {
  for (const ClippedText& clipped : found) {
    QWidget& widget = *clipped.widget;
    if (!PlacedByHand(widget)) continue;
    const int need = clipped.needed - clipped.shown;
    QWidget* next = nullptr;
    const int room = RightLimit(widget, &next) - (widget.geometry().right() + 1);
    // A label before a field: the field and what follows it move along.
    if (room >= need || (next != nullptr && PlacedByHand(*next) && MakeRoom(*next, need - room, kFitDepth)))
      widget.resize(widget.width() + need, widget.height());
  }
}

int Scaled(int x, double factor) { return static_cast<int>(std::lround(x * factor)); }

void Widen(QWidget& window, double factor) {
  // Every geometry first: resizing a parent may move its children.
  std::vector<std::pair<QWidget*, QRect>> placed;
  for (QWidget* widget : window.findChildren<QWidget*>()) {
    if (PlacedByHand(*widget)) placed.emplace_back(widget, widget->geometry());
  }
  const bool fixed = window.minimumWidth() == window.maximumWidth();
  const int width = Scaled(window.width(), factor);
  if (fixed) window.setFixedWidth(width);
  else window.resize(width, window.height());
  for (auto& [widget, rect] : placed) {
    const int left = Scaled(rect.left(), factor);
    widget->setGeometry(left, rect.top(), Scaled(rect.right() + 1, factor) - left, rect.height());
  }
}

std::vector<ClippedText> Widenable(const QWidget& window) {
  std::vector<ClippedText> found = FindClippedTexts(window);
  std::erase_if(found, [](const ClippedText& c) { return !c.wider || c.widget == nullptr; });
  return found;
}

}  // namespace

int FitTexts(QWidget& window, FitRoom room) {
  window.ensurePolished();
  std::vector<ClippedText> found = Widenable(window);
  if (found.empty()) return 0;
  GrowInPlace(found);
  found = Widenable(window);
  // A few rounds: widening changes what fits where, and word-wrapped texts
  // do not grow in proportion.
  for (int round = 0; room == FitRoom::kWiden && !found.empty() && round < 3; ++round) {
    double factor = 1.0;
    for (const ClippedText& c : found)
      factor = std::max(factor, static_cast<double>(c.needed + 1) / std::max(1, c.shown));
    Widen(window, std::min(factor, 2.0));
    found = Widenable(window);
    GrowInPlace(found);
    found = Widenable(window);
  }
  return static_cast<int>(found.size());
}

}  // namespace torvel
