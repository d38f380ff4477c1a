// The log page: torvel.log as text, saved as a copy or cleared.
#pragma once

#include <string>

#include "ui/tab_page.h"

class QGroupBox;
class QPlainTextEdit;

namespace torvel {

class CButtonST;

class CLogPage final : public TabPage {
  Q_OBJECT

 public:
  CLogPage(PageContext& context, QWidget* parent);

  // The tab host's page refresh: the log may have grown with a check.
  void Fill() override;
  void ReloadTexts() override;
  std::string HelpTopic() const override;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void ApplyTooltips();
  void ShowLog();
  void ScrollToEnd();
  void SetText(std::string bytes);
  void OnSaveAs();
  void OnClear();

  // The bytes the text box shows. Qt's text document turns CR LF and lone
  // CRs into its own paragraph breaks and no-break spaces into blanks, so
  // the copy is written from these bytes, which the read-only box always
  // shows unchanged.
  std::string shown_;
  int textTop_ = 0;

  QGroupBox* frame_ = nullptr;
  QPlainTextEdit* text_ = nullptr;
  CButtonST* clear_ = nullptr;
  CButtonST* saveAs_ = nullptr;
};

}  // namespace torvel
