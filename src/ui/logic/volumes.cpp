#include "ui/logic/volumes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <set>

#include "base/sprintf.h"
#include "platform/block_devices.h"
#include "base/codepage.h"

namespace torvel {
namespace {

std::vector<std::string_view> SplitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  while (start <= line.size()) {
    const std::size_t end = std::min(line.find(' ', start), line.size());
    fields.push_back(line.substr(start, end - start));
    start = end + 1;
  }
  return fields;
}

bool IsOctal(char c) { return c >= '0' && c <= '7'; }

// mountinfo writes a blank, tab, newline and backslash in a path as \ooo.
std::string Unescape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size() && IsOctal(text[i + 1]) &&
        IsOctal(text[i + 2]) && IsOctal(text[i + 3])) {
      out += static_cast<char>(((text[i + 1] - '0') << 6) | ((text[i + 2] - '0') << 3) |
                               (text[i + 3] - '0'));
      i += 3;
    } else {
      out += text[i];
    }
  }
  return out;
}

// The kernel names of every device found under /sys/block, partitions too.
std::map<std::string_view, const BlockDevice*> IndexByName(const VolumeSystem& system) {
  std::map<std::string_view, const BlockDevice*> byName;
  for (const BlockDevice& disk : system.blockDevices) {
    byName.emplace(disk.name, &disk);
    for (const BlockDevice& part : disk.partitions) byName.emplace(part.name, &part);
  }
  return byName;
}

// Device numbers of the disk, its partitions and whatever is stacked on
// them, however deep (LUKS on LVM on md on a partition).
std::set<std::string> NumbersOnDisk(const VolumeSystem& system, std::string_view diskName) {
  const auto byName = IndexByName(system);
  std::set<std::string> numbers;
  std::set<std::string_view> seen;
  std::vector<std::string_view> pending{diskName};
  while (!pending.empty()) {
    const std::string_view name = pending.back();
    pending.pop_back();
    if (!seen.insert(name).second) continue;
    const auto it = byName.find(name);
    if (it == byName.end()) continue;
    const BlockDevice& device = *it->second;
    if (!device.number.empty()) numbers.insert(device.number);
    for (const BlockDevice& part : device.partitions) pending.push_back(part.name);
    for (const std::string& holder : device.holders) pending.push_back(holder);
  }
  return numbers;
}

std::string DiskName(const VolumeSystem& system, int driveNumber) {
  std::vector<std::string> names;
  for (const BlockDevice& d : system.blockDevices) names.push_back(d.name);
  names = OrderDisks(std::move(names));
  if (driveNumber < 0 || static_cast<std::size_t>(driveNumber) >= names.size()) return {};
  return names[static_cast<std::size_t>(driveNumber)];
}

std::vector<VolumeRow> RowsOf(const VolumeSystem& system, const std::vector<MountEntry>& mounts) {
  std::vector<VolumeRow> rows;
  for (const MountEntry& m : mounts) {
    const auto space = system.space.find(m.mountPoint);
    if (space == system.space.end()) continue;
    rows.push_back({m.mountPoint, m.fileSystem, space->second.totalBytes,
                    space->second.freeBytes,
                    FreePercent(space->second.freeBytes, space->second.totalBytes)});
  }
  return rows;
}

// Lead byte of a UTF-8 sequence to its length; a stray byte stands alone.
std::size_t SequenceLength(unsigned char lead) {
  if (lead >= 0xF0 && lead <= 0xF7) return 4;
  if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
  if (lead >= 0xC0) return 2;
  return 1;
}

// Path names are UTF-8 bytes; the page's texts are Windows-1252. What that
// page has no character for shows as '?', one per character.
std::string ToWindows1252(std::string_view utf8) {
  if (auto whole = Utf8ToCp1252(utf8)) return *whole;
  std::string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const std::size_t n =
        std::min(SequenceLength(static_cast<unsigned char>(utf8[i])), utf8.size() - i);
    const auto one = Utf8ToCp1252(utf8.substr(i, n));
    out += one ? *one : std::string("?");
    i += n;
  }
  return out;
}

