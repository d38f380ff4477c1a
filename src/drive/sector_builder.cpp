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

namespace {
template <std::size_t N>
void PutLe(std::array<std::uint8_t, N>& page, std::size_t at, std::uint64_t v, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) page[at + i] = static_cast<std::uint8_t>(i < 8 ? v >> (8 * i) : 0);
}
template <std::size_t N>
void PutText(std::array<std::uint8_t, N>& page, std::size_t at, std::size_t size, std::string_view text) {
  for (std::size_t i = 0; i < size; ++i)
    page[at + i] = static_cast<std::uint8_t>(i < text.size() ? text[i] : ' ');
}
}  // namespace

NvmePagesBuilder& NvmePagesBuilder::Identity(std::string_view model, std::string_view serial,
                                             std::string_view firmware) {
  PutText(ctrl_, 4, 20, serial);
  PutText(ctrl_, 24, 40, model);
  PutText(ctrl_, 64, 8, firmware);
  return *this;
}

NvmePagesBuilder& NvmePagesBuilder::Namespace(std::uint64_t blocks, int lbads) {
  for (std::size_t at : {0u, 8u, 16u}) PutLe(ns_, at, blocks, 8);
  ns_[25] = 0;  // NLBAF: one format
  ns_[26] = 0;  // FLBAS: format 0
  ns_[130] = static_cast<std::uint8_t>(lbads);
  // TNVMCAP in the controller, as a drive of one namespace reports it.
  PutLe(ctrl_, 280, lbads < 64 ? blocks << lbads : 0, 16);
  return *this;
}

NvmePagesBuilder& NvmePagesBuilder::Health(const NvmeHealth& h) {
  log_[0] = h.criticalWarning;
  PutLe(log_, 1, static_cast<std::uint64_t>(h.temperatureKelvin), 2);
  log_[3] = static_cast<std::uint8_t>(h.availableSpare);
  log_[4] = static_cast<std::uint8_t>(h.spareThreshold);
  log_[5] = static_cast<std::uint8_t>(h.percentageUsed);
  const std::pair<std::size_t, std::uint64_t> counters[] = {
      {32, h.dataUnitsRead},   {48, h.dataUnitsWritten}, {64, h.hostReads},
      {80, h.hostWrites},      {96, h.busyMinutes},      {112, h.powerCycles},
      {128, h.powerOnHours},   {144, h.unsafeShutdowns}, {160, h.mediaErrors},
      {176, h.errorLogEntries}};
  for (const auto& [at, v] : counters) PutLe(log_, at, v, 16);
  PutLe(log_, 192, h.warningTempMinutes, 4);
  PutLe(log_, 196, h.criticalTempMinutes, 4);
  return *this;
}

}  // namespace torvel
