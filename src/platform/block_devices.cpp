#include "platform/block_devices.h"

#include <algorithm>

#include "base/syscalls.h"

namespace torvel {

bool IsNumberedDisk(std::string_view name) {
  if (name.size() < 3) return false;
  const std::string_view prefix = name.substr(0, 2);
  if (prefix != "sd" && prefix != "hd") return false;
  return std::all_of(name.begin() + 2, name.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

bool IsNvmeDisk(std::string_view name) {
  auto digits = [&name](std::size_t& i) {
    const std::size_t start = i;
    while (i < name.size() && name[i] >= '0' && name[i] <= '9') ++i;
    return i > start;
  };
  if (!name.starts_with("nvme")) return false;
  std::size_t i = 4;
  if (!digits(i) || i >= name.size() || name[i] != 'n') return false;
  ++i;
  return digits(i) && i == name.size();
}

int CountNvmeDisks(SysCalls& sys, const std::string& folder) {
  std::vector<std::string> names;
  if (!sys.ListDirectory(folder, names).ok()) return 0;
  return static_cast<int>(std::count_if(names.begin(), names.end(),
                                        [](const std::string& n) { return IsNvmeDisk(n); }));
}

std::vector<std::string> OrderDisks(std::vector<std::string> names) {
  std::erase_if(names, [](const std::string& n) { return !IsNumberedDisk(n); });
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return a.size() != b.size() ? a.size() < b.size() : a < b;
  });
  return names;
}

std::vector<std::string> ListDisks(SysCalls& sys, const std::string& folder) {
  std::vector<std::string> names;
  if (!sys.ListDirectory(folder, names).ok()) return {};
  return OrderDisks(std::move(names));
}

}  // namespace torvel
