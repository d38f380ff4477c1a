#include "ata_helper/capabilities.h"

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdint>
#include <string_view>

#include "base/text_out.h"

namespace torvel::helper {
namespace {

struct Sets {
  std::uint64_t effective = 0;
  std::uint64_t permitted = 0;
  std::uint64_t inheritable = 0;
};

constexpr std::uint64_t Bit(int cap) { return std::uint64_t{1} << cap; }

bool Get(Sets& sets) {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[2] = {};
  if (::syscall(SYS_capget, &header, data) != 0) return false;
  sets.effective = data[0].effective | (std::uint64_t{data[1].effective} << 32);
  sets.permitted = data[0].permitted | (std::uint64_t{data[1].permitted} << 32);
  sets.inheritable = data[0].inheritable | (std::uint64_t{data[1].inheritable} << 32);
  return true;
}

bool Set(const Sets& sets) {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct data[2] = {};
  data[0].effective = static_cast<std::uint32_t>(sets.effective);
  data[1].effective = static_cast<std::uint32_t>(sets.effective >> 32);
  data[0].permitted = static_cast<std::uint32_t>(sets.permitted);
  data[1].permitted = static_cast<std::uint32_t>(sets.permitted >> 32);
  data[0].inheritable = static_cast<std::uint32_t>(sets.inheritable);
  data[1].inheritable = static_cast<std::uint32_t>(sets.inheritable >> 32);
  return ::syscall(SYS_capset, &header, data) == 0;
}

void SetRight(int cap, bool raised) {
  Sets sets;
  if (!Get(sets) || (sets.permitted & Bit(cap)) == 0) return;
  if (raised)
    sets.effective |= Bit(cap);
  else
    sets.effective &= ~Bit(cap);
  Set(sets);
}

}  // namespace

bool KeepOnlyWhatTheCommandNeeds() {
  Sets sets;
  if (!Get(sets)) return false;
  sets.permitted &= Bit(kCapSysRawio) | Bit(kCapDacReadSearch) | Bit(kCapSysAdmin);
  sets.effective &= Bit(kCapSysRawio) & sets.permitted;
  sets.inheritable = 0;
  return Set(sets);
}

void RaiseOpenRight() { SetRight(kCapDacReadSearch, true); }

void LowerOpenRight() { SetRight(kCapDacReadSearch, false); }

void RaiseNvmeRight() { SetRight(kCapSysAdmin, true); }

void LowerNvmeRight() { SetRight(kCapSysAdmin, false); }

bool DropAll() { return Set(Sets{}); }

std::string EffectiveSetLine() {
  std::string status;
  if (!ReadWholeFile("/proc/self/status", status)) return {};
  const std::size_t at = status.find("\nCapEff:");
  if (at == std::string::npos) return {};
  const std::size_t end = status.find('\n', at + 1);
  return status.substr(at + 1, end == std::string::npos ? std::string::npos : end - at - 1);
}

}  // namespace torvel::helper
