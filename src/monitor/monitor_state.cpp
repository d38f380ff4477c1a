#include "monitor/monitor_state.h"

namespace torvel {

std::array<int, kMaxDrives> MonitorState::ChangeCounts() const {
  std::array<int, kMaxDrives> counts{};
  for (int d = 0; d < kMaxDrives; ++d) counts[d] = static_cast<int>(changes[d].size());
  return counts;
}

void StatusSummary::Append(std::string_view text) {
  full_.append(text);
  const std::size_t room = kBytes - 1 - text_.size();
  text_.append(text.substr(0, room));
}

std::string StatusSummary::Bytes() const {
  std::string bytes = text_;
  bytes.resize(kBytes, '\0');
  return bytes;
}

}  // namespace torvel
