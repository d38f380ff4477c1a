#include "ui/logic/main_window_logic.h"

#include <algorithm>

#include "config/language.h"
#include "config/settings.h"
#include "base/version.h"
#include "base/sprintf.h"
#include "base/time_format.h"

namespace torvel {
namespace {
constexpr int kHighDpi = 120;
}  // namespace

std::string PageHelpTopic(int page) {
  if (page < 0 || page >= kPageCount) return kHelpFileTopic;
  return kPageTabs[static_cast<std::size_t>(page)].helpTopic;
}

std::string MainWindowTitle() { return Sprintf("Torvel %s", kVersionText); }

int FirstDriveInUse(const DriveTables& tables, int selected) {
  const int start = std::clamp(selected, 0, kMaxDrives);
  for (int d = start; d < kMaxDrives; ++d)
    if (tables.records[static_cast<std::size_t>(d)].InUse()) return d;
  for (int d = 0; d < start; ++d)
    if (tables.records[static_cast<std::size_t>(d)].InUse()) return d;
  return 0;
}

std::string LocationText(const DriveRecord& record) {
  static constexpr std::array<const char*, 4> kPlaces = {"Primary/Master", "Primary/Slave",
                                                         "Secondary/Master", "Secondary/Slave"};
  // On Linux a drive is where its device node is: "/dev/sda (SATA)".
  if (!record.device.empty())
    return record.transport.empty() ? record.device : record.device + " (" + record.transport + ")";
  if (record.deviceType != kDeviceAta) return {};
  if (record.driveNumber < 0 || record.driveNumber > 3) return {};
  return kPlaces[static_cast<std::size_t>(record.driveNumber)];
}

std::string DriveCapacityText(float capacityGb) {
  if (capacityGb > 1.0f) return Sprintf("%.1f GB", static_cast<double>(capacityGb));
  return Sprintf("%.0f MB", static_cast<double>(capacityGb) * 1000.0);
}

std::string DriveTemperatureText(int temperature) {
  if (temperature == 0) return "n/a";
  return Sprintf("%d \xB0" "C", temperature);
}

StatusCellLook DriveStatusCell(const DriveRecord& record, bool monitored, bool selected) {
  StatusCellLook look;
  if (record.smartSupported == 0) {
    look = {"N/A", kRgbNotApplicable};
  } else if (record.tec != 0) {
    look = {"Bad", kRgbBadRed};
  } else {
    look = {"OK", kRgbOkGreen};
  }
  if (selected) look.colour = kRgbWhite;
  if (!monitored) look.colour = kRgbGreyText;
  return look;
}

bool DriveRowGreyed(const DriveRecord& record, bool monitored) {
  return record.smartSupported == 0 || !monitored;
}

int ColumnMargin(std::uint32_t controlsVersion, int logicalDpi) {
  return controlsVersion >= 0x60000 && logicalDpi == kHighDpi ? 3 : 0;
}

std::array<int, 6> DriveListColumnWidths(int clientWidth, int margin, const std::array<int, 5>& content) {
  std::array<int, 6> widths{0, 110 + margin, 60 + margin, 45 + margin, 50 + margin, 0};
  for (std::size_t c = 1; c < content.size(); ++c) widths[c] = std::max(widths[c], content[c]);
  const auto model = [&] { return clientWidth - 2 - widths[1] - widths[2] - widths[3] - widths[4]; };
  const int leastModel = clientWidth * 2 / 5;
  if (model() < leastModel) widths[1] = std::max(110 + margin, widths[1] - (leastModel - model()));
  widths[0] = model();
  return widths;
}

int DriveListRows(int drives, int designedRows, int extraHeight, int rowHeight) {
  designedRows = std::max(1, designedRows);
  const int most = std::max(designedRows, std::min(drives, kDriveListMostRows));
  const int grown = designedRows + (rowHeight > 0 ? std::max(0, extraHeight) / rowHeight : 0);
  return std::min(grown, most);
}

SizeLimits MainWindowLimits(std::uint32_t controlsVersion, int logicalDpi) {
  SizeLimits limits{494, controlsVersion < 0x60000 ? 372 : 380};
  if (logicalDpi == kHighDpi) {
    if (controlsVersion >= 0x60000) limits.minHeight = 390;
    limits.width += 80;
    limits.minHeight += 72;
  }
  return limits;
}

Rect PagePlacement(const Rect& tabClient, const Rect& firstTabItem) {
  Rect page;
  page.left = firstTabItem.left;
  page.top = firstTabItem.bottom + 1;
  page.right = page.left + (tabClient.right - firstTabItem.left - 4);
  page.bottom = page.top + (tabClient.bottom - page.top - 1);
  return page;
}

int ResizedPageHeight(int tabHeight, int logicalDpi) {
  return tabHeight - (logicalDpi == kHighDpi ? 26 : 25);
}

int TabControlHeight(int windowBottom, int tabTop, int logicalDpi) {
  return windowBottom - (logicalDpi == kHighDpi ? tabTop + 3 : tabTop) - 22;
}

std::int64_t PollIntervalSeconds(SettingsStore& store) {
  const int timeType = settings::TimeType(store);
  const std::int64_t every = settings::PollEveryForNextCheck(store, timeType);
  return timeType != 0 ? every * 60 : every * 3600;
}

std::int64_t NextCheckTime(std::int64_t lastCheck, std::int64_t interval, std::int64_t now,
                           bool scheduleChanged) {
  const std::int64_t next = lastCheck + interval;
  if (scheduleChanged || now >= next) return now + interval;
  return next;
}

std::string StatusLineText(const DriveTables& tables, SettingsStore& store, const TextTable& texts,
                           std::int64_t now, bool scheduleChanged) {
  const int d = settings::SelectedDrive(store);
  if (d < 0 || d >= kMaxDrives) return {};
  const DriveRecord& record = tables.records[static_cast<std::size_t>(d)];
  if (!record.InUse()) return {};
  const std::int64_t interval = PollIntervalSeconds(store);
  const std::int64_t last = settings::drive::LastCheck(store, record.Section());
  const std::int64_t next = NextCheckTime(last, interval, now, scheduleChanged);
  const std::string lastText = FormatStatusLineTime(LocalTime(last));
  const std::string nextText = FormatStatusLineTime(LocalTime(next));
  const bool autoCheck = settings::AutoCheck(store) != 0;
  if (autoCheck && last < 1) return Sprintf("%s: %s", texts.Text(27).c_str(), nextText.c_str());
  if (autoCheck)
    return Sprintf("%s: %s   -   %s: %s", texts.Text(26).c_str(), lastText.c_str(),
                   texts.Text(27).c_str(), nextText.c_str());
  if (last < 1) return texts.Text(28);
  return Sprintf("%s: %s", texts.Text(26).c_str(), lastText.c_str());
}

}  // namespace torvel
