#include "platform/system_info.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <charconv>

namespace torvel {
namespace {
// Reads the leading decimal number of `s` and moves past it and one separator.
std::uint32_t TakeNumber(std::string_view& s) {
  std::uint32_t value = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (ec != std::errc()) value = 0;
  s.remove_prefix(static_cast<std::size_t>(end - s.data()));
  if (!s.empty() && s.front() == '.') s.remove_prefix(1);
  return value;
}
}  // namespace

OsVersionInfo OsVersionFromUname(std::string_view sysname, std::string_view release) {
  OsVersionInfo v;
  v.platformId = kPlatformNT;
  std::string_view rest = release;
  v.major = TakeNumber(rest);
  v.minor = TakeNumber(rest);
  v.build = TakeNumber(rest);
  v.csdVersion = std::string(sysname) + " " + std::string(release);
  return v;
}

std::uint32_t ProcessorTypeFromMachine(std::string_view machine) {
  if (machine == "x86_64" || machine == "amd64") return 8664;
  if (machine == "i386" || machine == "i486" || machine == "i586" || machine == "i686") return 586;
  return 0;
}

std::string ComputerNameFromHost(std::string_view hostName) {
  std::string name(hostName.substr(0, hostName.find('.')));
  if (name.size() > 15) name.resize(15);
  for (char& c : name)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return name;
}

std::string ComputerName() {
  char host[256] = {};
  if (gethostname(host, sizeof host - 1) != 0) return {};
  return ComputerNameFromHost(host);
}

OsVersionInfo SimulatedWin9xVersion() { return {kPlatformWin9x, 4, 10, 2222, " A"}; }

OsVersionInfo LinuxSystemInfo::GetVersionEx() const {
  utsname u{};
  if (uname(&u) != 0) return {kPlatformNT, 0, 0, 0, "Linux"};
  return OsVersionFromUname(u.sysname, u.release);
}

ProcessorInfo LinuxSystemInfo::GetSystemInfo() const {
  utsname u{};
  ProcessorInfo p;
  if (uname(&u) == 0) p.processorType = ProcessorTypeFromMachine(u.machine);
  const long n = sysconf(_SC_NPROCESSORS_ONLN);
  p.processorCount = n > 0 ? static_cast<std::uint32_t>(n) : 1;
  return p;
}

}  // namespace torvel
