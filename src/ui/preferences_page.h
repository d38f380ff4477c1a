// The preferences page: the global options, each written the moment its
// control changes; the start-up entry, the schedule notice to the launcher,
// a test network message, the alert sound and the language.
#pragma once

#include "ui/tab_page.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;

namespace torvel {

class CButtonST;
class SettingsStore;
class StepSpinBox;
struct PreferencesView;

class CPreferencesPage final : public TabPage {
  Q_OBJECT

 public:
  CPreferencesPage(PageContext& context, QWidget* parent);

  void ReloadTexts() override;
  std::string HelpTopic() const override;

 private:
  void Build();
  void Initialise();
  void ApplyTexts();
  void FillLanguages();
  void UpdateEnabling();
  PreferencesView ShownView() const;
  // One of the Options on/off keys, named by its settings:: setter.
  using OptionSetter = void (*)(SettingsStore&, int);
  void WriteOption(OptionSetter set, bool on);

  void OnPollDrives(bool on);
  void OnIntervalTyped(int value);
  void OnIntervalArrowed(int next);
  void OnUnitChosen(int index);
  void OnAutostart(bool on);
  void OnCheckAndExit(bool on);
  void OnEmail(bool on);
  void OnMailRepeatChosen(int index);
  void OnNetsend(bool on);
  void OnTemperatureBox(bool on);
  void OnCriticalArrowed(int next);
  void OnCriticalEdited();
  void OnTestNetMessage();
  void OnBrowseSound();
  void OnPreviewSound();
  void OnLanguageChosen(int index);

  bool filling_ = false;
  bool temperatureKnown_ = false;

  QCheckBox* pollDrives_ = nullptr;
  QLabel* every_ = nullptr;
  StepSpinBox* interval_ = nullptr;
  QComboBox* unit_ = nullptr;
  QCheckBox* autostart_ = nullptr;
  QCheckBox* checkAndExit_ = nullptr;
  QCheckBox* openAtStartup_ = nullptr;
  QCheckBox* logEvents_ = nullptr;
  QCheckBox* eventLog_ = nullptr;
  QCheckBox* trayStatus_ = nullptr;
  QLabel* languageLabel_ = nullptr;
  QComboBox* language_ = nullptr;
  QGroupBox* group_ = nullptr;
  QCheckBox* temperature_ = nullptr;
  QLabel* criticalLabel_ = nullptr;
  StepSpinBox* critical_ = nullptr;
  QLabel* methods_ = nullptr;
  QCheckBox* popup_ = nullptr;
  QCheckBox* email_ = nullptr;
  CButtonST* mailSettings_ = nullptr;
  QLabel* mailRepeatLabel_ = nullptr;
  QComboBox* mailRepeat_ = nullptr;
  QCheckBox* netsend_ = nullptr;
  QLineEdit* userName_ = nullptr;
  CButtonST* testMessage_ = nullptr;
  QCheckBox* playSound_ = nullptr;
  CButtonST* browseSound_ = nullptr;
  CButtonST* previewSound_ = nullptr;
  QCheckBox* flashIcon_ = nullptr;
};

}  // namespace torvel
