// The tray icon and its menu. It shows what the launcher decides and hands
// the menu's commands back; without a system tray it keeps the same state
// unseen, so the launcher runs the same way on a server.
#pragma once

#include <QAction>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>

#include <functional>
#include <string>

#include "monitor/schedule.h"

namespace torvel {

struct TrayActions {
  std::function<void()> open;
  std::function<void()> checkNow;
  std::function<void()> exit;
  std::function<void()> activated;  // the icon itself was clicked
};

class TrayView {
 public:
  TrayView();
  TrayView(const TrayView&) = delete;
  TrayView& operator=(const TrayView&) = delete;

  void SetActions(TrayActions actions) { actions_ = std::move(actions); }
  // `nextCheck` is the menu's first, informative line ("" hides it).
  void Show(TrayState state, const std::string& tooltip, bool flashing, const std::string& nextCheck);
  // The tooltip as the icon holds it, UTF-8.
  std::string Tooltip() const;
  TrayState State() const { return state_; }
  QMenu& Menu() { return menu_; }

 private:
  void ShowWhenTrayAppears();

  TrayActions actions_;
  QMenu menu_;
  QAction* nextCheck_ = nullptr;
  QSystemTrayIcon icon_;
  QIcon bright_;
  QIcon faint_;  // the other frame of a flashing icon
  QTimer flash_;
  QTimer trayProbe_;
  bool dimmed_ = false;
  TrayState state_ = TrayState::Unknown;
};

}  // namespace torvel
