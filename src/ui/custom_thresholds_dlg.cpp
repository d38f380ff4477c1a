#include "ui/custom_thresholds_dlg.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QRadioButton>

#include <algorithm>

#include "config/settings.h"
#include "drive/drive_tables.h"
#include "platform/main_window_env.h"
#include "platform/ui_services.h"
#include "ui/controls/artwork.h"
#include "ui/controls/button_st.h"
#include "ui/controls/colour_label.h"
#include "ui/drive_properties_dlg.h"
#include "ui/logic/settings_dialogs_logic.h"
#include "ui/qt_text.h"
#include "ui/text_fit.h"

namespace torvel {

CCustomThresholdsDlg::CCustomThresholdsDlg(MainWindowEnv& env, int slot, QWidget* parent)
    : QDialog(parent),
      env_(env),
      texts_("CustomThresholdsDlg"),
      drive_(SettingsDialogDrive(env.store)),
      slot_(std::clamp(slot, 0, kAttributeSlots - 1)) {
  setFont(DialogFont());
  setWindowIcon(ArtIcon(kIconApplication));
  Build();
  LoadSectionTexts("CustomThresholdsDlg", texts_, env_.store, env_.trace);
  ApplyTexts();
  attributeLine_->setText(ToQt(AttributeLineText(env_.tables, drive_, slot_)));
  Refresh();
  FitTexts(*this, FitRoom::kWiden);

  connect(useCustom_, &QCheckBox::clicked, this, [this](bool on) {
    Write(settings::attribute::SetUseCustomThresholds, on ? 1 : 0);
    Refresh();
  });
  for (int i = 0; i < 3; ++i)
    connect(modes_[static_cast<std::size_t>(i)], &QRadioButton::clicked, this, [this, i] { OnMode(i); });
  connect(level_, &CSettingField::arrowed, this, &CCustomThresholdsDlg::OnLevel);
  connect(level_, &CSettingField::typed, this, &CCustomThresholdsDlg::OnLevel);
  const std::pair<QCheckBox*, AttributeSetter> boxes[] = {
      {methods_[kPopup], settings::attribute::SetPopup},
      {methods_[kEmail], settings::attribute::SetEmail},
      {methods_[kNetsend], settings::attribute::SetNetSend},
      {logging_, settings::attribute::SetLogChanges}};
  for (const auto& [box, set] : boxes)
    connect(box, &QCheckBox::clicked, this, [this, set = set](bool on) { Write(set, on ? 1 : 0); });
  connect(help_, &QPushButton::clicked, this,
          [this] { env_.ui.OpenHelpTopic(kAttributePropertiesHelpTopic); });
  connect(close_, &QPushButton::clicked, this, &QDialog::accept);
}

const DriveRecord& CCustomThresholdsDlg::Drive() const {
  return env_.tables.records[static_cast<std::size_t>(drive_)];
}

void CCustomThresholdsDlg::Build() {
  const DialogUnits du(LogicalDpi(this));
  setFixedSize(du.X(228), du.Y(135));

  description_ = new QLabel(this);
  description_->setGeometry(du.Rect(7, 6, 214, 17));
  description_->setWordWrap(true);
  description_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  attributeLine_ = new CColourLabel(this);
  attributeLine_->setObjectName(QStringLiteral("attributeLine"));
  attributeLine_->setGeometry(du.Rect(7, 26, 214, 11));
  attributeLine_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  useCustom_ = new QCheckBox(this);
  useCustom_->setObjectName(QStringLiteral("useCustom"));
  useCustom_->setGeometry(du.Rect(7, 42, 214, 10));

  whenLabel_ = new QLabel(this);
  whenLabel_->setGeometry(du.Rect(7, 56, 125, 8));
  howLabel_ = new QLabel(this);
  howLabel_->setGeometry(du.Rect(136, 56, 85, 8));
  static constexpr const char* kModeNames[] = {"whenever", "atOrBelow", "never"};
  static constexpr int kModeTops[] = {66, 78, 90};
  static constexpr int kModeWidths[] = {118, 85, 118};
  for (std::size_t i = 0; i < modes_.size(); ++i) {
    modes_[i] = new QRadioButton(this);
    modes_[i]->setObjectName(QLatin1String(kModeNames[i]));
    modes_[i]->setGeometry(du.Rect(14, kModeTops[i], kModeWidths[i], 10));
  }
  level_ = new CSettingField(this);
  level_->setObjectName(QStringLiteral("level"));
  level_->setGeometry(du.Rect(100, 77, 32, 12));
  level_->setRange(kLevelMin, kLevelMax);
  // Greyed until a refresh or the at-or-below button asks for it: a stored
  // mode that selects no button leaves it so.
  level_->setEnabled(false);
  static constexpr const char* kMethodNames[] = {"popup", "email", "netsend"};
  for (std::size_t i = 0; i < methods_.size(); ++i) {
    methods_[i] = new QCheckBox(this);
    methods_[i]->setObjectName(QLatin1String(kMethodNames[i]));
    methods_[i]->setGeometry(du.Rect(136, kModeTops[i], 85, 10));
  }
  logging_ = new QCheckBox(this);
  logging_->setObjectName(QStringLiteral("logging"));
  logging_->setGeometry(du.Rect(7, 103, 214, 10));

  help_ = new CButtonST(this);
  help_->setObjectName(QStringLiteral("help"));
  help_->setGeometry(du.Rect(7, 117, 50, 14));
  close_ = new CButtonST(this);
  close_->setObjectName(QStringLiteral("close"));
  close_->setGeometry(du.Rect(171, 117, 50, 14));
  close_->setDefault(true);
  for (CButtonST* button : {help_, close_}) button->SetDrawBorder(true, true);
}

void CCustomThresholdsDlg::ApplyTexts() {
  const auto text = [this](int key) { return ToQt(texts_.Text(key)); };
  setWindowTitle(ToQt(AttributeSettingsTitle(texts_)));
  description_->setText(text(9));
  // The field finishes the "When value below" button's sentence.
  level_->setAccessibleName(text(4));
  attributeLine_->SetBkColor(ToQColor(kAttributeLineBackground));
  attributeLine_->SetTextColor(ToQColor(kAttributeLineText));
  useCustom_->setText(text(2));
  whenLabel_->setText(text(11));
  howLabel_->setText(text(12));
  for (std::size_t i = 0; i < modes_.size(); ++i) modes_[i]->setText(text(3 + static_cast<int>(i)));
  for (std::size_t i = 0; i < methods_.size(); ++i) methods_[i]->setText(text(6 + static_cast<int>(i)));
  logging_->setText(text(14));
  help_->setText(text(10));
  help_->SetTooltipText(ToQt(TooltipText(texts_.Text(10))));
  close_->setText(text(1));
  close_->SetTooltipText(ToQt(TooltipText(texts_.Text(1))));
}

void CCustomThresholdsDlg::Refresh() {
  const AttributeSettingsView v = LoadAttributeSettings(env_.store, env_.tables, drive_, slot_);
  id_ = v.id;
  useCustom_->setChecked(v.useCustom);
  Apply(AttributeRefresh(v.useCustom, v.mode));
  logging_->setChecked(v.logChanges);
  methods_[kPopup]->setChecked(v.popup);
  methods_[kEmail]->setChecked(v.email);
  methods_[kNetsend]->setChecked(v.netsend);
  level_->setValue(v.level);
}

void CCustomThresholdsDlg::Apply(const AttributeEnabling& e) {
  if (e.button) {
    // Exclusive buttons cannot all be cleared; a stored mode of 0 or 4 must
    // show none selected.
    for (std::size_t i = 0; i < modes_.size(); ++i) {
      modes_[i]->setAutoExclusive(false);
      modes_[i]->setChecked(static_cast<int>(i) == *e.button);
      modes_[i]->setAutoExclusive(true);
    }
  }
  for (QRadioButton* mode : modes_) mode->setEnabled(e.modeControls);
  whenLabel_->setEnabled(e.modeControls);
  howLabel_->setEnabled(e.modeControls);
  logging_->setEnabled(e.modeControls);
  if (e.methods)
    for (QCheckBox* box : methods_) box->setEnabled(*e.methods);
  if (e.level) level_->setEnabled(*e.level);
}

void CCustomThresholdsDlg::OnMode(int button) {
  const int mode = ButtonMode(button);
  Write(settings::attribute::SetCustomNotify, mode);
  Apply(AttributeModeChosen(mode));
}

void CCustomThresholdsDlg::OnLevel(int value) { WriteAttributeLevel(env_.store, Drive(), id_, value); }

void CCustomThresholdsDlg::Write(AttributeSetter set, int value) {
  WriteAttributeInt(env_.store, Drive(), id_, set, value);
}

void CCustomThresholdsDlg::done(int result) {
  // A level typed and not yet confirmed is kept like every other change.
  if (level_->isEnabled()) level_->CommitTyped();
  QDialog::done(result);
}

void CCustomThresholdsDlg::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1) {
    env_.ui.OpenHelpTopic(kAttributePropertiesHelpTopic);
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace torvel