BlockDevice ReadDevice(VolumeCalls& calls, const std::string& folder, const std::string& name) {
  BlockDevice device;
  device.name = name;
  std::string dev;
  if (calls.ReadFile(folder + "/dev", dev)) {
    while (!dev.empty() && (dev.back() == '\n' || dev.back() == ' ')) dev.pop_back();
    device.number = dev;
  }
  if (!calls.ListDirectory(folder + "/holders", device.holders)) device.holders.clear();
  return device;
}

}  // namespace

std::optional<MountEntry> ParseMountInfoLine(std::string_view line) {
  // id parent major:minor root mount-point options [optional...] - type source super-options
  const std::vector<std::string_view> f = SplitFields(line);
  if (f.size() < 6) return std::nullopt;
  const auto dash = std::find(f.begin() + 6, f.end(), "-");
  if (std::distance(dash, f.end()) < 3) return std::nullopt;
  if (f[2].find(':') == std::string_view::npos || f[4].empty()) return std::nullopt;
  MountEntry m;
  m.number = std::string(f[2]);
  m.root = Unescape(f[3]);
  m.mountPoint = Unescape(f[4]);
  m.fileSystem = Unescape(dash[1]);
  m.source = Unescape(dash[2]);
  return m;
}

std::int64_t FreePercent(std::uint64_t freeBytes, std::uint64_t totalBytes) {
  if (totalBytes == 0) return 0;
  // Wide enough that (free − total) × 100 cannot overflow for any size.
  __extension__ typedef __int128 Wide;
  const Wide total = totalBytes;
  return static_cast<std::int64_t>(100 + (static_cast<Wide>(freeBytes) - total) * 100 / total);
}

std::vector<MountEntry> MountsOnDisk(const VolumeSystem& system, std::string_view diskName) {
  const std::set<std::string> numbers = NumbersOnDisk(system, diskName);
  if (numbers.empty()) return {};

  std::vector<MountEntry> all;
  for (const std::string& line : system.mountInfo)
    if (auto m = ParseMountInfoLine(line)) all.push_back(std::move(*m));
  // A later mount on the same mount point hides the earlier one; statvfs
  // would answer for the later.
  std::map<std::string_view, std::size_t> lastOn;
  for (std::size_t i = 0; i < all.size(); ++i) lastOn[all[i].mountPoint] = i;

  auto onDisk = [&](const MountEntry& m) {
    if (numbers.contains(m.number)) return true;
    const auto source = system.sourceNumbers.find(m.source);
    return source != system.sourceNumbers.end() && numbers.contains(source->second);
  };
  std::vector<MountEntry> kept;
  std::map<std::string, std::size_t> keptByNumber;  // one row per file system
  for (std::size_t i = 0; i < all.size(); ++i) {
    const MountEntry& m = all[i];
    if (lastOn[m.mountPoint] != i || !onDisk(m)) continue;
    const auto [it, fresh] = keptByNumber.emplace(m.number, kept.size());
    if (fresh)
      kept.push_back(m);
    else if (kept[it->second].root != "/" && m.root == "/")
      kept[it->second] = m;
  }
  std::sort(kept.begin(), kept.end(),
            [](const MountEntry& a, const MountEntry& b) { return a.mountPoint < b.mountPoint; });
  return kept;
}

std::vector<MountEntry> MountsOnDrive(const VolumeSystem& system, int driveNumber) {
  const std::string disk = DiskName(system, driveNumber);
  if (disk.empty()) return {};
  return MountsOnDisk(system, disk);
}

std::vector<VolumeRow> VolumesOnDisk(const VolumeSystem& system, std::string_view diskName) {
  return RowsOf(system, MountsOnDisk(system, diskName));
}

std::vector<VolumeRow> VolumesOnDrive(const VolumeSystem& system, int driveNumber) {
  return RowsOf(system, MountsOnDrive(system, driveNumber));
}

std::string VolumeLabel(const VolumeRow& row) {
  return ToWindows1252(row.mountPoint) + " [ " + ToWindows1252(row.fileSystem) + " ]";
}

