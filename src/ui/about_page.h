// The about page (page 4, template 143): the picture, the version and build
// lines, the web site and e-mail links, the notice, the maker's badge and
// the feedback button.
#pragma once

#include "ui/tab_page.h"

class QLabel;

namespace torvel {

class CButtonST;
class CHyperLink;

class CAboutPage final : public TabPage {
  Q_OBJECT

 public:
  CAboutPage(PageContext& context, QWidget* parent);

  void ReloadTexts() override;
  std::string HelpTopic() const override;

  QLabel* versionLine() const { return version_; }
  QLabel* buildLine() const { return build_; }
  CHyperLink* websiteLink() const { return website_; }
  CHyperLink* mailLink() const { return mail_; }
  QLabel* notice() const { return notice_; }
  CButtonST* feedbackButton() const { return feedback_; }

 private:
  void Relabel();

  QLabel* picture_;
  QLabel* version_;
  QLabel* build_;
  QLabel* websiteLabel_;
  CHyperLink* website_;
  QLabel* mailLabel_;
  CHyperLink* mail_;
  QLabel* notice_;
  QLabel* badge_;
  CButtonST* feedback_;
};

}  // namespace torvel
