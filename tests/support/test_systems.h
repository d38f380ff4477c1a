// Systems and folders that several test files of one binary share.
#pragma once

#include <string>

#include "platform/system_info.h"

namespace torvel::test {

// The 9x family: the shared S.M.A.R.T. device, eight probed drives.
inline const FixedSystemInfo kWin98({kPlatformWin9x, 4, 10, 2222, " A"}, {586, 1});
inline const FixedSystemInfo kNt10({kPlatformNT, 10, 0, 19045, ""}, {8664, 2});

#ifdef TORVEL_SOURCE_DIR
inline const std::string kSamplesFolder = std::string(TORVEL_SOURCE_DIR) + "/samples/drives";
#endif

}  // namespace torvel::test
