#include "ui/quick_view_dlg.h"
#include "ui/raw_view_dlg.h"
#include "windows.h"

namespace torvel {

std::unique_ptr<QWidget> MakeViewWindow(const std::string& name, MainWindowEnv& env) {
  if (name == "raw") return std::make_unique<CRawViewDlg>(env, nullptr);
  if (name == "quick") return std::make_unique<CQuickViewDlg>(env, nullptr);
  return nullptr;
}

}  // namespace torvel
