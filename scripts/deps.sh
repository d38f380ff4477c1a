# Sourced by the set-up scripts: installs the Debian packages that are missing.
# Usage: ensure_packages pkg...
ensure_packages() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# qt6-base-dev holds QtDBus too (the launcher's desktop notifications);
# dbus-daemon gives their tests a private session bus.
BUILD_PACKAGES=(g++ cmake ninja-build ccache make pkg-config libsqlite3-dev
                qt6-base-dev libqt6svg6 fonts-wine libcurl4-openssl-dev libcanberra-dev)
TEST_PACKAGES=(libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev
               libatasmart-bin smartmontools python3-aiosmtpd openssl samba smbclient
               qemu-system-x86 busybox-static cpio kmod xz-utils python3 libcap2-bin
               lintian dpkg-dev file hdparm nvme-cli nlohmann-json3-dev
               prometheus prometheus-node-exporter mmdebstrap systemd-container
               dbus-daemon)
