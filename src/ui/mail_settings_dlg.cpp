#include "ui/mail_settings_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include "base/codepage.h"
#include "base/debug_trace.h"
#include "platform/main_window_env.h"
#include "platform/ui_services.h"
#include "ui/controls/artwork.h"
#include "ui/controls/button_st.h"
#include "ui/logic/settings_dialogs_logic.h"
#include "ui/qt_text.h"
#include "ui/text_fit.h"

namespace torvel {
namespace {

// The worker reports to a window; the dialog takes the report itself, so
// any handle other than "none" will do.
constexpr WindowHandle kThisDialog = 1;
constexpr const char* kLoadErrorCaption = "Torvel";

}  // namespace

CMailSettingsDlg::CMailSettingsDlg(MainWindowEnv& env, QWidget* parent)
    : QDialog(parent), env_(env), texts_("MailSettingsDlg") {
  // The worker's reports arrive on its thread and are queued to this one;
  // a report for a dialog already gone is dropped with the dialog.
  MailWorkerHooks hooks;
  hooks.notify = [this](WindowHandle, const std::string& category, const std::string& text) {
    QMetaObject::invokeMethod(
        this, [this, category, text] { OnMailResult(category, text); }, Qt::QueuedConnection);
  };
  hooks.showError = [this](const std::string& text) {
    QMetaObject::invokeMethod(
        this, [this, text] { env_.ui.MessageBox(text, kLoadErrorCaption, kMbOk | kMbIconError); },
        Qt::QueuedConnection);
  };
  worker_ = std::make_unique<SmtpWorker>(env_.trace, std::move(hooks));

  setFont(DialogFont());
  setWindowIcon(ArtIcon(kIconApplication));
  Build();
  LoadSectionTexts("MailSettingsDlg", texts_, env_.store, env_.trace);
  ApplyTexts();
  FitTexts(*this, FitRoom::kWiden);

  const bool auth = MailAuthOn(env_.store);
  authentication_->setChecked(auth);
  userNameLabel_->setEnabled(auth);
  userName_->setEnabled(auth);
  passwordLabel_->setEnabled(auth);
  password_->setEnabled(auth);
  const MailFields f = LoadMailFields(env_.store);
  server_->setText(ToQt(f.server));
  recipients_->setText(ToQt(f.recipients));
  sender_->setText(ToQt(f.sender));
  userName_->setText(ToQt(f.userName));
  password_->setText(ToQt(f.password));
  security_->setCurrentIndex(f.tls);
  caFile_->setText(ToQt(f.caFile));

  connect(authentication_, &QCheckBox::clicked, this, &CMailSettingsDlg::OnAuthentication);
  connect(help_, &QPushButton::clicked, this, [this] { env_.ui.OpenHelpTopic(kMailSettingsHelpTopic); });
  connect(test_, &QPushButton::clicked, this, &CMailSettingsDlg::OnTest);
  connect(browse_, &QPushButton::clicked, this, &CMailSettingsDlg::OnBrowseCaFile);
  connect(close_, &QPushButton::clicked, this, &CMailSettingsDlg::accept);
}

CMailSettingsDlg::~CMailSettingsDlg() {
  // Waits for a mail still out; its report is dropped with this object.
  worker_.reset();
  if (testing_) QGuiApplication::restoreOverrideCursor();
}

void CMailSettingsDlg::Build() {
  const DialogUnits du(LogicalDpi(this));
  setFixedSize(du.X(224), du.Y(159));

  description_ = new QLabel(this);
  // Room for a second line where a translation needs one.
  description_->setGeometry(du.Rect(7, 4, 214, 17));
  description_->setWordWrap(true);
  description_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  auto* separator = new QFrame(this);
  separator->setFrameShape(QFrame::HLine);
  separator->setFrameShadow(QFrame::Sunken);
  separator->setGeometry(du.Rect(7, 23, 210, 2));

  const auto field = [&](QLabel*& label, QLineEdit*& edit, const char* name, int left, int top) {
    label = new QLabel(this);
    label->setGeometry(du.Rect(left, top + 2, 66 - left, 8));
    edit = new QLineEdit(this);
    edit->setObjectName(QLatin1String(name));
    edit->setGeometry(du.Rect(68, top, 149, 12));
    label->setBuddy(edit);
  };
  field(serverLabel_, server_, "server", 7, 30);
  field(recipientsLabel_, recipients_, "recipients", 7, 44);
  field(senderLabel_, sender_, "sender", 7, 58);
  authentication_ = new QCheckBox(this);
  authentication_->setObjectName(QStringLiteral("authentication"));
  authentication_->setGeometry(du.Rect(7, 73, 210, 10));
  field(userNameLabel_, userName_, "userName", 17, 85);
  field(passwordLabel_, password_, "password", 17, 99);
  password_->setEchoMode(QLineEdit::Password);
  securityLabel_ = new QLabel(this);
  securityLabel_->setGeometry(du.Rect(7, 116, 59, 8));
  security_ = new QComboBox(this);
  security_->setObjectName(QStringLiteral("security"));
  securityLabel_->setBuddy(security_);
  security_->setGeometry(du.Rect(68, 114, 149, 12));
  for (int i = 0; i < 4; ++i) security_->addItem(QString());
  field(caFileLabel_, caFile_, "caFile", 7, 128);
  caFile_->setGeometry(du.Rect(68, 128, 105, 12));
  browse_ = new CButtonST(this);
  browse_->setObjectName(QStringLiteral("browse"));
  browse_->setGeometry(du.Rect(177, 127, 40, 14));
  securityLabel_->setBuddy(security_);
  caFileLabel_->setBuddy(caFile_);

  help_ = new CButtonST(this);
  help_->setObjectName(QStringLiteral("help"));
  help_->setGeometry(du.Rect(7, 143, 50, 14));
  test_ = new CButtonST(this);
  test_->setObjectName(QStringLiteral("test"));
  test_->setGeometry(du.Rect(113, 143, 50, 14));
  close_ = new CButtonST(this);
  close_->setObjectName(QStringLiteral("close"));
  close_->setGeometry(du.Rect(167, 143, 50, 14));
  close_->setDefault(true);
  for (CButtonST* button : {help_, test_, close_, browse_}) button->SetDrawBorder(true, true);
}

void CMailSettingsDlg::ApplyTexts() {
  const auto text = [this](int key) { return ToQt(texts_.Text(key)); };
  setWindowTitle(ToQt(MailSettingsTitle(texts_)));
  description_->setText(text(9));
  serverLabel_->setText(text(3));
  recipientsLabel_->setText(text(4));
  senderLabel_->setText(text(5));
  authentication_->setText(text(13));
  userNameLabel_->setText(text(6));
  passwordLabel_->setText(text(7));
  securityLabel_->setText(text(14));
  for (int i = 0; i < 4; ++i) security_->setItemText(i, text(15 + i));
  caFileLabel_->setText(text(19));
  browse_->setText(text(20));
  help_->setText(text(12));
  help_->SetTooltipText(text(11));
  test_->setText(text(8));
  test_->SetTooltipText(text(10));
  close_->setText(text(2));
  close_->SetTooltipText(ToQt(TooltipText(texts_.Text(2))));
}

std::optional<MailFields> CMailSettingsDlg::Typed() {
  // A character the store's code page lacks would be stored as "?": the
  // server would then get another password than the one typed.
  const std::optional<std::string> password = Utf8ToCp1252(password_->text().toStdString());
  if (!password) {
    env_.ui.MessageBox(texts_.Text(22), MailSettingsTitle(texts_), kMbOk | kMbIconWarning);
    password_->setFocus();
    return std::nullopt;
  }
  MailFields f{FromQt(server_->text()), FromQt(recipients_->text()), FromQt(sender_->text()),
               FromQt(userName_->text()), *password, security_->currentIndex(),
               FromQt(caFile_->text())};
  if (const std::string problem = MailFieldsProblem(f, texts_); !problem.empty()) {
    env_.ui.MessageBox(problem, MailSettingsTitle(texts_), kMbOk | kMbIconWarning);
    return std::nullopt;
  }
  return f;
}

void CMailSettingsDlg::OnBrowseCaFile() {
  const QString chosen = QFileDialog::getOpenFileName(this, ToQt(texts_.Text(19)), caFile_->text(),
                                                      ToQt(texts_.Text(23)));
  if (!chosen.isEmpty()) caFile_->setText(chosen);
}

void CMailSettingsDlg::OnAuthentication(bool on) {
  WriteMailAuth(env_.store, on);
  userNameLabel_->setEnabled(on);
  userName_->setEnabled(on);
  passwordLabel_->setEnabled(on);
  password_->setEnabled(on);
}

void CMailSettingsDlg::accept() {
  const std::optional<MailFields> typed = Typed();
  if (!typed) return;
  SaveMailFields(env_.store, *typed);
  QDialog::accept();
}

void CMailSettingsDlg::reject() {
  if (!testing_) QDialog::reject();
}

void CMailSettingsDlg::OnTest() {
  if (testing_) return;
  const std::optional<MailFields> typed = Typed();
  if (!typed) return;
  testing_ = true;
  test_->setEnabled(false);
  close_->setEnabled(false);
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  if (!worker_->Start(TestMailRequest(*typed, env_.store, kThisDialog), mailDone_)) {
    env_.trace.DebugTrace("Failed to create new SMTP Thread!\n");
    EndTest();
  }
}

void CMailSettingsDlg::OnMailResult(const std::string& category, const std::string& text) {
  QGuiApplication::restoreOverrideCursor();
  testing_ = false;
  env_.ui.MessageBox(text, MailResultCaption(category), kMbOk | kMbIconInformation);
  test_->setEnabled(true);
  close_->setEnabled(true);
  Q_EMIT testFinished();
}

void CMailSettingsDlg::EndTest() {
  QGuiApplication::restoreOverrideCursor();
  testing_ = false;
  test_->setEnabled(true);
  close_->setEnabled(true);
}

void CMailSettingsDlg::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1) {
    env_.ui.OpenHelpTopic(kMailSettingsHelpTopic);
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace torvel
