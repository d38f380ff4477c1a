// `Torvel --screenshot DIR`: the tray menu and the tooltip, drawn offscreen
// from a sample status summary, as launcher-menu.png and
// launcher-tooltip.png, and the four icons as launcher-icons.png, for the
// documentation.
#pragma once

#include <filesystem>

namespace torvel {

// 0 when every file was written.
int RenderScreenshots(const std::filesystem::path& folder);

}  // namespace torvel
