// The icon button every window uses: a picture for hover and one for rest,
// its own tooltip, and optionally a link or a menu it opens when clicked.
// Flat by default: no frame at rest, a raised frame while the mouse is over
// it, a sunken one while it is pressed. With the theme wrapper and visual
// styles active the style draws the face instead.
#pragma once

#include <QColor>
#include <QIcon>
#include <QMenu>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QSize>
#include <QString>

#include <array>

namespace torvel {

class ThemeWrapper;

class CButtonST : public QPushButton {
  Q_OBJECT

 public:
  // The three colour pairs, by the state they are used in.
  enum ColourState { kColourOut = 0, kColourIn = 1, kColourFocus = 2 };

  explicit CButtonST(QWidget* parent = nullptr);
  ~CButtonST() override;

  // Artwork numbers: the first shows while hovered or pressed, the second
  // otherwise; with no second the first shows always. Icons show in their
  // own size (16 x 16).
  void SetIcon(int hoverIcon, int restIcon = 0);
  // As SetIcon, with bitmaps whose `transparent` colour is left out.
  void SetBitmaps(int hoverBitmap, QColor hoverTransparent, int restBitmap = 0,
                  QColor restTransparent = QColor());
  // Line breaks ("\r\n" too) stay; a tip wider than 400 pixels wraps.
  void SetTooltipText(const QString& text, bool activate = true);
  void ActivateTooltip(bool activate);
  // How long a shown tip stays up; -1 is Qt's default.
  void SetTooltipDisplayTime(int milliseconds);
  // At most 260 characters; opened by the desktop when clicked, failures
  // unreported.
  void SetURL(const QString& url);
  // The menu opens below the button when it is clicked, its left edge at
  // the button's left edge or, right-aligned, its right edge at the
  // button's right edge. The chosen action's data, when it is a number, is
  // the command: it goes to OnCommand of the page the menu belongs to (the
  // menu's parent or one of its ancestors) and is sent as menuCommand(id)
  // for owners that are not pages. The button does not own the menu.
  void SetMenu(QMenu* menu, bool rightAligned = false);
  // `always`: the frame shows at rest too.
  void SetDrawBorder(bool draw, bool always = false);
  // nullptr: the classic face always.
  void SetTheme(const ThemeWrapper* theme);
  // Hover also while no window of the application is active.
  void SetAlwaysTrack(bool always);
  // Check-box mode: a click toggles the checked state, shown pressed.
  void SetCheckBox(bool checkBox);
  // An invalid colour goes back to the palette's button face or text.
  void SetColour(ColourState state, QColor background, QColor text);
  void SetDefaultColours();
  // The cursor over the button (144: the link cursor); 0 for none.
  void SetBtnCursor(int resource);

  bool hovered() const { return hover_; }
  const QString& url() const { return url_; }
  const QString& tooltipText() const { return tooltip_; }
  bool tooltipActive() const { return tooltipActive_; }
  int tooltipDisplayTime() const { return tooltipTime_; }
  QMenu* buttonMenu() const { return menu_; }
  bool menuShowing() const { return menuShowing_; }
  bool drawBorder() const { return drawBorder_; }
  bool borderAlways() const { return borderAlways_; }
  // Whether the last paint took the themed face.
  bool paintedThemed() const { return paintedThemed_; }

  QSize sizeHint() const override;

 Q_SIGNALS:
  void menuCommand(int id);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool event(QEvent* event) override;

 private:
  struct Picture {
    QIcon icon;
    QSize size;
    bool isNull() const { return icon.isNull(); }
  };
  struct Colours {
    QColor background;
    QColor text;
  };

  void OnClicked();
  void StartHover();
  void ClearHover();
  bool Pressed() const;
  const Picture& Shown() const;
  QColor Background() const;
  QColor TextColour() const;
  void DrawClassicFace(QPainter& painter, bool pressed);

  Picture hoverPicture_;
  Picture restPicture_;
  std::array<Colours, 3> colours_{};
  bool hover_ = false;
  bool alwaysTrack_ = false;
  bool drawBorder_ = true;
  bool borderAlways_ = false;
  bool menuShowing_ = false;
  bool keyboardFocus_ = false;
  bool paintedThemed_ = false;
  bool tooltipActive_ = false;
  int tooltipTime_ = -1;
  QString tooltip_;
  QString url_;
  QPointer<QMenu> menu_;
  bool menuRightAligned_ = false;
  const ThemeWrapper* theme_ = nullptr;
};

}  // namespace torvel
