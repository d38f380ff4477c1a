#include "ata_helper/serve.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace torvel {

helper::Reply Serve(const helper::Request& request, DriveBackend& backend) {
  char name[32];
  std::snprintf(name, sizeof name, kPerDriveNameFormat, request.drive);
  const DeviceHandle h = backend.Open(name);
  if (h == kInvalidHandle || h == kNoHandle) {
    const std::uint32_t error = backend.LastError();
    return {false, error ? error : static_cast<std::uint32_t>(ENOENT), {}};
  }
  const CommandRow row = RowOf(request.command);
  const auto block = helper::RequestBytes(request);
  std::vector<std::uint8_t> reply(row.replySize, 0);
  const bool ok = backend.Control(h, row.code, block, reply);
  const std::uint32_t error = backend.LastError();
  backend.Close(h);
  if (!ok) return {false, error ? error : static_cast<std::uint32_t>(EIO), {}};
  return {true, 0, std::move(reply)};
}

bool ReadRequestInput(int fd, std::vector<std::uint8_t>& input) {
  input.assign(helper::kMaxRequestInput + 1, 0);
  std::size_t got = 0;
  while (got < input.size()) {
    const ssize_t n = ::read(fd, input.data() + got, input.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  input.resize(got);
  return true;
}

}  // namespace torvel
