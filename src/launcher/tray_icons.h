// The tray's artwork: a disk with a status badge, one SVG per state,
// compiled in as Qt resources (:/launcher/<state>.svg).
#pragma once

#include <QIcon>

#include "monitor/schedule.h"

namespace torvel {

// The icon of a state; `dimmed` is the faint frame of a flashing icon.
// Where Qt cannot read SVG (its svg plugin is missing) a plain disc in the
// state's colour stands in.
QIcon TrayIcon(TrayState state, bool dimmed = false);

}  // namespace torvel
