// Wire layouts shared by the channel and its backends. They follow the
// Windows drive-command blocks byte for byte, because that is what every
// backend (SG_IO, simulated files, the recorder in tests) is handed.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace torvel {

inline constexpr std::size_t kSectorSize = 512;
using Sector = std::array<std::uint8_t, kSectorSize>;
using SectorView = std::span<const std::uint8_t, kSectorSize>;

// Control codes of the Windows drive-command interface.
enum class ControlCode : std::uint32_t {
  SmartGetVersion = 0x74080,
  SmartSendDriveCommand = 0x7C084,
  SmartRcvDriveData = 0x7C088,
  // This build's own: an NVMe admin command (Linux's NVME_IOCTL_ADMIN_CMD),
  // in the same request block with the opcode in the command register.
  NvmeAdminCommand = 0x7C0A0,
};

// The seven task-file registers plus one reserved byte (IDEREGS).
struct IdeRegs {
  std::uint8_t features = 0;  // the error register on return
  std::uint8_t sectorCount = 0;
  std::uint8_t sectorNumber = 0;  // LBA low
  std::uint8_t cylLow = 0;        // LBA mid
  std::uint8_t cylHigh = 0;       // LBA high
  std::uint8_t driveHead = 0;
  std::uint8_t command = 0;  // the status register on return
  std::uint8_t reserved = 0;
};
static_assert(sizeof(IdeRegs) == 8);

// SENDCMDINPARAMS without its one-byte data tail: the 32 bytes that are sent.
struct RequestBlock {
  std::uint32_t bufferSize = 0;
  IdeRegs regs;
  std::uint8_t driveNumber = 0;
  std::uint8_t reserved[3] = {};
  std::uint32_t dwReserved[4] = {};
};
static_assert(sizeof(RequestBlock) == 32);
inline constexpr std::size_t kRequestSize = sizeof(RequestBlock);

// SENDCMDOUTPARAMS header: buffer size and DRIVERSTATUS; the sector follows.
inline constexpr std::size_t kReplyHeaderSize = 16;
inline constexpr std::size_t kDataReplySize = kReplyHeaderSize + kSectorSize;  // 528
// RETURN STATUS answers with the header followed by the device's registers.
inline constexpr std::size_t kStatusReplySize = kReplyHeaderSize + sizeof(IdeRegs);  // 24
inline constexpr std::size_t kNoDataReplySize = kReplyHeaderSize;                   // 16
// An NVMe Identify page (4096 bytes) behind the same header.
inline constexpr std::size_t kNvmeIdentifyReplySize = kReplyHeaderSize + 4096;       // 4112

// GETVERSIONINPARAMS, the reply of SmartGetVersion.
struct VersionReply {
  std::uint8_t version = 0;
  std::uint8_t revision = 0;
  std::uint8_t reserved = 0;
  std::uint8_t ideDeviceMap = 0;  // bit n: device at n; bit n+4: it is a packet device
  std::uint32_t capabilities = 0;
  std::uint32_t dwReserved[4] = {};
};
static_assert(sizeof(VersionReply) == 24);

// ATA command and S.M.A.R.T. sub-command bytes.
namespace ata {
inline constexpr std::uint8_t kIdentifyDevice = 0xEC;
inline constexpr std::uint8_t kIdentifyPacketDevice = 0xA1;
inline constexpr std::uint8_t kSmart = 0xB0;
inline constexpr std::uint8_t kSmartReadData = 0xD0;
inline constexpr std::uint8_t kSmartReadThresholds = 0xD1;
inline constexpr std::uint8_t kSmartEnable = 0xD8;
inline constexpr std::uint8_t kSmartReturnStatus = 0xDA;
inline constexpr std::uint8_t kCheckPowerMode = 0xE5;
// CHECK POWER MODE's answer in the sector count register.
inline constexpr std::uint8_t kPowerStandby = 0x00;
inline constexpr std::uint8_t kSmartCylLow = 0x4F;
inline constexpr std::uint8_t kSmartCylHigh = 0xC2;
inline constexpr std::uint8_t kTecCylLow = 0xF4;
inline constexpr std::uint8_t kTecCylHigh = 0x2C;
inline constexpr std::uint8_t kMaster = 0xA0;
inline constexpr std::uint8_t kSlave = 0xB0;
}  // namespace ata

template <class T>
T LoadBlock(std::span<const std::uint8_t> bytes) {
  T value{};
  std::memcpy(&value, bytes.data(), bytes.size() < sizeof(T) ? bytes.size() : sizeof(T));
  return value;
}

template <class T>
void StoreBlock(const T& value, std::span<std::uint8_t> bytes) {
  std::memcpy(bytes.data(), &value, bytes.size() < sizeof(T) ? bytes.size() : sizeof(T));
}

}  // namespace torvel
