#include "ui/about_page.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QTimer>

#include "config/keys.h"
#include "config/language.h"
#include "page_fakes.h"
#include "support/window_env.h"
#include "ui/controls/button_st.h"
#include "ui/controls/hyperlink_label.h"
#include "ui/logic/about_logic.h"
#include "ui/qt_text.h"

namespace torvel {
namespace {

struct PageFixture : ::testing::Test {
  PageFixture() {
    world.env.osMajor = 6;
    world.env.osMinor = 1;
  }
  test::WindowWorld world;
  test::RecordingPageHost host;
  test::RecordingDialogs dialogs;
  PageContext context{world.env, host, dialogs};
};

TEST_F(PageFixture, ShowsVersionLinksAndTextsAndRelabelsOnLanguageChange) {
  CAboutPage page(context, nullptr);
  EXPECT_EQ(page.versionLine()->text(), QStringLiteral("Torvel 2.41"));
  EXPECT_TRUE(page.versionLine()->font().bold());
  EXPECT_EQ(page.buildLine()->text(), QStringLiteral("Build: 334"));
  EXPECT_EQ(page.websiteLink()->url(), QStringLiteral("https://torvel.example.org/"));
  EXPECT_EQ(page.mailLink()->url(), ToQt(SupportMailUrl()));
  EXPECT_FALSE(page.mailLink()->underline());
  EXPECT_EQ(page.mailLink()->cursor().shape(), Qt::PointingHandCursor);

  CButtonST* feedback = page.feedbackButton();
  EXPECT_EQ(feedback->url(), ToQt(FeedbackUrl(6, 1)));
  EXPECT_TRUE(feedback->borderAlways());
  EXPECT_EQ(page.notice()->text(), QStringLiteral("Torvel is provided as is, without warranty of any kind."));
  EXPECT_EQ(feedback->text(), QStringLiteral("Feature request/Bugreport"));
  EXPECT_EQ(feedback->tooltipText(),
            QStringLiteral("Click here to suggest us a new feature for Torvel or report about a bug"));

  world.store.WriteProfileString(keys::kOptions, keys::kLanguageFile,
                                 std::string(TORVEL_SOURCE_DIR) + "/Language/Deutsch.lng");
  page.ReloadTexts();
  TextTable german("AboutTab");
  LoadSectionTexts("AboutTab", german, world.store, world.capture.trace);
  ASSERT_NE(german.Text(5), "Feature request/Bugreport");
  EXPECT_EQ(page.notice()->text(), ToQt(german.Text(3)));
  EXPECT_EQ(feedback->text(), ToQt(german.Text(5)));
  EXPECT_EQ(feedback->tooltipText(), ToQt(german.Text(6)));
}

TEST_F(PageFixture, F1OpensTheAboutTopic) {
  CAboutPage page(context, nullptr);
  QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
  QApplication::sendEvent(&page, &f1);
  ASSERT_EQ(world.ui.helpTopics.size(), 1u);
  EXPECT_EQ(world.ui.helpTopics[0], "Torvel Help.chm::\\html\\About tab.htm");
}

// A page that records the commands it receives.
class CommandPage final : public TabPage {
 public:
  CommandPage(PageContext& context) : TabPage(context, "AboutTab", nullptr) {}
  void ReloadTexts() override {}
  std::string HelpTopic() const override { return {}; }
  bool OnCommand(int id) override {
    commands.push_back(id);
    return true;
  }
  std::vector<int> commands;
};

TEST_F(PageFixture, MenuButtonSendsTheChosenCommandToThePageThatOwnsTheMenu) {
  CommandPage page(context);
  auto* menu = new QMenu(&page);
  menu->addAction(QStringLiteral("Save &text report..."))->setData(32782);
  QAction* raw = menu->addAction(QStringLiteral("View SMART &Raw data"));
  raw->setData(32788);
  auto* button = new CButtonST(&page);
  button->SetMenu(menu, true);
  std::vector<int> signalled;
  QObject::connect(button, &CButtonST::menuCommand, [&](int id) { signalled.push_back(id); });
  bool showing = false;
  QTimer::singleShot(0, [&] {
    showing = button->menuShowing();
    menu->setActiveAction(raw);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(menu, &enter);
  });
  button->click();
  EXPECT_TRUE(showing);
  EXPECT_FALSE(button->menuShowing());
  EXPECT_EQ(page.commands, std::vector<int>{32788});
  EXPECT_EQ(signalled, std::vector<int>{32788});
}

}  // namespace
}  // namespace torvel
