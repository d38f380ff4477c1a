// Stand-ins for GetVersionExA, GetSystemInfo and GetComputerNameA.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace torvel {

inline constexpr std::uint32_t kPlatformWin9x = 1;
inline constexpr std::uint32_t kPlatformNT = 2;

struct OsVersionInfo {
  std::uint32_t platformId = 0;
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t build = 0;
  std::string csdVersion;  // the "service pack" text
};

struct ProcessorInfo {
  std::uint32_t processorType = 0;
  std::uint32_t processorCount = 0;
};

class SystemInfo {
 public:
  virtual ~SystemInfo() = default;
  virtual OsVersionInfo GetVersionEx() const = 0;
  virtual ProcessorInfo GetSystemInfo() const = 0;
};

// Values given up front: tests, and the 9x stand-in for simulated drives.
class FixedSystemInfo final : public SystemInfo {
 public:
  FixedSystemInfo(OsVersionInfo os, ProcessorInfo cpu) : os_(std::move(os)), cpu_(cpu) {}
  OsVersionInfo GetVersionEx() const override { return os_; }
  ProcessorInfo GetSystemInfo() const override { return cpu_; }

 private:
  OsVersionInfo os_;
  ProcessorInfo cpu_;
};

// The running Linux system: NT family, version from the kernel release.
class LinuxSystemInfo final : public SystemInfo {
 public:
  OsVersionInfo GetVersionEx() const override;
  ProcessorInfo GetSystemInfo() const override;
};

// "6.1.0-28-amd64" on "Linux" -> NT 6.1 build 0, "Linux 6.1.0-28-amd64".
OsVersionInfo OsVersionFromUname(std::string_view sysname, std::string_view release);

// 586 for 32-bit x86, 8664 for x86-64, 0 for anything else.
std::uint32_t ProcessorTypeFromMachine(std::string_view machine);

// GetComputerNameA: the host name's first label in upper case, at most 15
// characters (the NetBIOS limit).
std::string ComputerNameFromHost(std::string_view hostName);
std::string ComputerName();

// The 9x family as the shared-device path of simulated drives sees it.
OsVersionInfo SimulatedWin9xVersion();

}  // namespace torvel
