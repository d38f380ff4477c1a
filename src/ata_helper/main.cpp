// torvel-ata DRIVE COMMAND < request-block
//
// The one Torvel program with the right to send raw ATA commands (the
// cap_sys_rawio file capability, given at install time). It sends one of ten
// fixed commands to one whole disk and prints the reply frame; every other
// request is refused before any disk is touched. See docs/ata-helper.md.
#include <sys/prctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <vector>

#include "base/version.h"
#include "ata_helper/capabilities.h"
#include "ata_helper/device_open.h"
#include "ata_helper/serve.h"
#include "drive/ata_helper_protocol.h"
#include "drive/sgio_backend.h"
#include "drive/simulated_backend.h"
#include "platform/block_devices.h"
#include "base/syscalls.h"

namespace {

constexpr const char* kUsage =
    "usage: torvel-ata DRIVE COMMAND < request-block\n"
    "  DRIVE    0 to 23\n"
    "  COMMAND  identify, identify-packet, enable, status, read-data, read-thresholds,\n"
    "           power-mode, nvme-identify-controller, nvme-identify-namespace, nvme-smart-log\n"
    "  the 32-byte request block of that command is read from standard input;\n"
    "  the reply frame is written to standard output\n"
    "       torvel-ata --help | --version\n";

bool WriteAll(int fd, const std::vector<std::uint8_t>& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace torvel;
  // This program never runs another one; with no_new_privs a flaw in it
  // could not exec into more rights either.
  ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0);
  // Only the command needs CAP_SYS_RAWIO and only the open() of the disk
  // CAP_DAC_READ_SEARCH; every other right the process may have goes now.
  helper::KeepOnlyWhatTheCommandNeeds();
  // For the tests: the effective set as the command goes out and after it.
  const bool showCaps = ::secure_getenv("TORVEL_ATA_SHOW_CAPS") != nullptr;

  std::vector<std::string_view> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h" || args[0] == "--version")) {
    const std::string text = args[0] == "--version" ? VersionLine("torvel-ata") : kUsage;
    std::fputs(text.c_str(), stdout);
    return 0;
  }
  std::vector<std::uint8_t> input;
  const bool read = ReadRequestInput(STDIN_FILENO, input);
  const helper::ParsedRequest parsed =
      read ? helper::ParseRequest(args, input)
           : helper::ParsedRequest{std::nullopt, "cannot read the request block"};
  if (!parsed.request) {
    std::fprintf(stderr, "torvel-ata: refused: %s\n%s", parsed.error.c_str(), kUsage);
    return helper::kExitRefused;
  }

  // Simulated drives are for tests on machines without disks. secure_getenv
  // hides them from an installed helper: with its file capability the
  // process runs in secure mode and never reads a caller's folder.
  LinuxSysCalls kernel;
  DeviceOnlySysCalls devices(kernel, "/dev", helper::RaiseOpenRight, helper::LowerOpenRight);
  devices.SetNvmeRight(helper::RaiseNvmeRight, helper::LowerNvmeRight);
  std::unique_ptr<DriveBackend> backend;
  if (const char* folder = ::secure_getenv("TORVEL_DRIVES"); folder && *folder)
    backend = std::make_unique<SimulatedBackend>(folder);
  else
    backend = MakeSgioBackend(devices, kSysBlockFolder, "/dev");

  if (showCaps) std::fprintf(stderr, "torvel-ata: command %s\n", helper::EffectiveSetLine().c_str());
  const helper::Reply reply = Serve(*parsed.request, *backend);
  backend.reset();
  // Sent: nothing the reply needs calls for a right.
  if (!helper::DropAll()) {
    std::fputs("torvel-ata: cannot drop its capabilities\n", stderr);
    return helper::kExitFailed;
  }
  if (showCaps) std::fprintf(stderr, "torvel-ata: reply %s\n", helper::EffectiveSetLine().c_str());
  return WriteAll(STDOUT_FILENO, helper::EncodeReply(reply)) ? helper::kExitAnswered
                                                             : helper::kExitFailed;
}
