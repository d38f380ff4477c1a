#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleInterface>
#include <QApplication>
#include <QEnterEvent>
#include <QHelpEvent>
#include <QImage>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "ui/controls/artwork.h"
#include "ui/controls/button_st.h"
#include "ui/controls/colour_label.h"
#include "ui/controls/etched_label.h"
#include "ui/controls/hyperlink_label.h"
#include "ui/controls/theme_wrapper.h"
#include "ui/logic/about_logic.h"
#include "ui/qt_ui_services.h"

namespace torvel {
namespace {

QImage Render(QWidget& widget) {
  QImage image(widget.size(), QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  widget.render(&image);
  return image;
}

QColor Role(const QWidget& widget, QPalette::ColorRole role) { return widget.palette().color(role); }

void Enter(QWidget& widget) {
  QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
  QApplication::sendEvent(&widget, &enter);
}

void Click(QWidget& widget) {
  const QPointF at(widget.width() / 2.0, widget.height() / 2.0);
  QMouseEvent press(QEvent::MouseButtonPress, at, widget.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, at, widget.mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QApplication::sendEvent(&widget, &press);
  QApplication::sendEvent(&widget, &release);
}

// BROWSER for one test.
class BrowserVariable {
 public:
  explicit BrowserVariable(const char* command)
      : old_(qgetenv("BROWSER")), had_(qEnvironmentVariableIsSet("BROWSER")) {
    if (command != nullptr)
      qputenv("BROWSER", command);
    else
      qunsetenv("BROWSER");
  }
  ~BrowserVariable() {
    if (had_)
      qputenv("BROWSER", old_);
    else
      qunsetenv("BROWSER");
  }

 private:
  QByteArray old_;
  bool had_;
};

TEST(ButtonFace, ClassicFrameIsAbsentAtRestRaisedOnHoverSunkenWhenPressed) {
  const ThemeWrapper classic(ThemeWrapper::Source::kClassic);
  CButtonST button;
  button.SetTheme(&classic);
  button.SetIcon(kIconHide);
  button.resize(24, 19);
  button.SetAlwaysTrack(true);
  const QColor face = Role(button, QPalette::Button);
  const QColor light = Role(button, QPalette::Light);
  const QColor dark = Role(button, QPalette::Dark);
  ASSERT_NE(light, dark);

  QImage rest = Render(button);
  EXPECT_FALSE(button.paintedThemed());
  EXPECT_EQ(rest.pixel(12, 0), face.rgba());
  EXPECT_EQ(rest.pixel(23, 10), face.rgba());

  Enter(button);
  ASSERT_TRUE(button.hovered());
  QImage hover = Render(button);
  EXPECT_EQ(hover.pixel(12, 0), light.rgba());  // top
  EXPECT_EQ(hover.pixel(0, 10), light.rgba());  // left
  EXPECT_EQ(hover.pixel(12, 18), dark.rgba());  // bottom
  EXPECT_EQ(hover.pixel(23, 10), dark.rgba());  // right

  button.setDown(true);
  QImage pressed = Render(button);
  EXPECT_EQ(pressed.pixel(12, 0), dark.rgba());
  EXPECT_EQ(pressed.pixel(12, 18), light.rgba());

  // Leaving ends the hover; with the border always on the raised frame stays.
  button.setDown(false);
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(&button, &leave);
  EXPECT_FALSE(button.hovered());
  button.SetDrawBorder(true, true);
  EXPECT_EQ(Render(button).pixel(12, 0), light.rgba());
}

TEST(ButtonFace, HoverNeedsAnActiveWindowUnlessTrackingAlways) {
  CButtonST button;
  button.resize(24, 19);
  ASSERT_EQ(QApplication::activeWindow(), nullptr);
  Enter(button);
  EXPECT_FALSE(button.hovered());
  button.SetAlwaysTrack(true);
  Enter(button);
  EXPECT_TRUE(button.hovered());
}

TEST(ButtonFace, StyleDrawsTheFaceUnlessClassicIsAskedForOrThePlainWindowsStyle) {
  qunsetenv("TORVEL_CLASSIC_THEME");
  const ThemeWrapper themed;
  ASSERT_TRUE(themed.IsAppThemed());  // Fusion on the test platform
  CButtonST button;
  button.resize(24, 19);
  button.SetTheme(&themed);
  Render(button);
  EXPECT_TRUE(button.paintedThemed());

  std::unique_ptr<QStyle> windows(QStyleFactory::create(QStringLiteral("Windows")));
  ASSERT_NE(windows, nullptr);
  button.setStyle(windows.get());
  Render(button);
  EXPECT_FALSE(button.paintedThemed());
  button.setStyle(nullptr);

  qputenv("TORVEL_CLASSIC_THEME", "1");
  const ThemeWrapper classic;
  qunsetenv("TORVEL_CLASSIC_THEME");
  EXPECT_FALSE(classic.IsAppThemed());
  EXPECT_EQ(classic.OpenThemeData(&button, "BUTTON"), nullptr);
  EXPECT_EQ(classic.CloseThemeData(nullptr), kEFail);
  EXPECT_EQ(themed.OpenThemeData(&button, "EDIT"), nullptr);
  EXPECT_EQ(PushButtonThemeState(true, true, true, true), kPbsDisabled);
  EXPECT_EQ(PushButtonThemeState(false, false, true, true), kPbsHot);
  EXPECT_EQ(PushButtonThemeState(false, false, false, true), kPbsDefaulted);
}

TEST(ButtonTooltip, LongTipsWrapAtFourHundredPixels) {
  CButtonST button;
  button.resize(24, 19);
  const QString words = QStringLiteral("Information about SMART attributes for current drive ").repeated(4);
  button.SetTooltipText(words + QStringLiteral("\r\n[Click to edit]"));
  QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), QPoint(50, 50));
  QApplication::sendEvent(&button, &help);
  QWidget* shown = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->inherits("QTipLabel") && w->isVisible()) shown = w;
  ASSERT_NE(shown, nullptr);
  EXPECT_LE(shown->width(), 400 + 2 * 8);
  EXPECT_GT(shown->height(), 3 * button.fontMetrics().height());  // wrapped onto several lines
}

TEST(Hyperlink, SuccessfulOpenThroughTheBrowserCommandTurnsTheLinkVisited) {
  BrowserVariable browser("/bin/true \"%1\"");
  CHyperLink link;
  link.resize(120, 14);
  link.setText(QStringLiteral("https://torvel.example.org/"));
  int desktopCalls = 0;
  link.SetDesktopOpener([&](const QUrl&) {
    ++desktopCalls;
    return false;
  });
  link.ensurePolished();
  EXPECT_EQ(link.url(), link.text());  // the text became the URL
  EXPECT_EQ(link.toolTip(), link.url());
  EXPECT_EQ(Role(link, QPalette::WindowText), QColor(0, 0, 238));

  Click(link);
  EXPECT_EQ(desktopCalls, 1);
  EXPECT_TRUE(link.visited());
  EXPECT_EQ(Role(link, QPalette::WindowText), QColor(85, 26, 139));
}

TEST(Hyperlink, BrowserThatCannotStartShowsTheFileNotFoundBoxAndStaysUnvisited) {
  BrowserVariable browser("/nonexistent/browser \"%1\"");
  CHyperLink link;
  link.resize(120, 14);
  link.SetURL(QStringLiteral("mailto:support@torvel.example.org"));
  link.SetDesktopOpener([](const QUrl&) { return false; });
  std::optional<ShownBox> shown;
  QTimer::singleShot(0, [&] {
    shown = ActiveQtBox();
    AnswerActiveQtBox(kIdOk);
  });
  Click(link);
  ASSERT_TRUE(shown.has_value());
  EXPECT_EQ(shown->text, "Unable to open hyperlink:\n\nThe specified file was not found.");
  EXPECT_FALSE(link.visited());
  EXPECT_EQ(link.text(), link.url());  // no text: the URL is shown

  BrowserVariable none(nullptr);
  EXPECT_EQ(link.GotoURL(link.url()), kLinkNoAssociation);
}

TEST(Hyperlink, TabReachesItAndEnterOrSpaceOpensItAsAClickWould) {
  QWidget window;
  auto* before = new CButtonST(&window);
  before->setText(QStringLiteral("Before"));
  before->setGeometry(0, 0, 60, 20);
  auto* link = new CHyperLink(&window);
  link->setText(QStringLiteral("torvel.example.org"));
  link->SetURL(QStringLiteral("https://torvel.example.org/"));
  link->setGeometry(0, 30, 120, 14);
  std::vector<QString> opened;
  link->SetDesktopOpener([&](const QUrl& url) {
    opened.push_back(url.toString());
    return true;
  });
  QSignalSpy clicks(link, &CHyperLink::clickedLink);
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  before->setFocus();
  const QImage unfocused = link->grab().toImage();
  QTest::keyClick(before, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), link);
  // The focus shows: a frame around the text.
  EXPECT_NE(link->grab().toImage(), unfocused);

