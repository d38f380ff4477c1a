#include "drive/sat.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <vector>

namespace torvel::sat {
namespace {

using Bytes = std::vector<std::uint8_t>;
using enum DriveCommand;

PassThrough Command(DriveCommand c, int drive = 0) {
  return Translate(RowOf(c).code, BuildRequest(c, drive)).value();
}

// ATA Status Return descriptor; the bytes of bits 47:24 carry noise that must not leak in.
Bytes StatusDescriptor(const IdeRegs& r) {
  return {0x09, 0x0C, 0x00, r.features, 0xEE, r.sectorCount, 0xEE, r.sectorNumber,
          0xEE, r.cylLow, 0xEE, r.cylHigh, r.driveHead, r.command};
}

Bytes DescriptorSense(std::uint8_t key, std::initializer_list<Bytes> descriptors) {
  Bytes s{0x72, key, 0x00, 0x1D, 0, 0, 0, 0};
  for (const Bytes& d : descriptors) s.insert(s.end(), d.begin(), d.end());
  s[7] = static_cast<std::uint8_t>(s.size() - 8);
  return s;
}

Bytes FixedSense(std::uint8_t key, std::uint8_t asc, std::uint8_t ascq, const IdeRegs& r) {
  // Response code, -, key, INFORMATION (error, status, device, count), additional length,
  // COMMAND-SPECIFIC INFORMATION (-, LBA 7:0, 15:8, 23:16), ASC, ASCQ, four more.
  return {0x70, 0, key, r.features, r.command, r.driveHead, r.sectorCount, 10,
          0, r.sectorNumber, r.cylLow, r.cylHigh, asc, ascq, 0, 0, 0, 0};
}

IdeRegs Status(std::uint8_t cylLow, std::uint8_t cylHigh, std::uint8_t status = 0x50) {
  return {0x00, 0x01, 0x01, cylLow, cylHigh, 0xA0, status, 0};
}

constexpr IdeRegs kRegs{0x11, 0x22, 0x33, 0x44, 0x55, 0xA0, 0x50, 0};

Bytes AsBytes(const std::optional<IdeRegs>& r) {
  if (!r) return {};
  Bytes b(sizeof(IdeRegs));
  StoreBlock(*r, b);
  return b;
}

struct CdbCase {
  DriveCommand command;
  std::uint8_t byte1, byte2, features, cylLow, cylHigh, ataCommand;
  std::size_t dataLength, replySize;
};

void PrintTo(const CdbCase& c, std::ostream* os) { *os << "command 0x" << std::hex << int(c.ataCommand) << "/0x" << int(c.features); }

class CdbTable : public ::testing::TestWithParam<std::tuple<CdbCase, int>> {};

TEST_P(CdbTable, CarriesTheRegistersOfTheRequestBlock) {
  const auto& [c, drive] = GetParam();
  const PassThrough p = Command(c.command, drive);
  const std::uint8_t device = (drive % 2) ? 0xB0 : 0xA0;
  EXPECT_EQ(p.cdb, (Cdb{0x85, c.byte1, c.byte2, 0, c.features, 0, 1, 0, 1, 0, c.cylLow, 0,
                        c.cylHigh, device, c.ataCommand, 0}));
  EXPECT_EQ(p.direction, c.dataLength ? Direction::FromDevice : Direction::None);
  EXPECT_EQ(p.dataLength, c.dataLength);
  EXPECT_EQ(p.replySize, c.replySize);
}

constexpr CdbCase kCdbCases[] = {
    {IdentifyDevice, 0x08, 0x0E, 0x00, 0x00, 0x00, 0xEC, 512, 528},
    {IdentifyPacketDevice, 0x08, 0x0E, 0x00, 0x00, 0x00, 0xA1, 512, 528},
    {SmartReadData, 0x08, 0x0E, 0xD0, 0x4F, 0xC2, 0xB0, 512, 528},
    {SmartReadThresholds, 0x08, 0x0E, 0xD1, 0x4F, 0xC2, 0xB0, 512, 528},
    {SmartEnable, 0x06, 0x20, 0xD8, 0x4F, 0xC2, 0xB0, 0, 16},
    {SmartReturnStatus, 0x06, 0x20, 0xDA, 0x4F, 0xC2, 0xB0, 0, 24},
};
INSTANTIATE_TEST_SUITE_P(SixCommands, CdbTable,
                         ::testing::Combine(::testing::ValuesIn(kCdbCases),
                                            ::testing::Values(0, 3)));

TEST(Translate, RejectsAnythingButTheSixCommands) {
  const std::pair<const char*, void (*)(RequestBlock&)> changes[] = {
      {"SMART DISABLE", [](RequestBlock& r) { r.regs.features = 0xD9; }},
      {"SET FEATURES", [](RequestBlock& r) { r.regs.command = 0xEF; }},
      {"no signature", [](RequestBlock& r) { r.regs.cylHigh = 0x00; }},
      {"two sectors", [](RequestBlock& r) { r.regs.sectorCount = 2; }},
      {"other LBA low", [](RequestBlock& r) { r.regs.sectorNumber = 0x80; }},
      {"LBA-mode device", [](RequestBlock& r) { r.regs.driveHead = 0xE0; }},
  };
  for (DriveCommand c : {SmartReturnStatus, SmartReadData}) {
    for (const auto& [what, change] : changes) {
      RequestBlock r = BuildRequest(c, 0);
      change(r);
      EXPECT_FALSE(Translate(RowOf(c).code, r)) << what;
    }
  }
  // Right registers under the wrong control code: the direction would lie.
  EXPECT_FALSE(Translate(ControlCode::SmartSendDriveCommand, BuildRequest(SmartReadData, 0)));
  EXPECT_FALSE(Translate(ControlCode::SmartRcvDriveData, BuildRequest(SmartEnable, 0)));
}

TEST(Sense, ReadsBothFormatsAndTheSenseKey) {
  const Bytes want = AsBytes(kRegs);
  EXPECT_EQ(AsBytes(RegistersFromSense(DescriptorSense(0x01, {StatusDescriptor(kRegs)}))), want);
  EXPECT_EQ(AsBytes(RegistersFromSense(FixedSense(0x01, 0x00, 0x1D, kRegs))), want);
  // The 0x09 descriptor after others, one with a decoy header in its payload.
  const Bytes information = {0x00, 0x0A, 0x80, 0, 1, 2, 3, 4, 5, 6, 7, 8};
  const Bytes decoy = {0x80, 0x02, 0x09, 0x0C};
  EXPECT_EQ(AsBytes(RegistersFromSense(
                DescriptorSense(0x01, {information, decoy, StatusDescriptor(kRegs)}))),
            want);

  EXPECT_FALSE(RegistersFromSense(FixedSense(0x05, 0x20, 0x00, kRegs)));  // invalid opcode
  EXPECT_FALSE(RegistersFromSense(DescriptorSense(0x05, {information})));
  Bytes vendor = DescriptorSense(0x01, {StatusDescriptor(kRegs)});
  vendor[0] = 0x7F;
  EXPECT_FALSE(RegistersFromSense(vendor));

  EXPECT_EQ(SenseKey(DescriptorSense(0x0B, {})), 0x0B);
  EXPECT_EQ(SenseKey(FixedSense(0x05, 0x20, 0x00, kRegs)), 0x05);
  EXPECT_FALSE(SenseKey(vendor));
}

// Exact-size heap copies, so ASan flags any read past the bytes given.
TEST(Sense, TruncatedOrLyingSenseStaysInBounds) {
  const Bytes full =
      DescriptorSense(0x01, {Bytes{0x00, 0x02, 0xAA, 0xBB}, StatusDescriptor(kRegs)});
  for (std::size_t n = 0; n < full.size(); ++n)
    EXPECT_FALSE(RegistersFromSense(Bytes(full.begin(), full.begin() + n))) << "length " << n;
  for (int v = 0; v < 256; ++v) {
    Bytes lying = full;
    lying[7] = static_cast<std::uint8_t>(v);  // additional sense length
    EXPECT_EQ(RegistersFromSense(lying).has_value(), v + 8 >= static_cast<int>(full.size())) << v;
    for (std::size_t at : {9u, 13u}) {  // each descriptor's own length
      Bytes bad = full;
      bad[at] = static_cast<std::uint8_t>(v);
      EXPECT_EQ(RegistersFromSense(bad).has_value(), v == full[at]) << at << " = " << v;
    }
  }
  const Bytes fixed = FixedSense(0x01, 0x00, 0x1D, kRegs);
  for (std::size_t n = 0; n < fixed.size(); ++n)
    EXPECT_EQ(RegistersFromSense(Bytes(fixed.begin(), fixed.begin() + n)).has_value(), n >= 14);
  Bytes shortFixed = fixed;
  shortFixed[7] = 5;  // ends before ASC/ASCQ
  EXPECT_FALSE(RegistersFromSense(shortFixed));
}

TEST(Judge, ReturnStatusHandsBackTheVerdictRegisters) {
  const Bytes good = DescriptorSense(0x01, {StatusDescriptor(Status(0x4F, 0xC2))});
  const Bytes tec = FixedSense(0x01, 0x00, 0x1D, Status(0xF4, 0x2C));
  const Outcome g = Judge(Command(SmartReturnStatus), {.scsiStatus = 2, .sense = good});
  const Outcome t = Judge(Command(SmartReturnStatus), {.scsiStatus = 2, .sense = tec});
  ASSERT_TRUE(g.ok && g.registers && t.ok && t.registers);
  EXPECT_EQ(VerdictFromRegisters(*g.registers), StatusVerdict::Good);
  EXPECT_EQ(VerdictFromRegisters(*t.registers), StatusVerdict::ThresholdExceeded);
}

TEST(Judge, SuccessAndFailureRules) {
  const Bytes good = DescriptorSense(0x01, {StatusDescriptor(Status(0x4F, 0xC2))});
  const Bytes noSenseKey = FixedSense(0x00, 0x00, 0x1D, Status(0x4F, 0xC2));
  const Bytes err = DescriptorSense(0x01, {StatusDescriptor(Status(0xF4, 0x2C, 0x51))});
  const Bytes fault = DescriptorSense(0x01, {StatusDescriptor(Status(0x4F, 0xC2, 0x70))});
  const Bytes aborted = DescriptorSense(0x0B, {StatusDescriptor(Status(0, 0, 0x51))});
  const Bytes unsupported = FixedSense(0x05, 0x24, 0x00, Status(0x4F, 0xC2));
  const Bytes bare = DescriptorSense(0x01, {});
  const struct {
    const char* what;
    DriveCommand command;
    Exchange x;
    int error;
  } cases[] = {
      {"status: ERR beats a recovered key",
       SmartReturnStatus,
       {.scsiStatus = 2, .sense = err},
       EIO},
      {"status: device fault", SmartReturnStatus, {.scsiStatus = 2, .sense = fault}, EIO},
      {"status: aborted", SmartReturnStatus, {.scsiStatus = 2, .sense = aborted}, EIO},
      {"status: no registers", SmartReturnStatus, {.scsiStatus = 2, .sense = unsupported}, EIO},
      {"status: GOOD, no verdict", SmartReturnStatus, {}, EIO},
      {"enable: registers", SmartEnable, {.scsiStatus = 2, .driverStatus = 8, .sense = good}, 0},
      {"enable: GOOD", SmartEnable, {}, 0},
      {"enable: no registers", SmartEnable, {.scsiStatus = 2, .sense = unsupported}, EIO},
      {"read: GOOD", SmartReadData, {}, 0},
      {"read: recovered", SmartReadData, {.scsiStatus = 2, .sense = good}, 0},
      {"read: no sense key", SmartReadData, {.scsiStatus = 2, .sense = noSenseKey}, 0},
      {"read: no registers", SmartReadData, {.scsiStatus = 2, .sense = bare}, EIO},
      {"read: ERR", SmartReadData, {.scsiStatus = 2, .sense = err}, EIO},
      {"read: short", SmartReadData, {.resid = 2}, EIO},
      {"identify packet: aborted", IdentifyPacketDevice, {.scsiStatus = 2, .sense = aborted}, EIO},
      {"ioctl denied",
       SmartReturnStatus,
       {.ioctlError = EACCES, .scsiStatus = 2, .sense = good},
       EACCES},
      {"host gone", SmartReturnStatus, {.scsiStatus = 2, .hostStatus = 1, .sense = good}, EIO},
      {"driver timeout", SmartReadData, {.driverStatus = 0x06}, EIO},
      {"busy", SmartReturnStatus, {.scsiStatus = 0x08, .sense = good}, EIO},
  };
  for (const auto& c : cases) {
    const Outcome o = Judge(Command(c.command), c.x);
    EXPECT_EQ(o.ok, c.error == 0) << c.what;
    EXPECT_EQ(o.error, c.error) << c.what;
  }
}

TEST(FillReply, ShapesEachReplyAndStopsAtItsSize) {
  Sector sector{};
  for (std::size_t i = 0; i < sector.size(); ++i) sector[i] = static_cast<std::uint8_t>(i * 7 + 3);
  const IdeRegs returned{0x01, 0x02, 0x03, 0xF4, 0x2C, 0xB0, 0x50, 0x99};
  Bytes reply(600, 0xEE);
  FillReply(Command(IdentifyDevice), {true, 0, {}}, sector, reply);
  EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 16),
            (Bytes{0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_TRUE(std::equal(sector.begin(), sector.end(), reply.begin() + 16));
  EXPECT_EQ(reply[528], 0xEE);

  reply.assign(600, 0xEE);
  FillReply(Command(SmartReturnStatus), {true, 0, returned}, sector, reply);
  EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 25),
            (Bytes{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // header
                   0x01, 0x02, 0x03, 0xF4, 0x2C, 0xB0, 0x50, 0,     // IDEREGS, reserved 0
                   0xEE}));

  reply.assign(600, 0xEE);
  FillReply(Command(SmartEnable), {true, 0, returned}, sector, reply);
  Bytes headerOnly(17, 0);
  headerOnly[16] = 0xEE;
  EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 17), headerOnly);
}

}  // namespace
}  // namespace torvel::sat
