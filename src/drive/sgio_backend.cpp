// Placeholder until the SG_IO translation lands: no device can be opened.
#include "drive/sgio_backend.h"

#include <cerrno>

namespace torvel {
namespace {
class NoDevices final : public DriveBackend {
 public:
  DeviceHandle Open(std::string_view) override { return kInvalidHandle; }
  bool Control(DeviceHandle, ControlCode, std::span<const std::uint8_t>,
               std::span<std::uint8_t>) override {
    return false;
  }
  void Close(DeviceHandle) override {}
  std::uint32_t LastError() const override { return ENOSYS; }
};
}  // namespace

std::unique_ptr<DriveBackend> MakeSgioBackend() { return std::make_unique<NoDevices>(); }

}  // namespace torvel
