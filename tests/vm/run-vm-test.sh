#!/usr/bin/env bash
# Proves the SG_IO backend against disks QEMU emulates: boots a Debian kernel
# with a busybox initramfs holding torvelctl and smartctl, once with the disk
# behind the PIIX IDE controller and once behind AHCI, and compares what
# torvelctl reads with what smartctl reads from the same disk. When the build
# has torvel-ata, users without root also read the disk through it.
#
# Usage: tests/vm/run-vm-test.sh BUILD_DIR
#   BUILD_DIR holds src/torvelctl; the kernel is cached in BUILD_DIR/vm-cache.
# Exit: 0 passed (or skipped: QEMU cannot start here), 1 failed.
# Environment: TORVEL_VM_TIMEOUT (seconds per boot, default 120),
#   TORVEL_VM_KVM=0 (never try KVM), TORVEL_VM_KEEP=1 (keep the sparse disk images in BUILD_DIR/vm-work).
set -euo pipefail
export PATH=$PATH:/usr/sbin:/sbin  # depmod for a user without sbin in PATH

here=$(cd "$(dirname "$0")" && pwd)
[ $# -eq 1 ] || { echo "usage: $0 BUILD_DIR" >&2; exit 1; }
build=$(cd "$1" && pwd)
ctl=$build/src/torvelctl
cache=$build/vm-cache
work=$build/vm-work
boot_timeout=${TORVEL_VM_TIMEOUT:-120}
python=/usr/bin/python3
smartctl=$(command -v smartctl || echo /usr/sbin/smartctl)
started=$(date +%s.%N)

say() { echo "vm-test: $*"; }
fail() { echo "vm-test: FAIL: $*" >&2; exit 1; }
skip() { echo "vm-test: SKIP: $*"; exit 0; }
seconds_since() { awk -v a="$1" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }'; }

command -v qemu-system-x86_64 >/dev/null || skip "qemu-system-x86_64 is not installed"
[ -x "$ctl" ] || fail "no torvelctl at $ctl (build the torvelctl target first)"
for tool in busybox cpio xz depmod modprobe readelf dpkg apt-get "$smartctl" "$python"; do
  command -v "$tool" >/dev/null || fail "missing tool: $tool (see scripts/deps.sh)"
done
busybox=$(command -v busybox)
# The initramfs has no libraries for busybox: only the static build serves.
ldd "$busybox" >/dev/null 2>&1 && fail "$busybox is dynamically linked; install busybox-static"

# Whether QEMU can start a machine here at all: create one, paused, and quit
# it over QMP. Only this failing makes the test a skip; a failing boot
# later is a failure.
qmp_out=$(printf '{"execute":"qmp_capabilities"}\n{"execute":"quit"}\n' |
  timeout 30 qemu-system-x86_64 -machine pc -accel tcg -nodefaults -display none -monitor none \
    -serial none -no-reboot -S -qmp stdio 2>&1) ||
  skip "QEMU cannot start a machine here: $(echo "$qmp_out" | grep -v '^{' | head -c 600)"

# ---------------------------------------------------------------------------
# The kernel: Debian 12's current amd64 image, unpacked once into the cache.

kernel_package() {
  # The meta-package names the kernel the archive currently ships.
  apt-cache depends linux-image-amd64 2>/dev/null |
    sed -n 's/^ *Depends: \(linux-image-[0-9][^ ]*-amd64\)$/\1/p' | head -n 1
}

# extract_vmlinux BZIMAGE OUT: the kernel's extract-vmlinux logic: find a
# compressor's magic in the bzImage and keep the first payload that
# decompresses into an ELF file.
extract_vmlinux() {
  local image=$1 out=$2 magic tool offset
  for pair in 'fd377a585a00:xz -dcq' '28b52ffd:zstd -dcq' '1f8b08:gzip -dcq'; do
    magic=${pair%%:*}
    tool=${pair#*:}
    for offset in $(LC_ALL=C grep -obUaP "$(echo "$magic" | sed 's/../\\x&/g')" "$image" |
                    cut -d: -f1 | head -n 5); do
      tail -c "+$((offset + 1))" "$image" | $tool > "$out" 2>/dev/null || true
      if readelf -h "$out" >/dev/null 2>&1; then return 0; fi
    done
  done
  rm -f "$out"
  return 1
}

prepare_kernel() {
  local pkg=$1 kver=$2 dir=$3 tmp=$3.tmp
  say "downloading and unpacking $pkg (once; cached in $cache)"
  rm -rf "$tmp"
  mkdir -p "$tmp/modules"
  (cd "$tmp" && apt-get download -q -o APT::Sandbox::User=root "$pkg" >/dev/null) ||
    fail "apt-get download $pkg failed"
  dpkg -x "$tmp"/*.deb "$tmp/root"
  depmod -b "$tmp/root" "$kver"
  # Dependency order, each module once: the guest insmods them in this order.
  modprobe --show-depends -d "$tmp/root" -S "$kver" -a ata_piix ahci sd_mod sg nvme |
    awk '$1 == "insmod" && !seen[$2]++ { print $2 }' > "$tmp/module-paths"
  [ -s "$tmp/module-paths" ] || fail "modprobe found no modules for ata_piix ahci sd_mod sg nvme"
  while read -r path; do
    cp "$path" "$tmp/modules/"
    basename "$path" >> "$tmp/modules/order"
  done < "$tmp/module-paths"
  cp "$tmp/root/boot/vmlinuz-$kver" "$tmp/bzImage"
  # An ELF vmlinux with a PVH entry note boots without the decompressor and
  # the real-mode set-up, seconds sooner under TCG.
  if extract_vmlinux "$tmp/bzImage" "$tmp/vmlinux" &&
     readelf -n "$tmp/vmlinux" 2>/dev/null | grep -Eq '\(0x00000012\)|PHYS32_ENTRY'; then
    :
  else
    rm -f "$tmp/vmlinux"
  fi
  rm -rf "$tmp/root" "$tmp"/*.deb "$tmp/module-paths"
  rm -rf "$dir"
  mv "$tmp" "$dir"
  # Kernels the archive no longer names only take room.
  find "$cache" -mindepth 1 -maxdepth 1 -name 'kernel-*' ! -name "kernel-$kver" -exec rm -rf {} +
}

pkg=$(kernel_package)
if [ -n "$pkg" ]; then
  kver=${pkg#linux-image-}
  kdir=$cache/kernel-$kver
  # A cache from before the NVMe driver was carried is made anew.
  if [ ! -f "$kdir/bzImage" ] || ! grep -q '^nvme\.ko' "$kdir/modules/order"; then
    prepare_kernel "$pkg-unsigned" "$kver" "$kdir"
  fi
else
  # No package lists (apt-get update never ran): a cached kernel still serves.
  kdir=$(ls -d "$cache"/kernel-* 2>/dev/null | sort -V | tail -n 1 || true)
  [ -n "$kdir" ] || fail "apt-cache names no linux-image-amd64 kernel and none is cached; run apt-get update"
  kver=${kdir##*/kernel-}
fi
say "kernel $kver ($( [ -f "$kdir/vmlinux" ] && echo "PVH vmlinux" || echo bzImage))"

# ---------------------------------------------------------------------------
# The initramfs: busybox, the modules, torvelctl and smartctl with their
# libraries, and the init script.

rm -rf "$work"
mkdir -p "$work/root"/{bin,modules,proc,sys,dev,tmp,carry}
stage=$work/root
cp "$busybox" "$stage/bin/busybox"
cp "$kdir"/modules/* "$stage/modules/"
install -m 755 "$here/guest-init.sh" "$stage/init"

copy_with_libraries() {
  local bin=$1 dest=$2 lib
  mkdir -p "$stage$(dirname "$dest")"
  cp "$bin" "$stage$dest"
  # Without debug information, as packaged: the guest has 256 MB for
  # everything, and a build's torvelctl carries 15 MB of it.
  strip --strip-debug "$stage$dest"
  # Every path ldd prints: the libraries and the dynamic loader.
  for lib in $(ldd "$bin" | grep -o '/[^ ]*'); do
    [ -e "$stage$lib" ] && continue
    mkdir -p "$stage$(dirname "$lib")"
    cp -L "$lib" "$stage$lib"
    strip --strip-debug "$stage$lib"
  done
}
copy_with_libraries "$ctl" /usr/bin/torvelctl
# Loaded by name when a settings store opens, so ldd does not list it.
sqlite_lib=$(ldconfig -p | awk '/libsqlite3\.so\.0 .*x86-64/ && !found { print $NF; found = 1 }')
[ -n "$sqlite_lib" ] || fail "no libsqlite3.so.0 (package libsqlite3-0)"
copy_with_libraries "$sqlite_lib" "$sqlite_lib"
# The core, headless, with the engine library where its run path says; the
# desktop module and the sound are left out, as on a server.
core=$build/src/torvelCore
[ -x "$core" ] && copy_with_libraries "$core" /usr/bin/torvelCore
copy_with_libraries "$smartctl" /usr/sbin/smartctl
nvme_cli=$(command -v nvme || echo /usr/sbin/nvme)
[ -x "$nvme_cli" ] || fail "missing tool: nvme (package nvme-cli, see scripts/deps.sh)"
copy_with_libraries "$nvme_cli" /usr/sbin/nvme

# torvel-ata beside torvelctl (where torvelctl looks first), a second
# torvelctl with no helper beside it, setcap and getcap for the guest to give
# the helper its file capabilities, and two users: "torvel" in no group,
# "torveldisk" in "disk" (gid 6, as on Debian).
helper=$build/src/torvel-ata
setcap=$(command -v setcap || echo /usr/sbin/setcap)
getcap=$(command -v getcap || echo /usr/sbin/getcap)
helper_runs=0
if [ -x "$helper" ] && [ -x "$setcap" ] && [ -x "$getcap" ]; then
  helper_runs=1
  copy_with_libraries "$helper" /usr/bin/torvel-ata
  copy_with_libraries "$ctl" /opt/alone/torvelctl
  copy_with_libraries "$setcap" /usr/sbin/setcap
  copy_with_libraries "$getcap" /usr/sbin/getcap
  mkdir -p "$stage/etc"
  printf '%s\n' 'root:x:0:0:root:/tmp/home:/bin/sh' 'torvel:x:1000:1000::/tmp:/bin/sh' \
    'torveldisk:x:1001:1001::/tmp:/bin/sh' > "$stage/etc/passwd"
  printf '%s\n' 'root:x:0:' 'disk:x:6:torveldisk' 'torvel:x:1000:' 'torveldisk:x:1001:' \
    > "$stage/etc/group"
else
  say "no $helper or no setcap/getcap (libcap2-bin): the runs without root are left out"
fi

make_cpio() { (cd "$1" && find . | LC_ALL=C sort | cpio -o -H newc -R 0:0 --quiet) > "$2"; }
make_cpio "$stage" "$work/base.cpio"

# ---------------------------------------------------------------------------
# Booting.

kernel=$kdir/bzImage
[ -f "$kdir/vmlinux" ] && kernel=$kdir/vmlinux
accel=(-accel tcg)
accel_name=TCG

# boot NAME INITRD APPEND QEMU-ARGS...: runs one guest; the serial console
# goes to $work/NAME.log, QEMU's own messages to $work/NAME.qemu.
boot() {
  local name=$1 initrd=$2 append=$3
  shift 3
  local t0 rc=0
  t0=$(date +%s.%N)
  timeout "$boot_timeout" qemu-system-x86_64 "${accel[@]}" -nodefaults -display none \
    -monitor none -no-reboot -m 256 -smp 1 -serial "file:$work/$name.log" \
    -kernel "$kernel" -initrd "$initrd" \
    -append "console=ttyS0 quiet panic=-1 $append" "$@" > "$work/$name.qemu" 2>&1 || rc=$?
  boot_seconds=$(seconds_since "$t0")
  touch "$work/$name.log"
  return $rc
}

booted() { grep -q "^@@@$2@@@" <(tr -d '\r' < "$work/$1.log"); }

# boot_case NAME INITRD APPEND QEMU-ARGS...: boot, falling back to the
# bzImage when the PVH entry does not reach /init.
boot_case() {
  local name=$1 rc=0
  boot "$@" || rc=$?
  if ! booted "$name" INIT && [ "$kernel" != "$kdir/bzImage" ]; then
    say "the PVH boot did not reach /init; using the bzImage"
    kernel=$kdir/bzImage
    rc=0
    boot "$@" || rc=$?
  fi
  return $rc
}

# /dev/kvm may exist yet not run a stock kernel: only a real boot tells.
if [ "${TORVEL_VM_KVM:-1}" != 0 ] && [ -w /dev/kvm ]; then
  accel=(-accel kvm -cpu host)
  saved_timeout=$boot_timeout
  boot_timeout=30
  if boot kvm-probe "$work/base.cpio" torvel.probe=1 -machine pc && booted kvm-probe "PROBE OK"; then
    accel_name=KVM
  else
    accel=(-accel tcg)
  fi
  boot_timeout=$saved_timeout
fi
say "accelerator: $accel_name"

# The disk QEMU emulates. ATA strings: model up to 40, serial up to 20,
# firmware up to 8 characters.
model="TORVEL VM DISK"
serial=TVM0001
firmware=TV1.2
truncate -s 2G "$work/disk0.img"
# A second disk past the 28-bit LBA limit (137 GB), so the capacity comes
# from the 48-bit words.
truncate -s 160G "$work/disk1.img"
model1="TORVEL VM DISK TWO"
serial1=TVM0002
firmware1=TV2.0

drive_args() {  # DISK-INDEX BUS
  local i=$1 bus=$2 m=$model s=$serial f=$firmware
  [ "$i" -eq 1 ] && { m=$model1; s=$serial1; f=$firmware1; }
  printf '%s\n' -drive "if=none,id=d$i,file=$work/disk$i.img,format=raw" \
    -device "ide-hd,drive=d$i,bus=$bus,model=$m,serial=$s,ver=$f"
}

failures=0
compare() {  # NAME COMPARE-ARGS...
  local name=$1
  shift
  "$python" "$here/compare.py" --log "$work/$name.log" "$@" || failures=$((failures + 1))
}
expect_disk() {  # DISK-INDEX SIZE-BYTES
  local i=$1 m=$model s=$serial f=$firmware
  [ "$i" -eq 1 ] && { m=$model1; s=$serial1; f=$firmware1; }
  printf '%s\n' --disk "$i|$m|$s|$f|$2"
}

boot_failed() {  # NAME RC
  say "FAIL: boot $1 did not finish (exit $2); the end of its console:"
  tr -d '\r' < "$work/$1.log" | tail -n 40
  cat "$work/$1.qemu"
  failures=$((failures + 1))
}

# torvelctl check arrived later than drives and report; without it the
# guest skips the check steps and so does the comparison.
checks=none
(cd "$work" && "$ctl" help 2>&1) | grep -q 'torvelctl check' && checks=first

# 1. The IDE disk on the PIIX controller of the "pc" machine.
rc=0
mapfile -t devs < <(drive_args 0 ide.0)
boot_case ide "$work/base.cpio" "torvel.disks=1" -machine pc "${devs[@]}" || rc=$?
ide_seconds=$boot_seconds
say "IDE boot: ${ide_seconds}s"
if booted ide DONE; then
  mapfile -t exp < <(expect_disk 0 $((2 << 30)))
  compare ide --title "IDE (PIIX), $accel_name" "${exp[@]}" --checks "$checks" --mutations \
    --helper-runs "$helper_runs"
else
  boot_failed ide "$rc"
fi

# The settings store the IDE boot left, as it was and with one baseline
# value moved, go into the next boot: QEMU's attributes do not move between
# boots, so the moved value is the change its check must find.
ahci_initrd=$work/base.cpio
ahci_checks=()
if [ "$checks" = first ] && booted ide DONE; then
  if moved=$("$python" "$here/compare.py" --log "$work/ide.log" --extract-settings "$work/settings.tgz"); then
    mkdir -p "$work/settings" "$work/carry-root/carry"
    tar -xzf "$work/settings.tgz" -C "$work/settings"
    cp "$work/settings.tgz" "$work/carry-root/carry/as-saved.tgz"
    # Our own tool edits the store, so the test needs no knowledge of its tables.
    (cd "$work" && XDG_CONFIG_HOME=$work/settings "$ctl" settings set "$serial" "${moved%$'\t'*}" int \
       "${moved##*$'\t'}" >/dev/null) || fail "torvelctl settings set failed on the carried store"
    tar -czf "$work/carry-root/carry/changed.tgz" -C "$work/settings" Ostrana
    make_cpio "$work/carry-root" "$work/carry.cpio"
    # The kernel unpacks concatenated archives one after the other.
    cat "$work/base.cpio" "$work/carry.cpio" > "$work/ahci.cpio"
    ahci_initrd=$work/ahci.cpio
    ahci_checks=(--checks carried --changed-key "$serial|${moved%$'\t'*} = ${moved##*$'\t'}")
  else
    say "FAIL: the IDE boot printed no settings store to carry over"
    failures=$((failures + 1))
  fi
fi

# 2. Two disks on the AHCI controller of the "q35" machine (ports 0 and 1).
rc=0
mapfile -t devs < <(drive_args 0 ide.0; drive_args 1 ide.1)
boot_case ahci "$ahci_initrd" "torvel.disks=2" -machine q35 "${devs[@]}" || rc=$?
ahci_seconds=$boot_seconds
say "AHCI boot: ${ahci_seconds}s"
if booted ahci DONE; then
  mapfile -t exp < <(expect_disk 0 $((2 << 30)); expect_disk 1 $((160 << 30)))
  compare ahci --title "AHCI (q35), $accel_name" "${exp[@]}" "${ahci_checks[@]}" \
    --helper-runs "$helper_runs"
else
  boot_failed ahci "$rc"
fi

# 3. An AHCI disk and QEMU's NVMe controller together: both are listed, the
#    NVMe drive agrees with nvme-cli and smartctl; then the same with the
#    controller's critical warning bit 2 (reliability degraded) set, which
#    the check must call a T.E.C. (exit 2).
nvme_serial=TVMNVME01
truncate -s 4G "$work/nvme0.img"
nvme_args() {  # EXTRA-DEVICE-PROPERTIES
  printf '%s\n' -drive "if=none,id=nv0,file=$work/nvme0.img,format=raw" \
    -device "nvme,drive=nv0,serial=$nvme_serial$1"
}
nvme_seconds=
for case in nvme nvme-warning; do
  rc=0
  extra=
  [ "$case" = nvme-warning ] && extra=",smart_critical_warning=4"
  mapfile -t devs < <(drive_args 0 ide.0; nvme_args "$extra")
  boot_case "$case" "$work/base.cpio" "torvel.disks=1 torvel.nvme=1" -machine q35 "${devs[@]}" || rc=$?
  say "$case boot: ${boot_seconds}s"
  nvme_seconds="$nvme_seconds $case ${boot_seconds}s"
  if booted "$case" DONE; then
    want=0
    [ "$case" = nvme-warning ] && want=2
    compare "$case" --title "AHCI + NVMe (q35), $accel_name${extra:+, critical warning 4}" \
      --nvme "$nvme_serial|$((4 << 30))" --nvme-check "$want"
  else
    boot_failed "$case" "$rc"
  fi
done

total=$(seconds_since "$started")
say "times under $accel_name: IDE boot ${ide_seconds}s, AHCI boot ${ahci_seconds}s,$nvme_seconds, whole test ${total}s"
[ "${TORVEL_VM_KEEP:-0}" = 1 ] || rm -f "$work"/disk*.img
if [ "$failures" -ne 0 ]; then
  echo "vm-test: FAIL ($failures part(s) failed; consoles in $work)"
  exit 1
fi
echo "vm-test: PASS"
