// The windows torvel-screenshot can render besides the main window. Each
// maker returns the window named, or nullptr when the name is not one of
// its own.
#pragma once

#include <QWidget>

#include <memory>
#include <string>

namespace torvel {

struct MainWindowEnv;

// "properties", "thresholds:SLOT", "mail"
std::unique_ptr<QWidget> MakeSettingsWindow(const std::string& name, MainWindowEnv& env);
// "raw", "quick"
std::unique_ptr<QWidget> MakeViewWindow(const std::string& name, MainWindowEnv& env);

}  // namespace torvel
