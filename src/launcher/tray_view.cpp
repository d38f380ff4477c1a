#include "launcher/tray_view.h"

#include <QFont>

#include "launcher/tray_icons.h"

namespace torvel {
namespace {
constexpr int kFlashMs = 600;
// A panel may start after the launcher (autostart order is not fixed).
constexpr int kTrayProbeMs = 10000;
}  // namespace

TrayView::TrayView() {
  nextCheck_ = menu_.addAction(QString());
  nextCheck_->setEnabled(false);
  nextCheck_->setVisible(false);
  QAction* open = menu_.addAction(QStringLiteral("Open Torvel"), [this] {
    if (actions_.open) actions_.open();
  });
  QFont bold = open->font();
  bold.setBold(true);
  open->setFont(bold);
  menu_.addAction(QStringLiteral("Check disks now"), [this] {
    if (actions_.checkNow) actions_.checkNow();
  });
  menu_.addSeparator();
  menu_.addAction(QStringLiteral("Exit"), [this] {
    if (actions_.exit) actions_.exit();
  });

  icon_.setContextMenu(&menu_);
  bright_ = TrayIcon(state_);
  faint_ = TrayIcon(state_, true);
  icon_.setIcon(bright_);
  icon_.setToolTip(QStringLiteral("Torvel"));
  QObject::connect(&icon_, &QSystemTrayIcon::activated, [this](QSystemTrayIcon::ActivationReason why) {
    if ((why == QSystemTrayIcon::Trigger || why == QSystemTrayIcon::DoubleClick) && actions_.activated)
      actions_.activated();
  });
  flash_.setInterval(kFlashMs);
  QObject::connect(&flash_, &QTimer::timeout, [this] {
    dimmed_ = !dimmed_;
    icon_.setIcon(dimmed_ ? faint_ : bright_);
  });
  trayProbe_.setInterval(kTrayProbeMs);
  QObject::connect(&trayProbe_, &QTimer::timeout, [this] { ShowWhenTrayAppears(); });
  ShowWhenTrayAppears();
}

void TrayView::ShowWhenTrayAppears() {
  if (QSystemTrayIcon::isSystemTrayAvailable()) {
    trayProbe_.stop();
    icon_.show();
  } else if (!trayProbe_.isActive()) {
    trayProbe_.start();
  }
}

void TrayView::Show(TrayState state, const std::string& tooltip, bool flashing,
                    const std::string& nextCheck) {
  const bool iconChanged = state != state_ || flashing != flash_.isActive();
  if (state != state_) {
    bright_ = TrayIcon(state);
    faint_ = TrayIcon(state, true);
  }
  state_ = state;
  if (flashing && !flash_.isActive()) flash_.start();
  if (!flashing && flash_.isActive()) flash_.stop();
  if (!flashing) dimmed_ = false;
  if (iconChanged) icon_.setIcon(dimmed_ ? faint_ : bright_);
  const QString tip = QString::fromStdString(tooltip);
  if (icon_.toolTip() != tip) icon_.setToolTip(tip);
  nextCheck_->setText(QString::fromStdString(nextCheck));
  nextCheck_->setVisible(!nextCheck.empty());
}

std::string TrayView::Tooltip() const { return icon_.toolTip().toStdString(); }

}  // namespace torvel
