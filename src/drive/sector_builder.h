// Builds the sectors a drive sends, for the sample-drive generator, the
// benchmarks and the tests. Kept beside the parsers so both sides agree on
// every offset.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "drive/ata_types.h"
#include "drive/nvme.h"

namespace torvel {

class IdentifyBuilder {
 public:
  IdentifyBuilder& Word(int w, std::uint16_t value);
  // Writes `text` padded with blanks into `words` words, in the drive's byte
  // order (first character in the high byte of each word).
  IdentifyBuilder& String(int firstWord, int words, std::string_view text);
  IdentifyBuilder& Model(std::string_view text) { return String(27, 20, text); }
  IdentifyBuilder& Firmware(std::string_view text) { return String(23, 4, text); }
  IdentifyBuilder& Serial(std::string_view text) { return String(10, 10, text); }
  // Sets words 60-61 (capped at 0x0FFFFFFF) and, with lba48, words 100-103 and word 83 bit 10.
  IdentifyBuilder& Sectors(std::uint64_t count, bool lba48);
  // Word 53 bit 2 and word 88: modes 0..supported supported, `selected` selected (-1: none).
  IdentifyBuilder& UltraDma(int supported, int selected);
  // Word 82 bit 0 and word 85 bit 0: S.M.A.R.T. supported and enabled.
  IdentifyBuilder& SmartFeature(bool supported);
  // Word 255: signature 0xA5 and checksum.
  IdentifyBuilder& Checksum();
  const Sector& sector() const { return s_; }

 private:
  std::uint16_t IdentifyWordOf(int w) const;
  Sector s_{};
};

class SmartSectorBuilder {
 public:
  SmartSectorBuilder();
  // Attribute slot i of a data sector.
  SmartSectorBuilder& Attribute(int slot, std::uint8_t id, std::uint16_t flags, std::uint8_t value,
                                std::uint8_t worst, std::uint64_t raw48);
  // Threshold slot i of a threshold sector.
  SmartSectorBuilder& Threshold(int slot, std::uint8_t id, std::uint8_t threshold);
  SmartSectorBuilder& Byte(int offset, std::uint8_t value);
  // Byte 511: the two's-complement checksum of bytes 0-510.
  SmartSectorBuilder& Checksum();
  const Sector& sector() const { return s_; }

 private:
  Sector s_{};
};

// The three NVMe pages: Identify Controller and Namespace, the health log.
class NvmePagesBuilder {
 public:
  NvmePagesBuilder& Identity(std::string_view model, std::string_view serial,
                             std::string_view firmware);
  // NSZE, NCAP and NUSE of namespace 1 in blocks of 2^lbads bytes (format 0).
  NvmePagesBuilder& Namespace(std::uint64_t blocks, int lbads);
  NvmePagesBuilder& Health(const NvmeHealth& h);
  const std::array<std::uint8_t, nvme::kIdentifySize>& controller() const { return ctrl_; }
  const std::array<std::uint8_t, nvme::kIdentifySize>& ns() const { return ns_; }
  const std::array<std::uint8_t, nvme::kSmartLogSize>& log() const { return log_; }

 private:
  std::array<std::uint8_t, nvme::kIdentifySize> ctrl_{};
  std::array<std::uint8_t, nvme::kIdentifySize> ns_{};
  std::array<std::uint8_t, nvme::kSmartLogSize> log_{};
};

}  // namespace torvel
