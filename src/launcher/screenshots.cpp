#include "launcher/screenshots.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QStyleOption>
#include <QStylePainter>
#include <QToolTip>

#include <algorithm>
#include <cstdio>

#include "monitor/schedule.h"
#include "launcher/tray_icons.h"
#include "launcher/tray_view.h"

namespace torvel {
namespace {

// What two drives look like in the status summary after a check in which
// one of them changed.
constexpr const char* kSampleSummary =
    "Disk ST3500418AS, 500.1 GB, S/N:5VM1ABCD\n[SMART OK. ]\n--\n"
    "Disk WDC WD10EADS-00L5B1, 1000.2 GB, S/N:WD-WCAV51234567\n[ 1 SMART attribute changed. SMART OK. ]";
constexpr const char* kSampleNextCheck = "Next check: 08 Dec 2026  14:30:00";

constexpr int kPanelHeight = 30;
constexpr int kIconSize = 22;
constexpr int kMargin = 12;

// The tooltip as Qt draws it: its palette, font and panel.
class TipLabel final : public QLabel {
 public:
  explicit TipLabel(const QString& text) : QLabel(text) {
    setPalette(QToolTip::palette());
    setFont(QToolTip::font());
    setMargin(1 + style()->pixelMetric(QStyle::PM_ToolTipLabelFrameWidth, nullptr, this));
    setContentsMargins(4, 3, 4, 3);
    // Not adjustSize(): a window is kept within 2/3 of the (small,
    // offscreen) screen.
    resize(sizeHint());
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    QStylePainter p(this);
    QStyleOptionFrame frame;
    frame.initFrom(this);
    p.drawPrimitive(QStyle::PE_PanelTipLabel, frame);
    p.end();
    QLabel::paintEvent(event);
  }
};

// A desktop corner: a panel along the top with a few neighbours and the
// launcher's icon at `iconX`, and `popup` hanging below the icon.
QImage Scene(const QImage& popup, TrayState state) {
  const QSize popupSize = popup.deviceIndependentSize().toSize();
  const int width = std::max(popupSize.width() + 2 * kMargin + 120, 420);
  const int height = kPanelHeight + static_cast<int>(popup.deviceIndependentSize().height()) + 2 * kMargin;
  const qreal ratio = qApp->devicePixelRatio();
  QImage image(QSize(width, height) * ratio, QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(ratio);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient desk(0, 0, 0, height);
  desk.setColorAt(0, QColor(0x3b, 0x52, 0x6b));
  desk.setColorAt(1, QColor(0x5d, 0x7a, 0x94));
  p.fillRect(image.rect(), desk);
  p.fillRect(QRect(0, 0, width, kPanelHeight), QColor(0x23, 0x27, 0x2e));

  const int iconX = width - kMargin - 3 * (kIconSize + 10);
  const int iconY = (kPanelHeight - kIconSize) / 2;
  // Neighbours in the tray, kept plain so the eye goes to ours.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x9a, 0xa3, 0xad));
  for (int i = 1; i <= 2; ++i)
    p.drawRoundedRect(QRectF(iconX + i * (kIconSize + 10) + 3, iconY + 3, kIconSize - 6, kIconSize - 6), 4, 4);
  p.setPen(QColor(0xdd, 0xe2, 0xe8));
  p.setFont(QApplication::font());
  p.drawText(QRect(kMargin, 0, 200, kPanelHeight), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Tue 14:05"));
  p.drawPixmap(iconX, iconY, TrayIcon(state).pixmap(QSize(kIconSize, kIconSize), ratio));

  const int popupX =
      std::clamp(iconX + kIconSize / 2 - popupSize.width() / 2, kMargin, width - popupSize.width() - kMargin);
  p.drawImage(popupX, kPanelHeight + 4, popup);
  return image;
}

// The four states side by side, large and at tray size, with their names.
QImage IconSheet() {
  constexpr int kLarge = 64;
  constexpr int kCell = 120;
  const TrayState states[] = {TrayState::Ok, TrayState::Changed, TrayState::Bad, TrayState::Unknown};
  const char* labels[] = {"OK", "changed", "bad (T.E.C.)", "no report yet"};
  const qreal ratio = qApp->devicePixelRatio();
  const QSize size(kCell * 4, kLarge + kIconSize + 3 * kMargin + 20);
  QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(ratio);
  image.fill(QColor(0xf4, 0xf6, 0xf8));
  QPainter p(&image);
  p.setFont(QApplication::font());
  p.setPen(QColor(0x33, 0x3a, 0x42));
  for (int i = 0; i < 4; ++i) {
    const int x = i * kCell;
    const QIcon icon = TrayIcon(states[i]);
    p.drawPixmap(x + (kCell - kLarge) / 2, kMargin, icon.pixmap(QSize(kLarge, kLarge), ratio));
    p.drawPixmap(x + (kCell - kIconSize) / 2, 2 * kMargin + kLarge, icon.pixmap(QSize(kIconSize, kIconSize), ratio));
    p.drawText(QRect(x, 3 * kMargin + kLarge + kIconSize - 6, kCell, 24), Qt::AlignCenter,
               QString::fromLatin1(labels[i]));
  }
  return image;
}

bool Save(const QImage& image, const std::filesystem::path& file) {
  if (image.save(QString::fromStdString(file.string()), "PNG")) return true;
  std::fprintf(stderr, "Torvel: cannot write %s\n", file.c_str());
  return false;
}

}  // namespace

int RenderScreenshots(const std::filesystem::path& folder) {
  const TrayState state = TrayStateOf(kSampleSummary, "SMART reported CRITICAL");
  TrayView view;
  view.Show(state, TooltipText(kSampleSummary, true), false, kSampleNextCheck);

  QMenu& menu = view.Menu();
  menu.ensurePolished();
  menu.adjustSize();
  const QImage menuImage = menu.grab().toImage();

  TipLabel tip(QString::fromStdString(view.Tooltip()));
  const QImage tipImage = tip.grab().toImage();

  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  const bool ok = Save(Scene(menuImage, state), folder / "launcher-menu.png") &&
                  Save(Scene(tipImage, state), folder / "launcher-tooltip.png") &&
                  Save(IconSheet(), folder / "launcher-icons.png");
  return ok ? 0 : 1;
}

}  // namespace torvel
