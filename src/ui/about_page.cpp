#include "ui/about_page.h"

#include <QFrame>
#include <QLabel>

#include <algorithm>

#include "base/version.h"
#include "drive/report.h"
#include "ui/controls/artwork.h"
#include "ui/controls/button_st.h"
#include "ui/controls/hyperlink_label.h"
#include "ui/logic/about_logic.h"
#include "ui/qt_text.h"

namespace torvel {
namespace {

QLabel* StaticText(QWidget* parent, const QString& text,
                   Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop) {
  auto* label = new QLabel(text, parent);
  label->setAlignment(alignment);
  label->setTextFormat(Qt::PlainText);
  return label;
}

CHyperLink* Link(QWidget* parent, const QString& text, const QString& url) {
  auto* link = new CHyperLink(parent);
  link->setText(text);
  link->SetURL(url);
  link->SetUnderline(false);
  link->SetLinkCursor(ArtCursor(kCursorLink));
  link->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return link;
}

}  // namespace

CAboutPage::CAboutPage(PageContext& context, QWidget* parent) : TabPage(context, "AboutTab", parent) {
  const DialogUnits du(LogicalDpi(this));

  picture_ = new QLabel(this);
  version_ = StaticText(this, ToQt(AboutVersionLine()));
  build_ = StaticText(this, ToQt(AboutBuildLine()), Qt::AlignRight | Qt::AlignTop);
  websiteLabel_ = StaticText(this, QStringLiteral("Website:"));
  website_ = Link(this, ToQt(WebsiteText()), QString::fromLatin1(kProductWebAddress));
  mailLabel_ = StaticText(this, QStringLiteral("E-mail:"));
  mail_ = Link(this, QString::fromLatin1(kSupportEmailAddress), ToQt(SupportMailUrl()));
  auto* line = new QFrame(this);
  notice_ = StaticText(this, QString());
  badge_ = new QLabel(this);
  feedback_ = new CButtonST(this);

  picture_->setGeometry(du.Rect(13, 10, 91, 108));
  version_->setGeometry(du.Rect(115, 10, 133, 10));
  build_->setGeometry(du.Rect(252, 10, 48, 8));
  websiteLabel_->setGeometry(du.Rect(116, 30, 30, 8));
  website_->setGeometry(du.Rect(149, 30, 87, 8));
  mailLabel_->setGeometry(du.Rect(116, 40, 24, 8));
  mail_->setGeometry(du.Rect(141, 40, 95, 8));
  // An etched line is two pixels: shadow above, highlight below.
  const QRect lineRect = du.Rect(116, 52, 184, 1);
  line->setGeometry(lineRect.x(), lineRect.y(), lineRect.width(), std::max(2, lineRect.height()));
  line->setFrameStyle(QFrame::HLine | QFrame::Sunken);
  notice_->setGeometry(du.Rect(115, 104, 129, 25));
  notice_->setWordWrap(true);
  badge_->setGeometry(du.Rect(246, 104, 55, 25));
  feedback_->setGeometry(du.Rect(13, 118, 91, 11));

  const qreal ratio = devicePixelRatioF();
  picture_->setPixmap(ArtPicture(kPictureAbout, picture_->size(), ratio));
  badge_->setPixmap(ArtPicture(kPictureAboutBadge, badge_->size(), ratio));
  picture_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  badge_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  QFont bold = version_->font();
  bold.setFamily(QStringLiteral("Tahoma"));
  bold.setWeight(QFont::Bold);
  version_->setFont(bold);

  feedback_->SetURL(ToQt(FeedbackUrl(context.env.osMajor, context.env.osMinor)));
  feedback_->SetDrawBorder(true, true);

  LoadTexts();
  Relabel();
}

void CAboutPage::Relabel() {
  notice_->setText(Text(3));
  feedback_->setText(Text(5));
  feedback_->SetTooltipText(Text(6));
}

void CAboutPage::ReloadTexts() {
  LoadTexts();
  Relabel();
}

std::string CAboutPage::HelpTopic() const { return kHelpTopicAboutTab; }

}  // namespace torvel
