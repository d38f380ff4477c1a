#include "ui/layout_check.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOption>
#include <QTabBar>
#include <QTreeView>

#include <algorithm>

namespace torvel {
namespace {

QString Plain(QString text) {
  // Mnemonic marks take no room; "&&" shows one ampersand.
  text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
  text.remove(QLatin1Char('&'));
  text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
  return text;
}

std::string Name(const QWidget& w, const QString& text) {
  const QString id = w.objectName().isEmpty() ? QString::fromLatin1(w.metaObject()->className()) : w.objectName();
  return (id + QStringLiteral(" \"") + text + QStringLiteral("\"")).toStdString();
}

int WidestLine(const QFontMetrics& metrics, const QString& text) {
  int widest = 0;
  for (const QString& line : text.split(QLatin1Char('\n'))) widest = std::max(widest, metrics.horizontalAdvance(line));
  return widest;
}

// The width at which a word-wrapped label's text fits its height; its own
// width when no width up to twice as wide would do.
int WrapWidth(const QLabel& label) {
  int low = label.width();
  int high = 2 * label.width();
  if (label.heightForWidth(high) > label.height()) return low;
  while (low < high) {
    const int mid = (low + high) / 2;
    if (label.heightForWidth(mid) > label.height()) low = mid + 1;
    else high = mid;
  }
  return low;
}

void CheckLabel(QLabel& label, std::vector<ClippedText>& found) {
  if (label.text().isEmpty() || label.textFormat() == Qt::RichText || Qt::mightBeRichText(label.text())) return;
  // Only a label with a buddy takes '&' for a mnemonic.
  const QString text = label.buddy() != nullptr ? Plain(label.text()) : label.text();
  const QRect room = label.contentsRect().adjusted(label.margin(), label.margin(), -label.margin(), -label.margin());
  if (label.wordWrap()) {
    const int needed = label.heightForWidth(label.width());
    if (needed > label.height()) {
      // In widths when a wider label would hold it, else in heights.
      const int width = WrapWidth(label);
      if (width > label.width())
        found.push_back({Name(label, text) + " (height)", width, label.width(), &label, true});
      else
        found.push_back({Name(label, text) + " (height)", needed, label.height(), &label, false});
    }
    return;
  }
  const QFontMetrics metrics = label.fontMetrics();
  const int needed = WidestLine(metrics, text) + std::max(0, label.indent());
  if (needed > room.width())
    found.push_back({Name(label, text), needed + label.width() - room.width(), label.width(), &label, true});
  const int lines = static_cast<int>(text.count(QLatin1Char('\n'))) + 1;
  const int neededHeight = lines * metrics.height() - (lines > 1 ? 0 : metrics.descent() / 2);
  if (neededHeight > room.height() + 1) found.push_back({Name(label, text) + " (height)", neededHeight, room.height()});
}

void CheckButton(QAbstractButton& button, std::vector<ClippedText>& found) {
  const QString text = Plain(button.text());
  if (text.isEmpty()) return;
  const QFontMetrics metrics = button.fontMetrics();
  int needed = WidestLine(metrics, text);
  if (qobject_cast<const QCheckBox*>(&button) != nullptr || qobject_cast<const QRadioButton*>(&button) != nullptr) {
    QStyleOptionButton option;
    option.initFrom(&button);
    const bool check = qobject_cast<const QCheckBox*>(&button) != nullptr;
    const QStyle* style = button.style();
    needed += style->pixelMetric(check ? QStyle::PM_IndicatorWidth : QStyle::PM_ExclusiveIndicatorWidth, &option, &button) +
              style->pixelMetric(check ? QStyle::PM_CheckBoxLabelSpacing : QStyle::PM_RadioButtonLabelSpacing, &option, &button);
  } else {
    needed += 2 * button.style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, &button) / 2;
    if (!button.icon().isNull()) needed += button.iconSize().width() + 4;
  }
  if (needed > button.width())
    found.push_back({Name(button, text), needed, button.width(), &button, true});
}

void CheckGroup(QGroupBox& group, std::vector<ClippedText>& found) {
  const QString text = Plain(group.title());
  if (text.isEmpty()) return;
  QStyleOptionGroupBox option;
  option.initFrom(&group);
  option.text = group.title();
  option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
  if (group.isCheckable()) option.subControls |= QStyle::SC_GroupBoxCheckBox;
  const QRect label = group.style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, &group);
  const int needed = group.fontMetrics().horizontalAdvance(text);
  const int shown = std::min(label.width(), group.width() - label.left());
  if (needed > shown)
    found.push_back({Name(group, text), needed + group.width() - shown, group.width(), &group, true});
}

