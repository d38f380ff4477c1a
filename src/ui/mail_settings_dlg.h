// The mail settings dialog: server, recipients, sender and the server's
// log-in, stored when the dialog is closed with Close (the authentication
// box at once), and a test mail sent on the dialog's own mail worker while
// the window stays responsive.
#pragma once

#include <QDialog>

#include <memory>
#include <optional>
#include <string>

#include "config/language.h"
#include "notify/mail.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace torvel {

struct MainWindowEnv;
struct MailFields;
class CButtonST;

class CMailSettingsDlg : public QDialog {
  Q_OBJECT

 public:
  CMailSettingsDlg(MainWindowEnv& env, QWidget* parent);
  ~CMailSettingsDlg() override;

  // Close: the fields are stored.
  void accept() override;
  // Escape or the close box: nothing typed is stored. Ignored while a test
  // mail is out, so its result has a window to come back to.
  void reject() override;

  bool testing() const { return testing_; }

 Q_SIGNALS:
  // The test mail's result box has been answered.
  void testFinished();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Build();
  void ApplyTexts();
  void OnAuthentication(bool on);
  void OnTest();
  // On the user-interface thread, when the worker reports (message 1135).
  void OnMailResult(const std::string& category, const std::string& text);
  void EndTest();
  // The fields as typed; nothing (and a box said why) when one cannot be
  // stored or used.
  std::optional<MailFields> Typed();
  void OnBrowseCaFile();

  MainWindowEnv& env_;
  TextTable texts_;
  bool testing_ = false;

  QLabel* description_ = nullptr;
  QLabel* serverLabel_ = nullptr;
  QLineEdit* server_ = nullptr;
  QLabel* recipientsLabel_ = nullptr;
  QLineEdit* recipients_ = nullptr;
  QLabel* senderLabel_ = nullptr;
  QLineEdit* sender_ = nullptr;
  QCheckBox* authentication_ = nullptr;
  QLabel* userNameLabel_ = nullptr;
  QLineEdit* userName_ = nullptr;
  QLabel* passwordLabel_ = nullptr;
  QLineEdit* password_ = nullptr;
  QLabel* securityLabel_ = nullptr;
  QComboBox* security_ = nullptr;
  QLabel* caFileLabel_ = nullptr;
  QLineEdit* caFile_ = nullptr;
  CButtonST* browse_ = nullptr;
  CButtonST* help_ = nullptr;
  CButtonST* test_ = nullptr;
  CButtonST* close_ = nullptr;

  // The worker keeps a pointer to the event: declared first, gone last.
  CompletionEvent mailDone_;
  std::unique_ptr<SmtpWorker> worker_;
};

}  // namespace torvel
