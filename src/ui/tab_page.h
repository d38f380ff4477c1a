// A page of the main window's tab control, and what pages reach: the
// application's objects, the tab host and the dialogs they open.
#pragma once

#include <QWidget>

#include <string>

#include "config/language.h"
#include "platform/main_window_env.h"

namespace torvel {

// What a page asks of the tab host that holds it.
class PageHost {
 public:
  // Escape inside a page: the main window hides (ends with OK).
  virtual void PageCancelled() = 0;
  // The preferences page changed the language: every window relabels.
  virtual void PageLanguageChanged() = 0;
  // Reload the pages for the drive now in Options/Selected drive.
  virtual void RefreshPages() = 0;

 protected:
  ~PageHost() = default;
};

// The settings dialogs and views the pages open, each modal over `owner`.
class PageDialogs {
 public:
  virtual void OpenDriveProperties(QWidget* owner) = 0;
  // The per-attribute notification settings of attribute slot `slot` of the
  // selected drive.
  virtual void OpenAttributeSettings(QWidget* owner, int slot) = 0;
  virtual void OpenQuickView(QWidget* owner) = 0;
  virtual void OpenRawView(QWidget* owner) = 0;
  virtual void OpenMailSettings(QWidget* owner) = 0;

 protected:
  ~PageDialogs() = default;
};

struct PageContext {
  MainWindowEnv& env;
  PageHost& host;
  PageDialogs& dialogs;
};

class TabPage : public QWidget {
  Q_OBJECT

 public:
  // `section` names the page's language section.
  TabPage(PageContext& context, const char* section, QWidget* parent);

  // Reloads what the page shows for the selected drive (the tab host's
  // page refresh). Pages that show no drive data ignore it.
  virtual void Fill() {}
  // Message 1152: reload the section and relabel.
  virtual void ReloadTexts() = 0;
  // The page's help topic (F1).
  virtual std::string HelpTopic() const = 0;
  // A command from one of the page's buttons or menus (WM_COMMAND); false
  // when the page has no such command.
  virtual bool OnCommand(int id);

 Q_SIGNALS:
  // Every command the page carries out, as it starts; tests watch it.
  void commandSent(int id);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  // Loads the page's section into texts_.
  void LoadTexts();
  QString Text(int key) const;
  // The drive in Options/Selected drive, 0 when out of range.
  int SelectedDrive() const;

  PageContext& context_;
  const char* section_;
  TextTable texts_;
};

}  // namespace torvel