std::string VolumeValue(const VolumeRow& row) {
  constexpr double kGb = 1024.0 * 1024.0 * 1024.0;
  return Sprintf("Free: %.2f of %.2f Gb [%lld%%]", static_cast<double>(row.freeBytes) / kGb,
                 static_cast<double>(row.totalBytes) / kGb,
                 static_cast<long long>(row.freePercent));
}

bool LinuxVolumeCalls::ListDirectory(const std::string& path, std::vector<std::string>& names) {
  names.clear();
  std::error_code ec;
  std::filesystem::directory_iterator it(path, ec);
  for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec))
    names.push_back(it->path().filename().string());
  return !ec;
}

bool LinuxVolumeCalls::ReadFile(const std::string& path, std::string& text) {
  text.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char buffer[4096];
  bool ok = true;
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) {
      text.append(buffer, static_cast<std::size_t>(n));
    } else if (n == 0) {
      break;
    } else if (errno != EINTR) {
      ok = false;
      break;
    }
  }
  ::close(fd);
  return ok;
}

bool LinuxVolumeCalls::DeviceNumber(const std::string& path, std::string& number) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISBLK(st.st_mode)) return false;
  number = Sprintf("%u:%u", major(st.st_rdev), minor(st.st_rdev));
  return true;
}

bool LinuxVolumeCalls::FreeSpace(const std::string& mountPoint, SpaceInfo& space) {
  struct statvfs vfs {};
  if (::statvfs(mountPoint.c_str(), &vfs) != 0) return false;
  const std::uint64_t unit = vfs.f_frsize != 0 ? vfs.f_frsize : vfs.f_bsize;
  space.totalBytes = static_cast<std::uint64_t>(vfs.f_blocks) * unit;
  space.freeBytes = static_cast<std::uint64_t>(vfs.f_bfree) * unit;
  return true;
}

VolumeSystem ReadVolumeSystem(VolumeCalls& calls) {
  VolumeSystem system;
  const std::string top = kSysBlockFolder;
  std::vector<std::string> names;
  if (calls.ListDirectory(top, names)) {
    for (const std::string& name : names) {
      const std::string folder = top + "/" + name;
      BlockDevice device = ReadDevice(calls, folder, name);
      std::vector<std::string> entries;
      if (calls.ListDirectory(folder, entries)) {
        std::sort(entries.begin(), entries.end());
        for (const std::string& entry : entries) {
          // A partition's folder is named after its disk ("sda1", "md0p1")
          // and holds a "partition" file; "queue", "holders" and so on don't.
          std::string flag;
          if (entry.size() > name.size() && entry.starts_with(name) &&
              calls.ReadFile(folder + "/" + entry + "/partition", flag))
            device.partitions.push_back(ReadDevice(calls, folder + "/" + entry, entry));
        }
      }
      system.blockDevices.push_back(std::move(device));
    }
  }

  std::string text;
  if (calls.ReadFile(kMountInfoPath, text)) {
    std::size_t start = 0;
    while (start < text.size()) {
      const std::size_t end = std::min(text.find('\n', start), text.size());
      if (end > start) system.mountInfo.emplace_back(text, start, end - start);
      start = end + 1;
    }
  }
  for (const std::string& line : system.mountInfo) {
    const auto m = ParseMountInfoLine(line);
    if (!m || !m->source.starts_with("/dev/") || system.sourceNumbers.contains(m->source))
      continue;
    std::string number;
    if (calls.DeviceNumber(m->source, number)) system.sourceNumbers.emplace(m->source, number);
  }
  return system;
}

void ReadFreeSpace(VolumeCalls& calls, const std::vector<MountEntry>& mounts,
                   VolumeSystem& system) {
  for (const MountEntry& m : mounts) {
    SpaceInfo space;
    if (calls.FreeSpace(m.mountPoint, space)) system.space[m.mountPoint] = space;
  }
}

std::vector<VolumeRow> ReadVolumes(VolumeCalls& calls, int driveNumber) {
  VolumeSystem system = ReadVolumeSystem(calls);
  const std::vector<MountEntry> mounts = MountsOnDrive(system, driveNumber);
  ReadFreeSpace(calls, mounts, system);
  return RowsOf(system, mounts);
}

}  // namespace torvel
