// Feeds arbitrary requests to torvel-ata's parser and arbitrary frames to the
// client's reply decoder. Input layout:
//   byte 0           argument count (mod 4)
//   per argument     one length byte, then that many bytes (cut at the end)
//   the rest         standard input for the parser, and the frame for the decoder
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "drive/ata_helper_protocol.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace torvel;
  using namespace torvel::helper;
  if (size == 0) return 0;
  std::span<const std::uint8_t> in(data, size);
  const std::size_t count = in[0] % 4;
  in = in.subspan(1);
  std::vector<std::string_view> args;
  for (std::size_t i = 0; i < count && !in.empty(); ++i) {
    const std::size_t length = std::min<std::size_t>(in[0], in.size() - 1);
    args.emplace_back(reinterpret_cast<const char*>(in.data() + 1), length);
    in = in.subspan(1 + length);
  }

  const ParsedRequest parsed = ParseRequest(args, in);
  if (parsed.request) {
    // Accepted: two arguments naming a whitelisted command on drive 0 to 11,
    // and standard input exactly the channel's block for it.
    const Request& r = *parsed.request;
    Check(parsed.error.empty() && args.size() == 2);
    Check(r.drive >= 0 && r.drive < kDriveCount);
    Check(std::find(kWhitelist.begin(), kWhitelist.end(), r.command) != kWhitelist.end());
    const auto expected = RequestBytes(r);
    Check(in.size() == expected.size() && std::equal(expected.begin(), expected.end(), in.begin()));
    Check(RequestFromBlock(r.drive, RowOf(r.command).code, in) == r);
    const auto back = RequestArguments(r);
    Check(back[0] == args[0] && back[1] == args[1]);
  } else {
    // Refused, with a message fit for a terminal.
    Check(!parsed.error.empty() && parsed.error.size() < 512);
    Check(std::all_of(parsed.error.begin(), parsed.error.end(),
                      [](char c) { return c >= 0x20 && c < 0x7F; }));
  }

  for (DriveCommand c : kWhitelist) {
    const DecodedReply d = DecodeReply(in, c);
    if (!d.reply) {
      Check(!d.error.empty());
      continue;
    }
    // A frame the client accepts is one the helper would have written.
    const std::vector<std::uint8_t> again = EncodeReply(*d.reply);
    Check(again.size() == in.size() && std::equal(again.begin(), again.end(), in.begin()));
    Check(d.reply->ok ? d.reply->bytes.size() == RowOf(c).replySize : d.reply->bytes.empty());
  }
  return 0;
}
