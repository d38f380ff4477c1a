// One accepted request, sent to one drive. The request block that reaches
// the backend is built here from the whitelist, not taken from the caller.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "drive/ata_helper_protocol.h"
#include "drive/backend.h"

namespace torvel {

helper::Reply Serve(const helper::Request& request, DriveBackend& backend);

// Reads standard input as the helper does: up to one byte more than a
// request block, so an oversized request is seen without reading it all.
// False when the read fails.
bool ReadRequestInput(int fd, std::vector<std::uint8_t>& input);

}  // namespace torvel