  QTest::keyClick(link, Qt::Key_Return);
  QTest::keyClick(link, Qt::Key_Space);
  QTest::keyClick(link, Qt::Key_A);  // any other key does nothing
  EXPECT_EQ(opened, (std::vector<QString>{"https://torvel.example.org/", "https://torvel.example.org/"}));
  ASSERT_EQ(clicks.size(), 2);
  EXPECT_GT(clicks[0][0].toInt(), 32);
  EXPECT_TRUE(link->visited());
}

TEST(Hyperlink, ScreenReadersMeetALinkThatTheirPressActionOpens) {
  CHyperLink link;
  link.setText(QStringLiteral("support@torvel.example.org"));
  link.SetURL(QStringLiteral("mailto:support@torvel.example.org"));
  int opened = 0;
  link.SetDesktopOpener([&](const QUrl&) {
    ++opened;
    return true;
  });
  QAccessibleInterface* item = QAccessible::queryAccessibleInterface(&link);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->role(), QAccessible::Link);
  EXPECT_EQ(item->text(QAccessible::Name), "support@torvel.example.org");
  EXPECT_EQ(item->text(QAccessible::Value), "mailto:support@torvel.example.org");
  EXPECT_TRUE(item->state().linked);
  EXPECT_TRUE(item->state().focusable);
  EXPECT_FALSE(item->state().traversed);
  ASSERT_NE(item->actionInterface(), nullptr);
  EXPECT_EQ(item->actionInterface()->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});
  item->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_EQ(opened, 1);
  EXPECT_TRUE(item->state().traversed);
  // A name given on purpose wins over the text.
  link.setAccessibleName(QStringLiteral("Write to support"));
  EXPECT_EQ(item->text(QAccessible::Name), "Write to support");
}

