#include "ui/preferences_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>

#include <filesystem>
#include <functional>

#include "config/settings.h"
#include "platform/sound.h"
#include "platform/ui_services.h"
#include "ui/controls/artwork.h"
#include "ui/controls/button_st.h"
#include "ui/logic/preferences_logic.h"
#include "ui/qt_text.h"

namespace torvel {

// A number field whose arrows report the value they asked for (position
// plus step, before the range clamps it), apart from typing.
class StepSpinBox final : public QSpinBox {
 public:
  using QSpinBox::QSpinBox;

  std::function<void(int next)> onArrows;
  bool stepping() const { return stepping_; }

  void stepBy(int steps) override {
    const int next = value() + steps * singleStep();
    stepping_ = true;
    QSpinBox::stepBy(steps);
    stepping_ = false;
    if (onArrows) onArrows(next);
  }

 private:
  bool stepping_ = false;
};

namespace {

// This build's drive channel always reaches each disk through its own
// device, so the system event log is always there.
constexpr bool kPerDrivePath = true;

}  // namespace

CPreferencesPage::CPreferencesPage(PageContext& context, QWidget* parent)
    : TabPage(context, "PreferencesTab", parent) {
  Build();
  Initialise();
}

std::string CPreferencesPage::HelpTopic() const { return kPreferencesHelpTopic; }

void CPreferencesPage::Build() {
  const DialogUnits du(LogicalDpi(this));

  // Schedule and start-up, top left.
  pollDrives_ = NewCheckBox(this, "pollDrives");
  pollDrives_->setGeometry(du.Rect(6, 6, 72, 10));
  every_ = new QLabel(this);
  every_->setGeometry(du.Rect(78, 7, 20, 8));
  every_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  interval_ = new StepSpinBox(this);
  interval_->setObjectName(QStringLiteral("interval"));
  interval_->setGeometry(du.Rect(100, 5, 30, 12));
  // 0 can be typed or reached with the arrows; it is put back to 1 at once.
  interval_->setRange(0, kPollEveryMax);
  unit_ = new QComboBox(this);
  unit_->setObjectName(QStringLiteral("unit"));
  unit_->setGeometry(du.Rect(133, 5, 46, 12));
  autostart_ = NewCheckBox(this, "autostart");
  autostart_->setGeometry(du.Rect(6, 21, 172, 10));
  checkAndExit_ = NewCheckBox(this, "checkAndExit");
  checkAndExit_->setGeometry(du.Rect(16, 33, 162, 10));
  openAtStartup_ = NewCheckBox(this, "openAtStartup");
  openAtStartup_->setGeometry(du.Rect(6, 45, 172, 10));

  // Logging, tray and language, top right.
  logEvents_ = NewCheckBox(this, "logEvents");
  logEvents_->setGeometry(du.Rect(186, 6, 122, 10));
  eventLog_ = NewCheckBox(this, "eventLog");
  eventLog_->setGeometry(du.Rect(186, 21, 122, 10));
  trayStatus_ = NewCheckBox(this, "trayStatus");
  trayStatus_->setGeometry(du.Rect(186, 33, 122, 10));
  languageLabel_ = new QLabel(this);
  languageLabel_->setGeometry(du.Rect(186, 46, 40, 8));
  language_ = new QComboBox(this);
  language_->setObjectName(QStringLiteral("language"));
  language_->setGeometry(du.Rect(228, 44, 80, 12));
  // Screen readers name fields by the labels that say they are their buddies.
  languageLabel_->setBuddy(language_);
  flashIcon_ = NewCheckBox(this, "flashIcon");
  flashIcon_->setGeometry(du.Rect(186, 57, 122, 10));
  flashIcon_->setVisible(false);

  // Global notification settings.
  group_ = new QGroupBox(this);
  group_->setGeometry(du.Rect(4, 57, 304, 78));
  temperature_ = NewCheckBox(this, "temperature");
  temperature_->setGeometry(du.Rect(12, 69, 130, 10));
  criticalLabel_ = new QLabel(this);
  criticalLabel_->setGeometry(du.Rect(150, 70, 118, 8));
  criticalLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  critical_ = new StepSpinBox(this);
  critical_->setObjectName(QStringLiteral("criticalTemp"));
  criticalLabel_->setBuddy(critical_);
  critical_->setGeometry(du.Rect(272, 68, 32, 12));
  critical_->setRange(0, kCriticalTempMax);
  methods_ = new QLabel(this);
  methods_->setGeometry(du.Rect(12, 82, 200, 8));

  popup_ = NewCheckBox(this, "popup");
  popup_->setGeometry(du.Rect(12, 94, 130, 10));
  email_ = NewCheckBox(this, "email");
  email_->setGeometry(du.Rect(12, 107, 66, 10));
  mailSettings_ = new CButtonST(this);
  mailSettings_->setObjectName(QStringLiteral("mailSettings"));
  mailSettings_->setGeometry(du.Rect(80, 105, 64, 14));
  // How often the same finding is mailed, under the mail's own row.
  mailRepeatLabel_ = new QLabel(this);
  mailRepeatLabel_->setGeometry(du.Rect(22, 122, 62, 8));
  mailRepeat_ = new QComboBox(this);
  mailRepeat_->setObjectName(QStringLiteral("mailRepeat"));
  mailRepeat_->setGeometry(du.Rect(86, 120, 80, 12));
  mailRepeatLabel_->setBuddy(mailRepeat_);
  netsend_ = NewCheckBox(this, "netsend");
  netsend_->setGeometry(du.Rect(150, 107, 82, 10));
  userName_ = new QLineEdit(this);
  userName_->setObjectName(QStringLiteral("userName"));
  userName_->setGeometry(du.Rect(234, 106, 54, 12));
  testMessage_ = new CButtonST(this);
  testMessage_->setObjectName(QStringLiteral("testMessage"));
  testMessage_->setGeometry(du.Rect(290, 105, 14, 14));
  playSound_ = NewCheckBox(this, "playSound");
  playSound_->setGeometry(du.Rect(150, 94, 110, 10));
  browseSound_ = new CButtonST(this);
  browseSound_->setObjectName(QStringLiteral("browseSound"));
  browseSound_->setGeometry(du.Rect(274, 92, 14, 14));
  previewSound_ = new CButtonST(this);
  previewSound_->setObjectName(QStringLiteral("previewSound"));
  previewSound_->setGeometry(du.Rect(290, 92, 14, 14));
}

void CPreferencesPage::Initialise() {
  MainWindowEnv& env = context_.env;
  SettingsStore& store = env.store;

  LoadTexts();
  ApplyTexts();
  CheckOutdatedLanguageFile(settings::LanguageFile(store), store, env.ui);

  previewSound_->SetIcon(kIconPlaySound);
  browseSound_->SetIcon(kIconBrowseSound);
  testMessage_->SetIcon(kIconTestNetMessage);

  const PreferencesView view = LoadPreferencesView(store, env.tables, SelectedDrive());
  temperatureKnown_ = view.temperatureKnown;
  unit_->setCurrentIndex(view.unitIndex);
  interval_->setValue(view.pollEvery);
  pollDrives_->setChecked(view.autoCheck);
  autostart_->setChecked(view.autostart);
  if (view.autostart)
    ApplyAutostart(true, store, env.ui, env.trace, CurrentAutostartPlace());
  popup_->setChecked(view.popup);
  flashIcon_->setChecked(view.flashIcon);
  logEvents_->setChecked(view.logEnable);
  checkAndExit_->setChecked(view.checkAndExit);
  openAtStartup_->setChecked(view.openAtStartup);
  eventLog_->setChecked(view.useEventLog);
  trayStatus_->setChecked(view.showTrayStatus);
  email_->setChecked(view.email);
  mailRepeat_->setCurrentIndex(view.mailRepeat);
  netsend_->setChecked(view.netsend);
  playSound_->setChecked(view.playSound);
  temperature_->setChecked(view.tempNotify);
  critical_->setValue(view.criticalTemp);
  // As if the box were clicked; but a drive without a temperature only
  // greys the box: writing its unchecked state would switch the warning off
  // for every drive just by opening the page.
  if (view.temperatureKnown) OnTemperatureBox(view.tempNotify);
  userName_->setText(ToQt(view.userName));
  settings::SetNetworkUserName(store, view.userName);
  FillLanguages();
  UpdateEnabling();

  connect(pollDrives_, &QCheckBox::clicked, this, &CPreferencesPage::OnPollDrives);
  connect(interval_, &QSpinBox::valueChanged, this, [this](int value) {
    if (!interval_->stepping()) OnIntervalTyped(value);
  });
  interval_->onArrows = [this](int next) { OnIntervalArrowed(next); };
  connect(unit_, &QComboBox::currentIndexChanged, this, &CPreferencesPage::OnUnitChosen);
  connect(autostart_, &QCheckBox::clicked, this, &CPreferencesPage::OnAutostart);
  connect(checkAndExit_, &QCheckBox::clicked, this, &CPreferencesPage::OnCheckAndExit);
  const std::pair<QCheckBox*, OptionSetter> plain[] = {
      {openAtStartup_, settings::SetOpenAtStartup}, {logEvents_, settings::SetLogEnable},
      {eventLog_, settings::SetUseEventLog},        {trayStatus_, settings::SetShowTrayStatus},
      {popup_, settings::SetPopup},                 {flashIcon_, settings::SetFlashIcon},
      {playSound_, settings::SetPlaySound}};
  for (const auto& [box, set] : plain)
    connect(box, &QCheckBox::clicked, this, [this, set = set](bool on) { WriteOption(set, on); });
  connect(email_, &QCheckBox::clicked, this, &CPreferencesPage::OnEmail);
  connect(mailRepeat_, &QComboBox::currentIndexChanged, this, &CPreferencesPage::OnMailRepeatChosen);
  connect(netsend_, &QCheckBox::clicked, this, &CPreferencesPage::OnNetsend);
  connect(temperature_, &QCheckBox::clicked, this, &CPreferencesPage::OnTemperatureBox);
  critical_->onArrows = [this](int next) { OnCriticalArrowed(next); };
  connect(critical_, &QSpinBox::editingFinished, this, &CPreferencesPage::OnCriticalEdited);
  connect(userName_, &QLineEdit::textChanged, this, [this](const QString& text) {
    settings::SetNetworkUserName(context_.env.store, FromQt(text));
  });
  connect(mailSettings_, &QPushButton::clicked, this,
          [this] { context_.dialogs.OpenMailSettings(this); });
  connect(testMessage_, &QPushButton::clicked, this, &CPreferencesPage::OnTestNetMessage);
  connect(browseSound_, &QPushButton::clicked, this, &CPreferencesPage::OnBrowseSound);
  connect(previewSound_, &QPushButton::clicked, this, &CPreferencesPage::OnPreviewSound);
  connect(language_, &QComboBox::currentIndexChanged, this, &CPreferencesPage::OnLanguageChosen);
}

void CPreferencesPage::ReloadTexts() {
  LoadTexts();
  ApplyTexts();
}

void CPreferencesPage::ApplyTexts() {
  pollDrives_->setText(Text(1));
  every_->setText(Text(25));
  // The field's label is the check box and "every" around it.
  interval_->setAccessibleName(Text(1) + QLatin1Char(' ') + Text(25));
  {
    // Refilled in the new language, keeping the choice and writing nothing.
    const QSignalBlocker quiet(unit_);
    const int unit = unit_->currentIndex();
    unit_->clear();
    unit_->addItems({Text(2), Text(3)});
    unit_->setCurrentIndex(unit < 0 ? 0 : unit);
  }
  autostart_->setText(Text(4));
  checkAndExit_->setText(Text(5));
  openAtStartup_->setText(Text(7));
  logEvents_->setText(Text(6));
  eventLog_->setText(Text(29));
  trayStatus_->setText(Text(31));
  languageLabel_->setText(Text(9));
  group_->setTitle(Text(10));
  temperature_->setText(Text(26));
  criticalLabel_->setText(Text(27));
  methods_->setText(Text(28));
  popup_->setText(Text(11));
  email_->setText(Text(12));
  netsend_->setText(Text(13));
  playSound_->setText(Text(14));
  flashIcon_->setText(Text(19));
  mailSettings_->setText(Text(24));
  mailRepeatLabel_->setText(Text(32));
  {
    const QSignalBlocker quiet(mailRepeat_);
    const int repeat = mailRepeat_->currentIndex();
    mailRepeat_->clear();
    mailRepeat_->addItems({Text(33), Text(34), Text(35)});
    mailRepeat_->setCurrentIndex(repeat < 0 ? 0 : repeat);
  }
  // The name field has no label of its own: the prompt its box shows.
  userName_->setAccessibleName(Text(20));
  testMessage_->SetTooltipText(Text(17));
  browseSound_->SetTooltipText(Text(15));
  previewSound_->SetTooltipText(Text(18));
}

void CPreferencesPage::FillLanguages() {
  filling_ = true;
  const std::vector<std::string> titles = ListLanguages(LanguageFolder());
  language_->clear();
  // Titles are file names: the file system's bytes, not program texts.
  for (const std::string& title : titles) language_->addItem(QFile::decodeName(title.c_str()));
  language_->setCurrentIndex(SelectedLanguage(titles, context_.env.store));
  filling_ = false;
}

PreferencesView CPreferencesPage::ShownView() const {
  PreferencesView v;
  v.autoCheck = pollDrives_->isChecked();
  v.autostart = autostart_->isChecked();
  v.temperatureKnown = temperatureKnown_;
  v.tempNotify = temperature_->isChecked();
  v.email = email_->isChecked();
  v.netsend = netsend_->isChecked();
  return v;
}

void CPreferencesPage::UpdateEnabling() {
  const PreferencesEnabling e = EnablingFor(ShownView(), kPerDrivePath);
  every_->setEnabled(e.interval);
  interval_->setEnabled(e.interval);
  unit_->setEnabled(e.interval);
  checkAndExit_->setEnabled(e.checkAndExit);
  eventLog_->setEnabled(e.eventLog);
  temperature_->setEnabled(e.tempBox);
  criticalLabel_->setEnabled(e.criticalTemp);
  critical_->setEnabled(e.criticalTemp);
  mailSettings_->setEnabled(e.mailSettings);
  mailRepeatLabel_->setEnabled(e.mailRepeat);
  mailRepeat_->setEnabled(e.mailRepeat);
  userName_->setEnabled(e.userName);
}

void CPreferencesPage::WriteOption(OptionSetter set, bool on) {
  set(context_.env.store, on ? 1 : 0);
}

void CPreferencesPage::OnPollDrives(bool on) {
  WriteOption(settings::SetAutoCheck, on);
  UpdateEnabling();
}

void CPreferencesPage::OnIntervalTyped(int value) {
  SettingsStore& store = context_.env.store;
  const IntervalChange change =
      IntervalTyped(value, settings::PollEvery(store));
  if (change.position != value) {
    const QSignalBlocker quiet(interval_);
    interval_->setValue(change.position);
  }
  if (!change.write) return;
  settings::SetPollEvery(store, change.position);
  SendScheduleNotice(context_.env.windows);
}

void CPreferencesPage::OnIntervalArrowed(int next) {
  const IntervalChange change = IntervalArrowed(next);
  if (interval_->value() != change.position) {
    const QSignalBlocker quiet(interval_);
    interval_->setValue(change.position);
  }
  if (!change.write) return;
  settings::SetPollEvery(context_.env.store, change.position);
  SendScheduleNotice(context_.env.windows);
}

void CPreferencesPage::OnUnitChosen(int index) {
  if (index < 0) return;
  settings::SetTimeType(context_.env.store, TimeTypeForUnit(index));
  SendScheduleNotice(context_.env.windows);
}

void CPreferencesPage::OnAutostart(bool on) {
  MainWindowEnv& env = context_.env;
  // The entry could not be deleted: the key kept its value, so does the box.
  if (!ApplyAutostart(on, env.store, env.ui, env.trace, CurrentAutostartPlace()))
    autostart_->setChecked(!on);
  UpdateEnabling();
}

void CPreferencesPage::OnCheckAndExit(bool on) {
  MainWindowEnv& env = context_.env;
  if (!ApplyCheckAndExit(on, env.store, env.ui, env.trace, CurrentAutostartPlace()))
    checkAndExit_->setChecked(!on);
}

void CPreferencesPage::OnEmail(bool on) {
  WriteOption(settings::SetEmail, on);
  UpdateEnabling();
}

void CPreferencesPage::OnMailRepeatChosen(int index) {
  if (index >= 0) settings::SetMailRepeat(context_.env.store, index);
}

void CPreferencesPage::OnNetsend(bool on) {
  WriteOption(settings::SetNetsend, on);
  UpdateEnabling();
}

void CPreferencesPage::OnTemperatureBox(bool on) {
  WriteOption(settings::SetEnableTempNotify, on);
  UpdateEnabling();
}

void CPreferencesPage::OnCriticalArrowed(int next) {
  settings::SetCriticalTemp(context_.env.store, CriticalTempToStore(next));
}

void CPreferencesPage::OnCriticalEdited() {
  // A typed temperature counts as well as one reached with the arrows.
  SettingsStore& store = context_.env.store;
  const int value = CriticalTempToStore(critical_->value());
  if (value != settings::CriticalTemp(store)) settings::SetCriticalTemp(store, value);
}

void CPreferencesPage::OnTestNetMessage() {
  MainWindowEnv& env = context_.env;
  const std::string name = settings::NetworkUserNameForSending(env.store);
  if (NetMessageNameMissing(name)) {
    env.ui.MessageBox(texts_.Text(20), "Torvel", kMbOk);
    return;
  }
  if (env.sendNetMessage) env.sendNetMessage(name, kTestNetMessageText);
}

void CPreferencesPage::OnBrowseSound() {
  // The language folder and the start-up entry's programs are found from
  // the current directory; the dialog must not leave it changed.
  std::error_code ec;
  const std::filesystem::path here = std::filesystem::current_path(ec);
  QFileDialog dialog(this, QString(), QString(),
                     QStringLiteral("%1 (*.wav);;%2 (*)").arg(Text(21), Text(22)));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setDefaultSuffix(QStringLiteral("wav"));
  const bool chosen = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
  if (chosen)
    settings::SetSound(context_.env.store,
                       QFile::encodeName(dialog.selectedFiles().first()).toStdString());
  if (!ec) std::filesystem::current_path(here, ec);
}

void CPreferencesPage::OnPreviewSound() {
  context_.env.sound.PlayFileAsync(settings::Sound(context_.env.store));
}

void CPreferencesPage::OnLanguageChosen(int index) {
  if (filling_ || index < 0) return;
  MainWindowEnv& env = context_.env;
  ChooseLanguage(LanguageFolder(), QFile::encodeName(language_->itemText(index)).toStdString(),
                 env.store, env.ui);
  context_.host.PageLanguageChanged();
}

}  // namespace torvel
