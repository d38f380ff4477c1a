#include "ui/drive_properties_dlg.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include "config/settings.h"
#include "drive/drive_tables.h"
#include "platform/main_window_env.h"
#include "platform/ui_services.h"
#include "ui/controls/artwork.h"
#include "ui/controls/button_st.h"
#include "ui/logic/settings_dialogs_logic.h"
#include "ui/qt_text.h"
#include "ui/text_fit.h"

namespace torvel {

CSettingField::CSettingField(QWidget* parent) : QSpinBox(parent) {
  connect(lineEdit(), &QLineEdit::textEdited, this, [this] { edited_ = true; });
  connect(this, &QSpinBox::editingFinished, this, &CSettingField::CommitTyped);
}

void CSettingField::CommitTyped() {
  if (!edited_) return;
  edited_ = false;
  interpretText();
  Q_EMIT typed(value());
}

void CSettingField::stepBy(int steps) {
  // Arrowing takes whatever was typed as its starting point and reports the
  // result itself.
  edited_ = false;
  const int next = value() + steps * singleStep();
  QSpinBox::stepBy(steps);
  Q_EMIT arrowed(next);
}

namespace {

constexpr int kWidth = 220;

}  // namespace

CDrivePropertiesDlg::CDrivePropertiesDlg(MainWindowEnv& env, QWidget* parent)
    : QDialog(parent), env_(env), texts_("DrivePropertiesDlg"), drive_(SettingsDialogDrive(env.store)) {
  setFont(DialogFont());
  setWindowIcon(ArtIcon(kIconApplication));
  Build();
  LoadSectionTexts("DrivePropertiesDlg", texts_, env_.store, env_.trace);
  ApplyTexts();
  critical_->setRange(kDriveCriticalTempMin, kDriveCriticalTempMax);
  // Shown greyed until custom settings load it; nothing is written by it.
  critical_->setValue(LoadDriveCustomView(env_.store, Drive()).criticalTemp);
  useCustom_->setChecked(DriveUsesCustomSettings(env_.store, Drive()));
  Refresh();
  FitTexts(*this, FitRoom::kWiden);

  connect(useCustom_, &QCheckBox::clicked, this, [this](bool on) {
    WriteDriveSwitch(env_.store, Drive(), settings::drive::SetUseCustomNotify, on);
    Refresh();
  });
  connect(failureWarnings_, &QCheckBox::clicked, this, [this](bool on) {
    WriteDriveSwitch(env_.store, Drive(), settings::drive::SetEnableSmartNotify, on);
    Refresh();
  });
  connect(temperature_, &QCheckBox::clicked, this, &CDrivePropertiesDlg::OnTemperatureBox);
  connect(critical_, &CSettingField::arrowed, this, &CDrivePropertiesDlg::OnCriticalTemp);
  connect(critical_, &CSettingField::typed, this, &CDrivePropertiesDlg::OnCriticalTemp);
  const std::array<DriveSetter, kMethods> methodSetters = {
      settings::drive::SetPopup,       settings::drive::SetEmail,
      settings::drive::SetNetsend,     settings::drive::SetChangePopup,
      settings::drive::SetChangeEmail, settings::drive::SetChangeNetsend};
  for (int i = 0; i < kMethods; ++i) {
    connect(methods_[static_cast<std::size_t>(i)], &QCheckBox::clicked, this,
            [this, set = methodSetters[static_cast<std::size_t>(i)]](bool on) {
              WriteDriveSwitch(env_.store, Drive(), set, on);
            });
  }
  connect(help_, &QPushButton::clicked, this, [this] { env_.ui.OpenHelpTopic(kDrivePropertiesHelpTopic); });
  connect(close_, &QPushButton::clicked, this, &QDialog::accept);
}

const DriveRecord& CDrivePropertiesDlg::Drive() const {
  return env_.tables.records[static_cast<std::size_t>(drive_)];
}

void CDrivePropertiesDlg::Build() {
  const DialogUnits du(LogicalDpi(this));
  // Wider than the 203 units of the original template: with the metric
  // Tahoma at 120 pixels per inch the failure-warnings box would be cut.
  setFixedSize(du.X(kWidth), du.Y(230));
  const int right = kWidth - 7;

  description_ = new QLabel(this);
  description_->setGeometry(du.Rect(7, 7, right - 7, 20));
  description_->setWordWrap(true);
  description_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  diskLabel_ = new QLabel(this);
  diskLabel_->setGeometry(du.Rect(7, 32, 22, 8));
  diskLine_ = new QLabel(this);
  diskLine_->setObjectName(QStringLiteral("diskLine"));
  diskLine_->setGeometry(du.Rect(30, 32, right - 30, 18));
  diskLine_->setWordWrap(true);
  diskLine_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  QFont bold = DialogFont();
  bold.setWeight(QFont::Bold);
  diskLine_->setFont(bold);

  useCustom_ = NewCheckBox(this, "useCustom");
  useCustom_->setGeometry(du.Rect(7, 54, right - 7, 10));
  failureWarnings_ = NewCheckBox(this, "failureWarnings");
  failureWarnings_->setGeometry(du.Rect(14, 67, right - 14, 10));
  temperature_ = NewCheckBox(this, "temperature");
  temperature_->setGeometry(du.Rect(14, 79, right - 14, 10));
  criticalLabel_ = new QLabel(this);
  criticalLabel_->setGeometry(du.Rect(26, 93, 100, 8));
  critical_ = new CSettingField(this);
  critical_->setObjectName(QStringLiteral("criticalTemp"));
  criticalLabel_->setBuddy(critical_);
  critical_->setGeometry(du.Rect(128, 91, 34, 12));

  criticalMethods_ = new QLabel(this);
  criticalMethods_->setGeometry(du.Rect(14, 108, right - 14, 8));
  changeMethods_ = new QLabel(this);
  changeMethods_->setGeometry(du.Rect(14, 154, right - 14, 16));
  changeMethods_->setWordWrap(true);
  changeMethods_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  static constexpr std::array<const char*, kMethods> kNames = {
      "popup", "email", "netsend", "changePopup", "changeEmail", "changeNetsend"};
  for (int i = 0; i < kMethods; ++i) {
    const int top = i < 3 ? 119 + 11 * i : 172 + 11 * (i - 3);
    QCheckBox*& box = methods_[static_cast<std::size_t>(i)];
    box = NewCheckBox(this, kNames[static_cast<std::size_t>(i)]);
    box->setGeometry(du.Rect(26, top, right - 26, 10));
  }

  help_ = new CButtonST(this);
  help_->setObjectName(QStringLiteral("help"));
  help_->setGeometry(du.Rect(7, 210, 50, 14));
  close_ = new CButtonST(this);
  close_->setObjectName(QStringLiteral("close"));
  close_->setGeometry(du.Rect(right - 50, 210, 50, 14));
  close_->setDefault(true);
  for (CButtonST* button : {help_, close_}) button->SetDrawBorder(true, true);
}

void CDrivePropertiesDlg::ApplyTexts() {
  const auto text = [this](int key) { return ToQt(texts_.Text(key)); };
  setWindowTitle(ToQt(DrivePropertiesTitle(texts_)));
  description_->setText(text(12));
  diskLabel_->setText(text(2));
  useCustom_->setText(text(3));
  failureWarnings_->setText(text(4));
  temperature_->setText(text(5));
  criticalLabel_->setText(text(6));
  criticalMethods_->setText(text(7));
  changeMethods_->setText(text(11));
  for (int i = 0; i < kMethods; ++i) methods_[static_cast<std::size_t>(i)]->setText(text(8 + i % 3));
  help_->setText(text(15));
  help_->SetTooltipText(text(14));
  close_->setText(text(1));
  close_->SetTooltipText(ToQt(TooltipText(texts_.Text(1))));
}

void CDrivePropertiesDlg::Refresh() {
  const bool custom = useCustom_->isChecked();
  bool temperatureKnown = false;
  if (custom) {
    const DriveCustomView v = LoadDriveCustomView(env_.store, Drive());
    const bool shown[kMethods] = {v.popup,       v.email,       v.netsend,
                                  v.changePopup, v.changeEmail, v.changeNetsend};
    for (int i = 0; i < kMethods; ++i) methods_[static_cast<std::size_t>(i)]->setChecked(shown[i]);
    failureWarnings_->setChecked(v.smartNotify);
    temperatureKnown = v.temperatureKnown;
    if (temperatureKnown) {
      temperature_->setChecked(v.tempNotify);
      critical_->setValue(v.criticalTemp);
    }
  }
  const DrivePropertiesEnabling e =
      DrivePropertiesEnablingFor(custom, temperatureKnown, temperature_->isChecked());
  failureWarnings_->setEnabled(e.failureBox);
  criticalMethods_->setEnabled(e.methods);
  changeMethods_->setEnabled(e.methods);
  for (QCheckBox* box : methods_) box->setEnabled(e.methods);
  temperature_->setEnabled(e.tempBox);
  criticalLabel_->setEnabled(e.criticalTemp);
  critical_->setEnabled(e.criticalTemp);
  // As if the box were clicked: its state is written again.
  if (e.tempBox) OnTemperatureBox(temperature_->isChecked());
  diskLine_->setText(ToQt(DiskLineText(Drive())));
}

void CDrivePropertiesDlg::OnTemperatureBox(bool on) {
  WriteDriveSwitch(env_.store, Drive(), settings::drive::SetEnableTempNotify, on);
  criticalLabel_->setEnabled(on);
  critical_->setEnabled(on);
}

void CDrivePropertiesDlg::OnCriticalTemp(int value) { WriteDriveCriticalTemp(env_.store, Drive(), value); }

void CDrivePropertiesDlg::done(int result) {
  // A temperature typed and not yet confirmed is kept like every other change.
  if (critical_->isEnabled()) critical_->CommitTyped();
  QDialog::done(result);
}

void CDrivePropertiesDlg::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1) {
    env_.ui.OpenHelpTopic(kDrivePropertiesHelpTopic);
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace torvel
