// The tab control of the main window: it owns the five pages, places them
// below the tabs and switches between them.
#pragma once

#include <QTabBar>
#include <QWidget>

#include <array>
#include <memory>

#include "ui/logic/main_window_logic.h"
#include "ui/tab_page.h"

namespace torvel {

class CTabHost final : public QWidget, private PageHost {
  Q_OBJECT

 public:
  // `window` receives the hide request, the language change and the page
  // refresh's tooltip switch.
  class Window {
   public:
    virtual void HideRequested() = 0;
    virtual void LanguageChanged() = 0;
    virtual void ApplyTooltipSetting() = 0;

   protected:
    ~Window() = default;
  };

  CTabHost(MainWindowEnv& env, PageDialogs& dialogs, Window& window, QWidget* parent);
  ~CTabHost() override;

  QTabBar* tabBar() const { return tabs_; }
  TabPage* page(int index) const;
  int current() const { return current_; }

  // Shows the page `index`; an index that names no page is ignored.
  void SwitchTo(int index);
  // Pages 0 to 4 reload for the selected drive, then the window's tooltips
  // follow Options/ShowToolTips.
  void RefreshPages() override;
  // Message 1152 to every page.
  void ReloadPageTexts();
  // Places the pages in the control (after a resize or a relabel).
  void PlacePages();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void PageCancelled() override;
  void PageLanguageChanged() override;

  MainWindowEnv& env_;
  Window& window_;
  PageContext context_;
  QTabBar* tabs_;
  std::array<TabPage*, kPageCount> pages_{};
  int current_ = 0;
};

}  // namespace torvel
