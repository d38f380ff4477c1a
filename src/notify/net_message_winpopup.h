// How a WinPopup send through smbclient is judged; shared by the sender
// and its tests.
#pragma once

#include <chrono>
#include <string>

namespace torvel {

inline constexpr std::chrono::milliseconds kWinPopupTimeout{30000};

// smbclient's exit status (-1 when it was killed or did not end by itself)
// and its combined output, as a NetMessageBufferSend result: 2273 for a name
// that cannot be reached or a server that turns messages down; 5, 87 and 50
// for the statuses of those meanings; 2136 for any other failure.
int WinPopupResult(int exitStatus, const std::string& output);

// SendWinPopup with its own time-out.
int RunWinPopup(const std::string& name, const std::string& text, std::chrono::milliseconds timeout);

}  // namespace torvel
