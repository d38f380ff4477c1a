// Network messages: a short pop-up text sent to a user or computer name on
// the local network. On Linux through Samba's `smbclient -M` (WinPopup).
#pragma once

#include <string>

namespace torvel {

class EventLogFile;
class SettingsStore;
class SystemInfo;
class UiServices;
struct TextTable;

// The messenger mailslot record of the 9x path: sender, recipient and the
// OEM-page text, each zero-terminated.
std::string BuildMailslotRecord(const std::string& computerName, const std::string& recipient,
                                const std::string& oemText);

// What NetMessageBufferSend returned: 0, or 5, 50, 87, 2273 and others.
int SendWinPopup(const std::string& name, const std::string& text);

struct NetMessageContext {
  SettingsStore& store;
  EventLogFile& log;
  const TextTable& messages;  // section "Messages"
  UiServices& ui;
  const SystemInfo& system;
  std::string computerName;
};

// 0 when Options/NetworkUserName is "?", else sends and logs, returns 1.
int SendNetworkAlert(NetMessageContext& ctx, int drive, const std::string& text);

// Sends and shows a box for each failure the design names.
void SendNetMessage(NetMessageContext& ctx, const std::string& name, const std::string& text);

}  // namespace torvel
