// The hyperlink label: a text in the link colour (the visited colour once
// opened), underlined unless told otherwise, that opens its URL when
// clicked and reports a link it cannot open with a beep and a box. Tab
// reaches it, Enter or Space opens it, and screen readers meet a link.
#pragma once

#include <QColor>
#include <QCursor>
#include <QLabel>
#include <QString>
#include <QUrl>

#include <functional>

namespace torvel {

class CHyperLink : public QLabel {
  Q_OBJECT

 public:
  // The desktop's way of opening a link (QDesktopServices::openUrl unless
  // replaced); false when it could not.
  using DesktopOpener = std::function<bool(const QUrl&)>;

  explicit CHyperLink(QWidget* parent = nullptr);

  // Also the tooltip, once the label is attached.
  void SetURL(const QString& url);
  void SetColours(QColor link, QColor visited);
  void SetVisited(bool visited);
  void SetUnderline(bool underline);
  void SetLinkCursor(const QCursor& cursor);
  void SetDesktopOpener(DesktopOpener opener) { opener_ = std::move(opener); }

  // As the label is first polished: the window text becomes the URL when
  // none is set, the URL the text when the text is empty, and the URL the
  // tooltip. Later calls do nothing.
  void Attach();

  // Opens `url`: the desktop first, then the BROWSER command (see
  // about_logic.h for the codes). Above 32 is success.
  int GotoURL(const QString& url) const;
  // What a click does: opens the URL, turns the link visited or reports the
  // failure, and emits clickedLink.
  void Activate();

  const QString& url() const { return url_; }
  bool visited() const { return visited_; }
  bool underline() const { return underline_; }
  QColor linkColour() const { return link_; }
  QColor visitedColour() const { return visitedColour_; }

 Q_SIGNALS:
  // After a click, with the result of GotoURL.
  void clickedLink(int result);

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void ApplyLook();
  void ReportError(int code);

  static inline const QColor kDefaultLink{0, 0, 238};
  static inline const QColor kDefaultVisited{85, 26, 139};
  QColor link_ = kDefaultLink;
  QColor visitedColour_ = kDefaultVisited;
  bool visited_ = false;
  bool underline_ = true;
  bool attached_ = false;
  bool pressed_ = false;
  QString url_;
  DesktopOpener opener_;
};

}  // namespace torvel
