// The icon button every window uses: a picture for hover and one for rest,
// its own tooltip, and optionally a link or a menu it opens when clicked.
#pragma once

#include <QColor>
#include <QIcon>
#include <QMenu>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QString>


namespace torvel {

class ThemeWrapper;

class CButtonST : public QPushButton {
  Q_OBJECT

 public:
  explicit CButtonST(QWidget* parent = nullptr);
  ~CButtonST() override;

  // Artwork numbers: the first shows while hovered or pressed, the second
  // otherwise; with no second the first shows always.
  void SetIcon(int hoverIcon, int restIcon = 0);
  // As SetIcon, with bitmaps whose `transparent` colour is left out.
  void SetBitmaps(int hoverBitmap, QColor hoverTransparent, int restBitmap = 0,
                  QColor restTransparent = QColor());
  void SetTooltipText(const QString& text, bool activate = true);
  void ActivateTooltip(bool activate);
  void SetTooltipDisplayTime(int milliseconds);
  // At most 260 characters; opened maximised by the desktop when clicked.
  void SetURL(const QString& url);
  // The menu opens below the button when it is clicked; its actions carry
  // their command ids as data and are handled by the menu's owner. The
  // button does not own the menu.
  void SetMenu(QMenu* menu, bool rightAligned = false);
  void SetDrawBorder(bool draw, bool always = false);
  void SetTheme(const ThemeWrapper* theme);

  bool hovered() const { return hover_; }
  const QString& url() const { return url_; }
  const QString& tooltipText() const { return tooltip_; }
  bool tooltipActive() const { return tooltipActive_; }
  QMenu* buttonMenu() const { return menu_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void OnClicked();
  void ClearHover();
  QPixmap Picture() const;

  QPixmap hoverPicture_;
  QPixmap restPicture_;
  bool hover_ = false;
  bool drawBorder_ = true;
  bool borderAlways_ = false;
  bool menuShowing_ = false;
  bool tooltipActive_ = false;
  int tooltipTime_ = -1;
  QString tooltip_;
  QString url_;
  QPointer<QMenu> menu_;
  bool menuRightAligned_ = false;
  const ThemeWrapper* theme_ = nullptr;
};

}  // namespace torvel
