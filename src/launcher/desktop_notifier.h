// Desktop notifications of the drives' state, behind a small interface:
// the launcher decides what to say (DesktopNoticeFor, monitor/schedule.h)
// and hands it here; D-Bus does the showing (dbus_notifier.h), a recording
// fake stands in for tests.
#pragma once

#include <functional>

#include "monitor/schedule.h"

namespace torvel {

class DesktopNotifier {
 public:
  virtual ~DesktopNotifier() = default;
  // Shows `notice` in place of the one shown before, if any. Never blocks
  // and never shows a box: a notice that cannot be shown is only traced.
  virtual void Notify(const DesktopNotice& notice) = 0;
  // Called when the user picks the notice's action, "Open Torvel".
  virtual void SetOpenAction(std::function<void()> open) = 0;
};

}  // namespace torvel