void CheckTabs(const QTabBar& tabs, std::vector<ClippedText>& found) {
  for (int i = 0; i < tabs.count(); ++i) {
    if (!tabs.isTabVisible(i)) continue;
    const QRect rect = tabs.tabRect(i);
    const QString text = Plain(tabs.tabText(i));
    if (rect.right() >= tabs.width() || rect.left() < 0)
      found.push_back({Name(tabs, text) + " (off the bar)", rect.right() + 1, tabs.width()});
    const int needed = tabs.fontMetrics().horizontalAdvance(text) + (tabs.tabIcon(i).isNull() ? 0 : tabs.iconSize().width());
    if (needed > rect.width()) found.push_back({Name(tabs, text), needed, rect.width()});
  }
}

void CheckColumns(const QTreeView& view, std::vector<ClippedText>& found) {
  const QAbstractItemModel* model = view.model();
  if (model == nullptr) return;
  const QHeaderView* header = view.header();
  for (int c = 0; c < model->columnCount(); ++c) {
    if (view.isColumnHidden(c) || header->sectionSize(c) == 0) continue;
    const int width = view.columnWidth(c);
    int needed = 0;
    QStyleOptionViewItem option;
    option.initFrom(&view);
    option.font = view.font();
    for (int r = 0; r < model->rowCount(); ++r) {
      const QModelIndex index = model->index(r, c);
      // Shortened on purpose: the whole text is its tooltip.
      if (view.textElideMode() == Qt::ElideMiddle && index.data(Qt::ToolTipRole) == index.data(Qt::DisplayRole))
        continue;
      needed = std::max(needed, view.itemDelegateForIndex(index)->sizeHint(option, index).width());
    }
    if (c == header->logicalIndex(0) && view.rootIsDecorated()) needed += view.indentation();
    if (needed > width) {
      found.push_back({Name(view, model->headerData(c, Qt::Horizontal).toString()) + " (cells)", needed, width});
    }
    if (!header->isHidden()) {
      const QString title = model->headerData(c, Qt::Horizontal).toString();
      const int titleNeeded = header->fontMetrics().horizontalAdvance(title) +
                              2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
      if (!title.isEmpty() && titleNeeded > width) found.push_back({Name(view, title) + " (title)", titleNeeded, width});
    }
  }
}

void CheckPlace(const QWidget& widget, const QWidget& window, std::vector<ClippedText>& found) {
  const QWidget* parent = widget.parentWidget();
  if (parent == nullptr || &widget == &window) return;
  const QRect inParent = widget.geometry();
  if (inParent.right() >= parent->width() + 1 || inParent.bottom() >= parent->height() + 1)
    found.push_back({Name(widget, QString()) + " (outside its parent)", inParent.right() + 1, parent->width()});
}

}  // namespace

std::vector<ClippedText> FindClippedTexts(const QWidget& window) {
  std::vector<ClippedText> found;
  const QList<QWidget*> children = window.findChildren<QWidget*>();
  for (QWidget* widget : children) {
    if (!widget->isVisibleTo(&window) || widget->isWindow()) continue;
    // The scroll bars and viewports of lists and the tab bar's own buttons
    // belong to those controls.
    if (qobject_cast<const QAbstractScrollArea*>(widget->parentWidget()) != nullptr &&
        qobject_cast<const QTreeView*>(widget) == nullptr)
      continue;
    // Rows' own buttons scroll with the rows.
    const QWidget* above = widget->parentWidget();
    if (above != nullptr && qobject_cast<const QAbstractScrollArea*>(above->parentWidget()) != nullptr) continue;
    CheckPlace(*widget, window, found);
    if (auto* label = qobject_cast<QLabel*>(widget)) CheckLabel(*label, found);
    else if (auto* group = qobject_cast<QGroupBox*>(widget)) CheckGroup(*group, found);
    else if (const auto* tabs = qobject_cast<const QTabBar*>(widget)) CheckTabs(*tabs, found);
    else if (const auto* tree = qobject_cast<const QTreeView*>(widget)) CheckColumns(*tree, found);
    else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
      if (qobject_cast<const QTabBar*>(button->parentWidget()) == nullptr) CheckButton(*button, found);
    }
  }
  return found;
}

std::string DescribeClipped(const std::vector<ClippedText>& found) {
  std::string text;
  for (const ClippedText& c : found)
    text += c.where + ": needs " + std::to_string(c.needed) + " px, has " + std::to_string(c.shown) + "\n";
  return text;
}

}  // namespace torvel
