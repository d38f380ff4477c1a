#include "platform/block_devices.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>

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

bool IsOtherWholeDisk(std::string_view name) {
  for (std::string_view prefix : {"vd", "xvd"}) {
    if (name.size() <= prefix.size() || !name.starts_with(prefix)) continue;
    const std::string_view rest = name.substr(prefix.size());
    if (std::all_of(rest.begin(), rest.end(), [](char c) { return c >= 'a' && c <= 'z'; }))
      return true;
  }
  return false;
}

namespace {
// "nvme12n3" -> {12, 3}.
std::pair<long, long> NvmeNumbers(std::string_view name) {
  const std::size_t n = name.find('n', 4);
  return {std::stol(std::string(name.substr(4, n - 4))), std::stol(std::string(name.substr(n + 1)))};
}
bool KernelOrder(const std::string& a, const std::string& b) {
  return a.size() != b.size() ? a.size() < b.size() : a < b;
}
}  // namespace

std::vector<DiskNode> OrderDrives(const std::vector<std::string>& names) {
  std::vector<DiskNode> out;
  for (const std::string& n : OrderDisks(names)) out.push_back({n, n, DiskKind::Ata});

  std::vector<std::string> nvme;
  for (const std::string& n : names)
    if (IsNvmeDisk(n) && n.size() < 24) nvme.push_back(n);
  std::sort(nvme.begin(), nvme.end(),
            [](const std::string& a, const std::string& b) { return NvmeNumbers(a) < NvmeNumbers(b); });
  long last = -1;
  for (const std::string& n : nvme) {
    const long controller = NvmeNumbers(n).first;
    if (controller == last) continue;  // one drive per controller
    last = controller;
    out.push_back({n, "nvme" + std::to_string(controller), DiskKind::Nvme});
  }

  std::vector<std::string> other;
  for (const std::string& n : names)
    if (IsOtherWholeDisk(n)) other.push_back(n);
  std::sort(other.begin(), other.end(), KernelOrder);
  for (const std::string& n : other) out.push_back({n, n, DiskKind::Other});
  return out;
}

std::vector<DiskNode> ListDrives(SysCalls& sys, const std::string& folder) {
  std::vector<std::string> names;
  if (!sys.ListDirectory(folder, names).ok()) return {};
  return OrderDrives(names);
}

std::string TransportFromSysPath(std::string_view path, std::string_view block) {
  const auto has = [&path](std::string_view part) { return path.find(part) != std::string_view::npos; };
  if (has("/usb")) return "USB";
  if (has("/nvme")) return "NVMe";
  if (has("/virtio")) return "virtio";
  if (block.starts_with("hd")) return "PATA";
  if (has("/ata")) return "ATA";
  if (has("/host")) return "SCSI";
  return {};
}

std::string DiskTransport(const std::string& folder, const std::string& block) {
  std::error_code ec;
  const std::filesystem::path link = std::filesystem::path(folder) / block;
  std::filesystem::path target = std::filesystem::read_symlink(link, ec);
  if (ec) return {};
  if (target.is_relative()) target = link.parent_path() / target;
  return TransportFromSysPath(target.lexically_normal().string(), block);
}

}  // namespace torvel