TEST(HelpService, FailureIsRememberedAndTracedOnce) {
  test::TempDir dir;
  const auto folder = dir.path() / "help";
  std::filesystem::create_directories(folder / "html");
  test::WriteFile(folder / "html" / "Main window.htm", "<html></html>");
  std::vector<std::string> trace;
  std::vector<std::string> opened;
  bool canOpen = true;
  QtUiServices ui([&](const std::string& line) { trace.push_back(line); }, folder.string(),
                  [&](const std::string& page) {
                    opened.push_back(page);
                    return canOpen;
                  });
  ui.OpenHelpTopic("Torvel Help.chm::\\html\\Main window.htm");
  ui.OpenHelpTopic("Torvel Help.chm::\\html\\No such page.htm");
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], (folder / "html" / "Main window.htm").string());
  EXPECT_EQ(trace.size(), 1u);  // the missing page

  canOpen = false;
  ui.OpenHelpTopic("Torvel Help.chm::\\html\\Main window.htm");
  ui.OpenHelpTopic("Torvel Help.chm::\\html\\Main window.htm");
  EXPECT_EQ(opened.size(), 2u);  // the second request after the failure does not try
  EXPECT_EQ(trace.size(), 2u);

  std::vector<std::string> noFolderTrace;
  QtUiServices missing([&](const std::string& line) { noFolderTrace.push_back(line); },
                       (dir.path() / "absent").string(),
                       [&](const std::string&) {
                         ADD_FAILURE() << "opened without a help folder";
                         return true;
                       });
  missing.OpenHelpTopic("Torvel Help.chm");
  missing.OpenHelpTopic("Torvel Help.chm");
  EXPECT_EQ(noFolderTrace.size(), 1u);
}

TEST(Labels, EtchedLinesStopShortOfTheTextAndColourLabelFillsItsGround) {
  CEtchedLabel etched;
  etched.resize(300, 13);
  etched.setText(QStringLiteral("Next check"));
  const QImage image = Render(etched);
  const int top = 13 / 2 - 2;
  EXPECT_EQ(image.pixel(5, top), Role(etched, QPalette::Light).rgba());
  EXPECT_EQ(image.pixel(5, top + 2), Role(etched, QPalette::Dark).rgba());
  EXPECT_EQ(image.pixel(5, top + 4), Role(etched, QPalette::Light).rgba());
  // Behind the text the ground is the button face.
  const int textLeft = (300 - etched.fontMetrics().horizontalAdvance(etched.text())) / 2;
  EXPECT_EQ(image.pixel(textLeft - 2, top), Role(etched, QPalette::Button).rgba());

  CColourLabel strip;
  strip.resize(100, 14);
  strip.SetBkColor(QColor(127, 127, 127));
  strip.SetTextColor(Qt::white);
  EXPECT_EQ(Render(strip).pixel(1, 1), qRgb(127, 127, 127));
  EXPECT_EQ(strip.textColor(), QColor(Qt::white));
}

