// The drive properties dialog: the selected drive's own notification
// settings instead of the global ones. Every box writes the drive's section
// the moment it changes; Close only closes.
#pragma once

#include <QDialog>
#include <QSpinBox>

#include <array>

#include "config/language.h"

class QCheckBox;
class QLabel;

namespace torvel {

struct MainWindowEnv;
struct DriveRecord;
class CButtonST;

// A number field with up-down arrows as the settings dialogs use it: the
// arrows report the value they asked for (position plus step), and a value
// typed into the field is reported once when editing ends.
class CSettingField : public QSpinBox {
  Q_OBJECT

 public:
  explicit CSettingField(QWidget* parent = nullptr);
  // Reports a typed value not reported yet (the dialog is closing).
  void CommitTyped();

 Q_SIGNALS:
  void arrowed(int next);
  void typed(int value);

 protected:
  void stepBy(int steps) override;

 private:
  bool edited_ = false;
};

class CDrivePropertiesDlg : public QDialog {
  Q_OBJECT

 public:
  CDrivePropertiesDlg(MainWindowEnv& env, QWidget* parent);

  void done(int result) override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  enum Method { kPopup, kEmail, kNetsend, kChangePopup, kChangeEmail, kChangeNetsend, kMethods };

  void Build();
  void ApplyTexts();
  void Refresh();
  void OnTemperatureBox(bool on);
  void OnCriticalTemp(int value);
  const DriveRecord& Drive() const;

  MainWindowEnv& env_;
  TextTable texts_;
  int drive_ = 0;

  QLabel* description_ = nullptr;
  QLabel* diskLabel_ = nullptr;
  QLabel* diskLine_ = nullptr;
  QCheckBox* useCustom_ = nullptr;
  QCheckBox* failureWarnings_ = nullptr;
  QCheckBox* temperature_ = nullptr;
  QLabel* criticalLabel_ = nullptr;
  CSettingField* critical_ = nullptr;
  QLabel* criticalMethods_ = nullptr;
  QLabel* changeMethods_ = nullptr;
  std::array<QCheckBox*, kMethods> methods_{};
  CButtonST* help_ = nullptr;
  CButtonST* close_ = nullptr;
};

}  // namespace torvel
