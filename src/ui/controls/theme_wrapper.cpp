#include "ui/controls/theme_wrapper.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWidget>

namespace torvel {
namespace {

// Qt's plain "Windows" style draws the classic face itself.
bool ClassicStyle(const QStyle* style) {
  return style == nullptr || style->name().compare(QLatin1String("windows"), Qt::CaseInsensitive) == 0;
}

bool ClassicRequested() { return qEnvironmentVariable("TORVEL_CLASSIC_THEME") == QLatin1String("1"); }

}  // namespace

int PushButtonThemeState(bool disabled, bool pressed, bool hot, bool isDefault) {
  if (disabled) return kPbsDisabled;
  if (pressed) return kPbsPressed;
  if (hot) return kPbsHot;
  if (isDefault) return kPbsDefaulted;
  return kPbsNormal;
}

ThemeWrapper::ThemeWrapper(Source source) : loaded_(source == Source::kEnvironment && !ClassicRequested()) {}

ThemeWrapper::Theme ThemeWrapper::OpenThemeData(const QWidget* window, const char* classList) const {
  if (!loaded_ || window == nullptr || classList == nullptr) return nullptr;
  if (QString::fromLatin1(classList).compare(QLatin1String("BUTTON"), Qt::CaseInsensitive) != 0)
    return nullptr;
  const QStyle* style = window->style();
  return ClassicStyle(style) ? nullptr : style;
}

HResult ThemeWrapper::CloseThemeData(Theme theme) const {
  return loaded_ && theme != nullptr ? kSOk : kEFail;
}

HResult ThemeWrapper::DrawThemeParentBackground(const QWidget* window, QPainter&, const QRect&) const {
  return loaded_ && window != nullptr ? kSOk : kEFail;
}

HResult ThemeWrapper::DrawThemeBackground(Theme theme, QPainter& dc, int part, int state, const QRect& rect,
                                          const QRect* clip, const QWidget* window) const {
  if (!loaded_ || theme == nullptr || part != kBpPushButton) return kEFail;
  QStyleOptionButton option;
  if (window != nullptr) option.initFrom(window);
  option.rect = rect;
  option.features = QStyleOptionButton::None;
  option.state &= ~(QStyle::State_Enabled | QStyle::State_MouseOver | QStyle::State_Sunken |
                    QStyle::State_Raised | QStyle::State_On | QStyle::State_HasFocus);
  switch (state) {
    case kPbsDisabled:
      option.state |= QStyle::State_Raised;
      option.palette.setCurrentColorGroup(QPalette::Disabled);
      break;
    case kPbsPressed:
      option.state |= QStyle::State_Enabled | QStyle::State_Sunken;
      break;
    case kPbsHot:
      option.state |= QStyle::State_Enabled | QStyle::State_Raised | QStyle::State_MouseOver;
      break;
    case kPbsDefaulted:
      option.state |= QStyle::State_Enabled | QStyle::State_Raised;
      option.features |= QStyleOptionButton::DefaultButton;
      break;
    default:
      option.state |= QStyle::State_Enabled | QStyle::State_Raised;
      break;
  }
  dc.save();
  if (clip != nullptr) dc.setClipRect(*clip, Qt::IntersectClip);
  theme->drawControl(QStyle::CE_PushButtonBevel, &option, &dc, window);
  dc.restore();
  return kSOk;
}

bool ThemeWrapper::IsAppThemed() const {
  return loaded_ && QApplication::instance() != nullptr && !ClassicStyle(QApplication::style());
}

}  // namespace torvel
