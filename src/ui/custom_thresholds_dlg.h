// The custom notification settings of one attribute of the selected drive:
// when a change is told (on every change, at or below a level, never), by
// which methods, and whether it is logged. Every change is written at once;
// Close only closes.
#pragma once

#include <QDialog>

#include <array>

#include "config/language.h"
#include "ui/logic/settings_dialogs_logic.h"

class QCheckBox;
class QLabel;
class QRadioButton;

namespace torvel {

struct MainWindowEnv;
struct DriveRecord;
class CButtonST;
class CColourLabel;
class CSettingField;

class CCustomThresholdsDlg : public QDialog {
  Q_OBJECT

 public:
  // `slot`: the attribute's slot (0 to 29) in the selected drive's table.
  CCustomThresholdsDlg(MainWindowEnv& env, int slot, QWidget* parent);

  void done(int result) override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  enum Method { kPopup, kEmail, kNetsend, kMethods };

  void Build();
  void ApplyTexts();
  void Refresh();
  void Apply(const AttributeEnabling& e);
  void OnMode(int button);
  void OnLevel(int value);
  void Write(AttributeSetter set, int value);
  const DriveRecord& Drive() const;

  MainWindowEnv& env_;
  TextTable texts_;
  int drive_ = 0;
  int slot_ = 0;
  int id_ = 0;

  QLabel* description_ = nullptr;
  CColourLabel* attributeLine_ = nullptr;
  QCheckBox* useCustom_ = nullptr;
  QLabel* whenLabel_ = nullptr;
  QLabel* howLabel_ = nullptr;
  std::array<QRadioButton*, 3> modes_{};
  CSettingField* level_ = nullptr;
  std::array<QCheckBox*, kMethods> methods_{};
  QCheckBox* logging_ = nullptr;
  CButtonST* help_ = nullptr;
  CButtonST* close_ = nullptr;
};

}  // namespace torvel
