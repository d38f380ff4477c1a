#include <charconv>

#include "ui/custom_thresholds_dlg.h"
#include "ui/drive_properties_dlg.h"
#include "ui/mail_settings_dlg.h"
#include "windows.h"

namespace torvel {

std::unique_ptr<QWidget> MakeSettingsWindow(const std::string& name, MainWindowEnv& env) {
  if (name == "properties") return std::make_unique<CDrivePropertiesDlg>(env, nullptr);
  if (name == "mail") return std::make_unique<CMailSettingsDlg>(env, nullptr);
  static constexpr std::string_view kThresholds = "thresholds:";
  if (name.rfind(kThresholds, 0) == 0) {
    const char* first = name.data() + kThresholds.size();
    const char* last = name.data() + name.size();
    int slot = -1;
    const auto [end, error] = std::from_chars(first, last, slot);
    if (error == std::errc() && end == last && first != last && slot >= 0 && slot < 30)
      return std::make_unique<CCustomThresholdsDlg>(env, slot, nullptr);
  }
  return nullptr;
}

}  // namespace torvel