TEST(Artwork, EveryPictureTheWindowsNameIsThere) {
  for (int id : kAllIcons) {
    const QImage icon = ArtIcon(id).pixmap(16, 16).toImage();
    ASSERT_FALSE(icon.isNull()) << id;
    EXPECT_EQ(icon.size(), QSize(16, 16)) << id;
    EXPECT_GT(icon.pixelColor(8, 8).alpha() + icon.pixelColor(4, 12).alpha(), 0) << id;
  }
  for (int id : kAllBitmaps) EXPECT_FALSE(ArtBitmap(id).isNull()) << id;
  EXPECT_EQ(ArtBitmap(kBitmapInfo).size(), QSize(9, 11));
  EXPECT_EQ(ArtBitmap(kBitmapInfoHover).size(), QSize(9, 11));
  for (int id : {kBitmapRedDown, kBitmapBlueUp, kBitmapRedUp, kBitmapBlueDown})
    EXPECT_EQ(ArtBitmap(id).size(), QSize(11, 16)) << id;
  // Magenta is cut out exactly; the arrow stays.
  const QImage arrow = ArtBitmap(kBitmapBlueUp, kMagentaTransparent).toImage();
  EXPECT_EQ(arrow.pixelColor(0, 0).alpha(), 0);
  EXPECT_EQ(arrow.pixelColor(5, 10).alpha(), 255);
  EXPECT_TRUE(ArtIcon(9999).isNull());
}

// At 2x a picture is drawn for the screen's pixels: the arrows and info
// images have finer drawings than their pixels doubled.
TEST(Artwork, BitmapsAreDrawnAfreshForDoubleDensityScreens) {
  for (int id : kAllBitmaps) {
    const QPixmap single = ArtBitmap(id, kMagentaTransparent, 1.0);
    const QPixmap twice = ArtBitmap(id, kMagentaTransparent, 2.0);
    EXPECT_EQ(twice.size(), single.size() * 2) << id;
    EXPECT_EQ(twice.devicePixelRatio(), 2.0) << id;
    EXPECT_EQ(twice.deviceIndependentSize(), single.deviceIndependentSize()) << id;
    const QImage doubled = single.toImage().scaled(twice.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation)
                               .convertToFormat(QImage::Format_ARGB32);
    EXPECT_NE(twice.toImage().convertToFormat(QImage::Format_ARGB32), doubled) << id;
  }
  // The doubled arrow keeps no magenta ground.
  const QImage arrow = ArtBitmap(kBitmapRedUp, kMagentaTransparent, 2.0).toImage();
  for (int y = 0; y < arrow.height(); ++y)
    for (int x = 0; x < arrow.width(); ++x)
      if (arrow.pixelColor(x, y).alpha() > 0) {
        EXPECT_NE(arrow.pixelColor(x, y).rgb(), QColor(255, 0, 255).rgb());
      }
}

TEST(Artwork, TintedKeepsTheShapeInOneColour) {
  const QPixmap arrow = ArtBitmap(kBitmapBlueUp, kMagentaTransparent, 2.0);
  const QImage tinted = Tinted(arrow, QColor(120, 170, 255)).toImage();
  const QImage shape = arrow.toImage();
  ASSERT_EQ(tinted.size(), shape.size());
  int coloured = 0;
  for (int y = 0; y < shape.height(); ++y)
    for (int x = 0; x < shape.width(); ++x) {
      EXPECT_EQ(tinted.pixelColor(x, y).alpha(), shape.pixelColor(x, y).alpha());
      if (shape.pixelColor(x, y).alpha() == 255) {
        ++coloured;
        EXPECT_EQ(tinted.pixelColor(x, y).rgb(), QColor(120, 170, 255).rgb());
      }
    }
  EXPECT_GT(coloured, 50);
}

}  // namespace
}  // namespace torvel
