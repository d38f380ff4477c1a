// A tab host and dialogs for page tests: they record what a page asked for.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/tab_page.h"

namespace torvel::test {

class RecordingPageHost final : public PageHost {
 public:
  void PageCancelled() override { ++cancels; }
  void PageLanguageChanged() override { ++languageChanges; }
  void RefreshPages() override { ++refreshes; }
  int cancels = 0;
  int languageChanges = 0;
  int refreshes = 0;
};

class RecordingDialogs final : public PageDialogs {
 public:
  void OpenDriveProperties(QWidget* owner) override { Open("properties", owner); }
  void OpenAttributeSettings(QWidget* owner, int slot) override {
    Open("attribute " + std::to_string(slot), owner);
    if (onAttribute) onAttribute();
  }
  void OpenQuickView(QWidget* owner) override { Open("quick", owner); }
  void OpenRawView(QWidget* owner) override { Open("raw", owner); }
  void OpenMailSettings(QWidget* owner) override { Open("mail", owner); }

  // In order: "properties", "attribute <slot>", "quick", "raw", "mail".
  std::vector<std::string> opened;
  std::vector<QWidget*> owners;
  // Runs while the attribute dialog would be open (to change the store).
  std::function<void()> onAttribute;

 private:
  void Open(std::string what, QWidget* owner) {
    opened.push_back(std::move(what));
    owners.push_back(owner);
  }
};

}  // namespace torvel::test
