#include "drive/sector_builder.h"

#include "drive/smart_data.h"

namespace torvel {

IdentifyBuilder& IdentifyBuilder::Word(int w, std::uint16_t value) {
  s_[static_cast<std::size_t>(2 * w)] = static_cast<std::uint8_t>(value & 0xFF);
  s_[static_cast<std::size_t>(2 * w + 1)] = static_cast<std::uint8_t>(value >> 8);
  return *this;
}

IdentifyBuilder& IdentifyBuilder::String(int firstWord, int words, std::string_view text) {
  for (int i = 0; i < 2 * words; ++i) {
    const char c = i < static_cast<int>(text.size()) ? text[static_cast<std::size_t>(i)] : ' ';
    // Byte i of the string is the high byte of its word on the wire.
    s_[static_cast<std::size_t>(2 * firstWord + (i ^ 1))] = static_cast<std::uint8_t>(c);
  }
  return *this;
}

IdentifyBuilder& IdentifyBuilder::Sectors(std::uint64_t count, bool lba48) {
  const std::uint64_t lba28 = count > 0x0FFFFFFF ? 0x0FFFFFFF : count;
  Word(60, static_cast<std::uint16_t>(lba28 & 0xFFFF));
  Word(61, static_cast<std::uint16_t>(lba28 >> 16));
  if (lba48) {
    for (int i = 0; i < 4; ++i) Word(100 + i, static_cast<std::uint16_t>(count >> (16 * i)));
    Word(83, static_cast<std::uint16_t>(IdentifyWordOf(83) | (1u << 10) | 0x4000));
    Word(86, static_cast<std::uint16_t>(IdentifyWordOf(86) | (1u << 10)));
  }
  return *this;
}

IdentifyBuilder& IdentifyBuilder::UltraDma(int supported, int selected) {
  Word(53, static_cast<std::uint16_t>(IdentifyWordOf(53) | (1u << 2)));
  std::uint16_t w88 = 0;
  for (int m = 0; m <= supported && m < 7; ++m) w88 = static_cast<std::uint16_t>(w88 | (1u << m));
  if (selected >= 0 && selected < 7) w88 = static_cast<std::uint16_t>(w88 | (1u << (8 + selected)));
  return Word(88, w88);
}

IdentifyBuilder& IdentifyBuilder::SmartFeature(bool supported) {
  if (!supported) return *this;
  Word(82, static_cast<std::uint16_t>(IdentifyWordOf(82) | 1u));
  Word(83, static_cast<std::uint16_t>(IdentifyWordOf(83) | 0x4000));
  Word(84, static_cast<std::uint16_t>(IdentifyWordOf(84) | 0x4000));
  return Word(85, static_cast<std::uint16_t>(IdentifyWordOf(85) | 1u));
}

IdentifyBuilder& IdentifyBuilder::Checksum() {
  s_[510] = 0xA5;
  std::uint8_t sum = 0;
  for (std::size_t i = 0; i < 511; ++i) sum = static_cast<std::uint8_t>(sum + s_[i]);
  s_[511] = static_cast<std::uint8_t>(-sum);
  return *this;
}

std::uint16_t IdentifyBuilder::IdentifyWordOf(int w) const {
  return static_cast<std::uint16_t>(s_[static_cast<std::size_t>(2 * w)] |
                                    (s_[static_cast<std::size_t>(2 * w + 1)] << 8));
}

SmartSectorBuilder::SmartSectorBuilder() { s_[0] = 0x10; }  // revision 16

SmartSectorBuilder& SmartSectorBuilder::Attribute(int slot, std::uint8_t id, std::uint16_t flags,
                                                  std::uint8_t value, std::uint8_t worst,
                                                  std::uint64_t raw48) {
  const auto at = static_cast<std::size_t>(kAttributeEntryOffset + kAttributeEntrySize * slot);
  s_[at] = id;
  s_[at + 1] = static_cast<std::uint8_t>(flags & 0xFF);
  s_[at + 2] = static_cast<std::uint8_t>(flags >> 8);
  s_[at + 3] = value;
  s_[at + 4] = worst;
  for (std::size_t i = 0; i < 6; ++i) s_[at + 5 + i] = static_cast<std::uint8_t>(raw48 >> (8 * i));
  s_[at + 11] = 0;
  return *this;
}

SmartSectorBuilder& SmartSectorBuilder::Threshold(int slot, std::uint8_t id, std::uint8_t threshold) {
  const auto at = static_cast<std::size_t>(kAttributeEntryOffset + kAttributeEntrySize * slot);
  s_[at] = id;
  s_[at + 1] = threshold;
  return *this;
}

SmartSectorBuilder& SmartSectorBuilder::Byte(int offset, std::uint8_t value) {
  s_[static_cast<std::size_t>(offset)] = value;
  return *this;
}

SmartSectorBuilder& SmartSectorBuilder::Checksum() {
  std::uint8_t sum = 0;
  for (std::size_t i = 0; i < 511; ++i) sum = static_cast<std::uint8_t>(sum + s_[i]);
  s_[511] = static_cast<std::uint8_t>(-sum);
  return *this;
}

}  // namespace torvel
