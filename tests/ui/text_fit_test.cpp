// Texts longer than the designed controls: in made-up layouts, where the
// rules can be seen one at a time, and in every real window in German.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>

#include <string>

#include "config/keys.h"
#include "support/window_env.h"
#include "ui/controls/hot_list_ctrl.h"
#include "ui/custom_thresholds_dlg.h"
#include "ui/drive_properties_dlg.h"
#include "ui/layout_check.h"
#include "ui/mail_settings_dlg.h"
#include "ui/main_window.h"
#include "ui/quick_view_dlg.h"
#include "ui/raw_view_dlg.h"
#include "ui/smart_info_page.h"
#include "ui/tab_host.h"
#include "ui/text_fit.h"

namespace torvel {
namespace {

// Two label-and-field lines of a form, the labels too narrow for `first`.
struct FormDialog {
  explicit FormDialog(const QString& first) {
    dialog.setFixedSize(200, 100);
    for (int i = 0; i < 2; ++i) {
      labels[i] = new QLabel(i == 0 ? first : QStringLiteral("Port:"), &dialog);
      labels[i]->setGeometry(10, 10 + 25 * i, 40, 16);
      edits[i] = new QLineEdit(&dialog);
      edits[i]->setGeometry(53, 8 + 25 * i, 137, 20);
    }
  }
  QDialog dialog;
  QLabel* labels[2];
  QLineEdit* edits[2];
};

TEST(FitTexts, AFormTooNarrowWidensAsAWholeAndKeepsItsColumns) {
  FormDialog form(QStringLiteral("Benutzername:"));
  const int needed = form.labels[0]->fontMetrics().horizontalAdvance(form.labels[0]->text());
  ASSERT_FALSE(FindClippedTexts(form.dialog).empty());
  EXPECT_EQ(FitTexts(form.dialog, FitRoom::kWiden), 0);
  EXPECT_EQ(DescribeClipped(FindClippedTexts(form.dialog)), "");
  EXPECT_GT(form.dialog.width(), 200);
  EXPECT_EQ(form.dialog.minimumWidth(), form.dialog.maximumWidth());  // still fixed
  EXPECT_EQ(form.edits[0]->x(), form.edits[1]->x());
  EXPECT_EQ(form.edits[0]->width(), form.edits[1]->width());
  // No wider than the label's need asks, margins and all in proportion.
  EXPECT_LE(form.dialog.width(), 200 * (needed + 2) / 40 + 1);
  EXPECT_LT(form.edits[0]->geometry().right(), form.dialog.width() - 10);
}

TEST(FitTexts, InPlaceTheWindowKeepsItsSizeAndSaysWhatIsLeft) {
  FormDialog form(QStringLiteral("Benutzername:"));
  EXPECT_EQ(FitTexts(form.dialog, FitRoom::kInPlace), 1);
  EXPECT_EQ(form.dialog.width(), 200);
  EXPECT_EQ(form.edits[0]->x(), 53);
}

TEST(FitTexts, ControlsGrowIntoFreeRoomAndFieldsMoveAlong) {
  QDialog dialog;
  dialog.setFixedSize(300, 100);
  auto* check = new QCheckBox(QStringLiteral("Ins Systemjournal schreiben"), &dialog);
  check->setGeometry(10, 10, 60, 16);
  auto* label = new QLabel(QStringLiteral("Warnmail wiederholen:"), &dialog);
  label->setGeometry(10, 40, 50, 16);
  auto* combo = new QComboBox(&dialog);
  combo->setGeometry(63, 38, 100, 20);
  // Below the label: not on its line, not in its way.
  auto* other = new QLineEdit(&dialog);
  other->setGeometry(63, 70, 220, 20);
  EXPECT_EQ(FitTexts(dialog, FitRoom::kInPlace), 0);
  EXPECT_EQ(DescribeClipped(FindClippedTexts(dialog)), "");
  EXPECT_EQ(dialog.width(), 300);
  EXPECT_EQ(check->x(), 10);
  EXPECT_GT(check->width(), 60);
  EXPECT_GT(combo->x(), 63);
  EXPECT_EQ(combo->width(), 100);
  EXPECT_GE(combo->x(), label->geometry().right() + 1);
  EXPECT_EQ(other->geometry(), QRect(63, 70, 220, 20));
}

TEST(FitTexts, ALabelAfterGivesUpRoomItsTextDoesNotUse) {
  QDialog dialog;
  dialog.setFixedSize(300, 50);
  auto* label = new QLabel(QStringLiteral("Laufwerk:"), &dialog);
  label->setGeometry(10, 10, 20, 16);
  auto* value = new QLabel(QStringLiteral("ST3500"), &dialog);
  value->setGeometry(32, 10, 258, 16);
  EXPECT_EQ(FitTexts(dialog, FitRoom::kInPlace), 0);
  EXPECT_GT(value->x(), 32);
  EXPECT_EQ(value->geometry().right(), 289);
  EXPECT_EQ(DescribeClipped(FindClippedTexts(dialog)), "");
}

// Every window a user meets, in German: nothing cut.
struct GermanWindows : ::testing::Test {
  GermanWindows() {
    DriveRecord& r = world.AddDrive(0, "ST3500418AS", "5VM1ABCD");
    r.temperature = 35;
    auto& attributes = world.tables.attributes[0].attributes;
    attributes[0].id = 9;
    attributes[0].value = 98;
    attributes[1].id = 194;
    attributes[1].value = 35;
    world.store.WriteProfileString(keys::kOptions, keys::kLanguageFile,
                                   std::string(TORVEL_SOURCE_DIR) + "/Language/Deutsch.lng");
  }
  static std::string Cut(QWidget& window) {
    window.show();
    QApplication::processEvents();
    return DescribeClipped(FindClippedTexts(window));
  }
  test::WindowWorld world;
};

TEST_F(GermanWindows, DialogsAndViewsShowTheirWholeTexts) {
  CMailSettingsDlg mail(world.env, nullptr);
  EXPECT_EQ(Cut(mail), "");
  CDrivePropertiesDlg properties(world.env, nullptr);
  EXPECT_EQ(Cut(properties), "");
  CCustomThresholdsDlg thresholds(world.env, 0, nullptr);
  EXPECT_EQ(Cut(thresholds), "");
  CQuickViewDlg quick(world.env, nullptr);
  EXPECT_EQ(Cut(quick), "");
  CRawViewDlg raw(world.env, nullptr);
  EXPECT_EQ(Cut(raw), "");
  // Their context menus speak German too.
  EXPECT_EQ(quick.copyAction()->text(), QStringLiteral("&Kopieren"));
  EXPECT_EQ(raw.copyAction()->text(), QStringLiteral("&Kopieren"));
}

TEST_F(GermanWindows, EveryPageOfTheMainWindowShowsItsWholeTexts) {
  for (int page = 0; page < kPageCount; ++page) {
    CMainWindow window(world.env);
    window.SetStartTab(page);
    EXPECT_EQ(Cut(window), "") << "page " << page;
    if (page == 1) {
      CHotListCtrl* list = static_cast<CSmartInfoPage*>(window.tabHost()->page(1))->list();
      EXPECT_EQ(list->copyAction()->text(), QStringLiteral("&Kopieren"));
      EXPECT_EQ(list->settingsAction()->text(), QStringLiteral("&Benachrichtigungseinstellungen..."));
    }
  }
}

}  // namespace
}  // namespace torvel
