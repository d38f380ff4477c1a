// The program's version as its windows, language files and links show it.
#pragma once

namespace torvel {

inline constexpr const char* kVersionText = "2.41";
inline constexpr int kBuildNumber = 334;

}  // namespace torvel
