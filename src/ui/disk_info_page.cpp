#include "ui/disk_info_page.h"

#include <QLabel>

#include "drive/drive_tables.h"
#include "ui/controls/info_list.h"
#include "ui/logic/disk_info.h"
#include "ui/logic/volumes.h"
#include "ui/qt_text.h"

namespace torvel {
namespace {

constexpr int kDiskTitleKey = 1;

}  // namespace

CDiskInfoPage::CDiskInfoPage(PageContext& context, QWidget* parent, VolumeCalls* volumes)
    : TabPage(context, "DiskInfoTab", parent),
      ownVolumes_(volumes == nullptr ? std::make_unique<LinuxVolumeCalls>() : nullptr),
      volumes_(volumes != nullptr ? *volumes : *ownVolumes_),
      title_(new QLabel(this)),
      list_(new CInfoList(this)) {
  LoadTexts();
  QFont bold = title_->font();
  bold.setBold(true);
  title_->setFont(bold);
  title_->setText(Text(kDiskTitleKey));
  list_->setAccessibleName(Text(kDiskTitleKey));
  Fill();
}

CDiskInfoPage::~CDiskInfoPage() = default;

void CDiskInfoPage::Fill() {
  const int drive = SelectedDrive();
  const DriveTables& tables = context_.env.tables;
  if (!tables.records[static_cast<std::size_t>(drive)].InUse()) return;
  // Linux has no shared S.M.A.R.T. device: every drive is reached on its
  // own path, so the volume section is always there.
  const std::vector<VolumeRow> volumes = ReadVolumes(volumes_, drive);
  auto rows = DiskInfoRows(tables, drive, true, volumes, texts_);
  if (rows) list_->SetRows(std::move(*rows));
}

void CDiskInfoPage::ReloadTexts() {
  LoadTexts();
  title_->setText(Text(kDiskTitleKey));
  list_->setAccessibleName(Text(kDiskTitleKey));
}

std::string CDiskInfoPage::HelpTopic() const { return "Torvel Help.chm::\\html\\General Info tab.htm"; }

void CDiskInfoPage::resizeEvent(QResizeEvent* event) {
  TabPage::resizeEvent(event);
  LayOut();
}

void CDiskInfoPage::LayOut() {
  const DialogUnits du(LogicalDpi(this));
  const QRect titleAt = du.Rect(6, 4, 200, 9);
  title_->setGeometry(titleAt.left(), titleAt.top(), width() - 2 * titleAt.left(), titleAt.height());
  const int top = titleAt.bottom() + du.Y(4);
  const int side = du.X(4);
  list_->setGeometry(side, top, width() - 2 * side, std::max(0, height() - top - du.Y(4)));
}

}  // namespace torvel
