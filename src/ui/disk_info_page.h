// The disk information page: the selected drive's identity, its volumes
// and every decoded IDENTIFY row.
#pragma once

#include <memory>

#include "ui/tab_page.h"

class QLabel;

namespace torvel {

class CInfoList;
class VolumeCalls;

class CDiskInfoPage final : public TabPage {
  Q_OBJECT

 public:
  // `volumes` reads the mounted file systems; nullptr: the running system's.
  CDiskInfoPage(PageContext& context, QWidget* parent, VolumeCalls* volumes = nullptr);
  ~CDiskInfoPage() override;

  void Fill() override;
  void ReloadTexts() override;
  std::string HelpTopic() const override;

  CInfoList* list() const { return list_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void LayOut();

  std::unique_ptr<VolumeCalls> ownVolumes_;
  VolumeCalls& volumes_;
  QLabel* title_;
  CInfoList* list_;
};

}  // namespace torvel
