#include "drive/ata_helper_protocol.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

namespace torvel::helper {
namespace {

using Bytes = std::vector<std::uint8_t>;

ParsedRequest Parse(std::vector<std::string_view> args, std::span<const std::uint8_t> block) {
  return ParseRequest(args, block);
}

Bytes Block(int drive, DriveCommand c) {
  const auto b = RequestBytes({drive, c});
  return {b.begin(), b.end()};
}

TEST(AtaHelperWhitelist, AcceptsEveryCommandOnEveryDriveWithTheChannelsBlock) {
  for (int drive = 0; drive < kDriveCount; ++drive) {
    for (DriveCommand c : kWhitelist) {
      const Request want{drive, c};
      const auto args = RequestArguments(want);
      const Bytes block = Block(drive, c);
      const ParsedRequest got = Parse({args[0], args[1]}, block);
      ASSERT_TRUE(got.request) << got.error;
      EXPECT_EQ(*got.request, want);

      // The block is exactly what the channel builds: row, count and
      // sector number 1, drive/head by parity, the drive number.
      std::array<std::uint8_t, kRequestSize> channel{};
      StoreBlock(BuildRequest(c, drive), channel);
      EXPECT_EQ(block, Bytes(channel.begin(), channel.end()));
      EXPECT_EQ(RequestFromBlock(drive, RowOf(c).code, block), want);
    }
  }
}

TEST(AtaHelperWhitelist, RefusesEveryOtherCommandName) {
  const Bytes block = Block(0, DriveCommand::IdentifyDevice);
  const std::vector<std::string_view> names = {
      "", "Identify", "IDENTIFY", "identify ", " identify", "identify-device", "smart",
      "read", "write", "read-log", "security-erase", "0xEC", "ec", "identify\n",
      std::string_view("identify\0", 9), "read-data;enable"};
  for (std::string_view name : names) {
    const ParsedRequest got = Parse({"0", name}, block);
    EXPECT_FALSE(got.request) << "'" << name << "'";
    EXPECT_NE(got.error.find("unknown command"), std::string::npos) << got.error;
  }
  // The names the client sends are the only names there are.
  for (DriveCommand c : kWhitelist) EXPECT_EQ(CommandFromName(CommandName(c)), c);
}

TEST(AtaHelperWhitelist, RefusesDriveNumbersOutsideZeroToTwentyThree) {
  for (std::string_view text : {"-1", "24", "99", "abc", "", "1a", "+1", " 1", "1 ", "00", "01",
                                "0x1", "1.0", "4294967296", "-0"}) {
    const ParsedRequest got = Parse({text, "identify"}, Block(1, DriveCommand::IdentifyDevice));
    EXPECT_FALSE(got.request) << "'" << text << "'";
    EXPECT_NE(got.error.find("drive number must be 0 to 23"), std::string::npos) << got.error;
  }
  EXPECT_EQ(ParseDriveNumber("0"), 0);
  EXPECT_EQ(ParseDriveNumber("11"), 11);
  EXPECT_EQ(ParseDriveNumber("23"), 23);
}

TEST(AtaHelperWhitelist, RefusesEveryChangedByteOfTheBlock) {
  // Each bit of each byte, for each command on an even and an odd drive:
  // a register, the buffer size, the drive number or a reserved byte.
  for (int drive : {0, 7}) {
    for (DriveCommand c : kWhitelist) {
      const Bytes good = Block(drive, c);
      for (std::size_t at = 0; at < good.size(); ++at) {
        for (int bit = 0; bit < 8; ++bit) {
          Bytes bad = good;
          bad[at] = static_cast<std::uint8_t>(bad[at] ^ (1u << bit));
          const auto args = RequestArguments({drive, c});
          const ParsedRequest got = Parse({args[0], args[1]}, bad);
          ASSERT_FALSE(got.request) << CommandName(c) << " byte " << at << " bit " << bit;
          EXPECT_NE(got.error.find("request byte " + std::to_string(at) + " "), std::string::npos)
              << got.error;
          // A flipped bit may make another whitelisted command (0xD0 and
          // 0xD1), never this one again.
          EXPECT_NE(RequestFromBlock(drive, RowOf(c).code, bad), (Request{drive, c}));
        }
      }
    }
  }
}

TEST(AtaHelperWhitelist, RefusesOneCommandsBlockUnderAnothersNameOrDrive) {
  for (DriveCommand named : kWhitelist) {
    for (DriveCommand sent : kWhitelist) {
      if (named == sent) continue;
      EXPECT_FALSE(Parse({"2", CommandName(named)}, Block(2, sent)).request)
          << CommandName(named) << " with the block of " << CommandName(sent);
    }
    EXPECT_FALSE(Parse({"2", CommandName(named)}, Block(3, named)).request);
    // Under the other control code the channel's block is not a command.
    const ControlCode other = RowOf(named).code == ControlCode::SmartRcvDriveData
                                  ? ControlCode::SmartSendDriveCommand
                                  : ControlCode::SmartRcvDriveData;
    EXPECT_FALSE(RequestFromBlock(2, other, Block(2, named)));
  }
  // The registers of the system's commands but sector count 2: a longer read.
  Bytes twoSectors = Block(0, DriveCommand::SmartReadData);
  twoSectors[5] = 2;
  EXPECT_FALSE(Parse({"0", "read-data"}, twoSectors).request);
}

TEST(AtaHelperWhitelist, RefusesMalformedRequests) {
  const Bytes good = Block(0, DriveCommand::SmartReturnStatus);
  for (std::size_t size : {0u, 1u, 31u, 33u, 64u, 4096u}) {
    Bytes block = good;
    block.resize(size, 0);
    const ParsedRequest got = Parse({"0", "status"}, block);
    EXPECT_FALSE(got.request) << size;
    EXPECT_NE(got.error.find("request block"), std::string::npos) << got.error;
  }
  EXPECT_FALSE(Parse({}, good).request);
  EXPECT_FALSE(Parse({"0"}, good).request);
  EXPECT_FALSE(Parse({"0", "status", "extra"}, good).request);
  EXPECT_FALSE(Parse({"0", "status", ""}, good).request);
  const std::string longName(kMaxArgumentLength + 1, 'a');
  EXPECT_EQ(Parse({"0", longName}, good).error, "argument longer than 32 bytes");
  // Control characters from the caller do not reach the terminal.
  EXPECT_EQ(Parse({"0", "\x1b[2J"}, good).error.find('\x1b'), std::string::npos);
}

TEST(AtaHelperFrame, CarriesEachCommandsReplyAndFailures) {
  for (DriveCommand c : kWhitelist) {
    Reply ok{true, 0, Bytes(RowOf(c).replySize)};
    for (std::size_t i = 0; i < ok.bytes.size(); ++i) ok.bytes[i] = static_cast<std::uint8_t>(i * 7);
    const Bytes frame = EncodeReply(ok);
    ASSERT_EQ(frame.size(), kFrameHeaderSize + RowOf(c).replySize);
    const DecodedReply back = DecodeReply(frame, c);
    ASSERT_TRUE(back.reply) << back.error;
    EXPECT_TRUE(back.reply->ok);
    EXPECT_EQ(back.reply->bytes, ok.bytes);

    const DecodedReply failed = DecodeReply(EncodeReply({false, EIO, {}}), c);
    ASSERT_TRUE(failed.reply) << failed.error;
    EXPECT_FALSE(failed.reply->ok);
    EXPECT_EQ(failed.reply->error, static_cast<std::uint32_t>(EIO));
  }
}

TEST(AtaHelperFrame, RefusesDamagedFrames) {
  const DriveCommand c = DriveCommand::SmartReadData;
  const Bytes good = EncodeReply({true, 0, Bytes(kDataReplySize, 0x5A)});
  auto damaged = [&](auto change) {
    Bytes f = good;
    change(f);
    return DecodeReply(f, c).reply.has_value();
  };
  EXPECT_FALSE(damaged([](Bytes& f) { f.pop_back(); }));
  EXPECT_FALSE(damaged([](Bytes& f) { f.push_back(0); }));
  EXPECT_FALSE(damaged([](Bytes& f) { f.resize(kFrameHeaderSize - 1); }));
  EXPECT_FALSE(damaged([](Bytes& f) { f[0] = 'X'; }));
  EXPECT_FALSE(damaged([](Bytes& f) { f[4] = 2; }));   // version
  EXPECT_FALSE(damaged([](Bytes& f) { f[5] = 2; }));   // success flag
  EXPECT_FALSE(damaged([](Bytes& f) { f[6] = 1; }));   // reserved
  EXPECT_FALSE(damaged([](Bytes& f) { f[8] = 5; }));   // errno on success
  EXPECT_FALSE(damaged([](Bytes& f) { f[13] ^= 1; }));  // length
  // A status-sized reply is not a sector, and a failure must say why.
  EXPECT_FALSE(DecodeReply(EncodeReply({true, 0, Bytes(kStatusReplySize)}), c).reply);
  EXPECT_FALSE(DecodeReply(EncodeReply({false, 0, {}}), c).reply);
  EXPECT_FALSE(DecodeReply(Bytes(kMaxFrameSize + 1), c).reply);
}

}  // namespace
}  // namespace torvel::helper
