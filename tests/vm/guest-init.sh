#!/bin/busybox sh
# /init of the test guest. Loads the disk drivers, then runs torvelctl and
# smartctl against the emulated disks and prints every output on the serial
# console between "@@@BEGIN name@@@" and "@@@END name rc=N@@@" lines, which
# run-vm-test.sh cuts apart on the host. Never fails silently: whatever
# goes wrong is printed as a section, and the guest always powers off.
/bin/busybox --install -s /bin
export PATH=/bin:/usr/bin:/usr/sbin
mkdir -p /proc /sys /dev /tmp
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
mount -t tmpfs tmpfs /tmp
# Kernel messages would cut into the outputs on the same console.
echo 1 > /proc/sys/kernel/printk
echo "@@@INIT@@@"

arg() { sed -n "s/.*torvel\.$1=\([^ ]*\).*/\1/p" /proc/cmdline; }
expected_disks=$(arg disks)
timing_runs=$(arg runs)
[ -n "$timing_runs" ] || timing_runs=20

section_begin() { echo "@@@BEGIN $1@@@"; }
section_end() { echo "@@@END $1 rc=$2@@@"; }

# run NAME COMMAND...: stdout as section NAME, stderr as NAME.stderr when
# there is any.
run() {
  name=$1
  shift
  section_begin "$name"
  # A hung command loses its own section only, not the ones after it.
  timeout 60 "$@" 2>/tmp/stderr
  rc=$?
  section_end "$name" "$rc"
  if [ -s /tmp/stderr ]; then
    section_begin "$name.stderr"
    cat /tmp/stderr
    section_end "$name.stderr" 0
  fi
}

# Run times inside the guest; /proc/uptime counts hundredths, so several
# runs each.
time_runs() {
  label=$1
  shift
  start=$(cut -d' ' -f1 /proc/uptime)
  i=0
  while [ $i -lt "$timing_runs" ]; do
    "$@" >/dev/null 2>&1
    i=$((i + 1))
  done
  echo "$label runs=$timing_runs start=$start end=$(cut -d' ' -f1 /proc/uptime)"
}

# startup_times DRIVE SMARTCTL-ARGS...: what one start of each program costs
# beside the work it does: a static busybox /bin/true (the price of a
# process), torvelctl with no command (its own start), torvelctl's report of
# DRIVE and smartctl -a of the same disk, and the core's headless check
# (torvelCore -o: start, read every drive, check, end).
#
# Twice: as a machine runs them, then with address-space randomisation off.
# QEMU's TCG reuses the code it translated only at the same addresses, so
# with randomisation every run of a position-independent program translates
# all the code it touches again, which costs a dynamically linked "hello,
# world" about 25 ms here (busybox is static, at fixed addresses). The second
# set (suffix -fixed) leaves mostly the programs' own work.
startup_times() {
  drive=$1
  shift
  for suffix in "" -fixed; do
    [ "$suffix" = -fixed ] && echo 0 > /proc/sys/kernel/randomize_va_space
    time_runs "true$suffix" /bin/true
    time_runs "torvelctl$suffix" torvelctl
    time_runs "torvelctl-report$suffix" torvelctl report "$drive"
    time_runs "smartctl-a$suffix" "$@"
    if [ -x /usr/bin/torvelCore ]; then
      mkdir -p /tmp/core-runtime /tmp/core-work
      chmod 700 /tmp/core-runtime
      # In its own folder (its logs) and store, made by the first run and
      # read by the others, as on a desktop.
      (cd /tmp/core-work && export XDG_RUNTIME_DIR=/tmp/core-runtime XDG_CONFIG_HOME=/tmp/core-config &&
        time_runs "torvelCore-o$suffix" torvelCore -o)
    fi
  done
  echo 2 > /proc/sys/kernel/randomize_va_space
}

finish() {
  echo "@@@DONE@@@"
  sync
  poweroff -f
}

# A probe boot only shows that the machine starts at all.
if grep -q 'torvel.probe=1' /proc/cmdline; then
  echo "@@@PROBE OK@@@"
  finish
fi

section_begin modules
loaded=0
for m in $(cat /modules/order); do
  # crct10dif-pclmul refuses CPUs without PCLMULQDQ; the generic one serves.
  if insmod "/modules/$m" 2>&1; then loaded=$((loaded + 1)); else echo "not loaded: $m"; fi
done
section_end modules "$loaded"

# Probing runs in the background after insmod returns.
i=0
while [ "$(ls /sys/block | grep -c '^sd')" -lt "${expected_disks:-1}" ] && [ $i -lt 600 ]; do
  usleep 100000
  i=$((i + 1))
done
# An NVMe controller's namespace appears after the driver's own probe.
if [ "$(arg nvme)" = 1 ]; then
  i=0
  while [ ! -e /sys/block/nvme0n1 ] && [ $i -lt 600 ]; do
    usleep 100000
    i=$((i + 1))
  done
  mkdir -p /tmp/nvme-work
  cd /tmp/nvme-work || finish
  export HOME=/tmp/home XDG_CONFIG_HOME=/tmp/nvme-config TORVEL_HOME=/tmp/nvme-work
  # Drive numbers: the ATA disks first, then the controller.
  nvme_drive=$(ls /sys/block | grep -c '^sd')
  run nvme-drives torvelctl drives
  run nvme-report torvelctl report "$nvme_drive" --utf8
  run nvme-debug-log sh -c "tr -d '\r' < debug.log"
  run nvme-id-ctrl nvme id-ctrl /dev/nvme0 -o json
  run nvme-id-ns nvme id-ns /dev/nvme0n1 -o json
  run nvme-smart-log nvme smart-log /dev/nvme0 -o json
  run nvme-smartctl smartctl -a /dev/nvme0
  # The three pages as the controller sent them, for the unit tests' captures.
  run nvme-pages sh -c 'nvme id-ctrl /dev/nvme0 -b | base64; echo --; nvme id-ns /dev/nvme0n1 -b | base64; \
    echo --; nvme smart-log /dev/nvme0 -b | base64'
  run nvme-check torvelctl check
  section_begin nvme-timing
  startup_times "$nvme_drive" smartctl -a /dev/nvme0
  section_end nvme-timing 0
  finish
fi

run disks sh -c 'for d in /sys/block/sd*; do [ -e "$d" ] || continue; n=${d##*/}; \
  echo "$n $(cat $d/size) $(cat $d/device/vendor 2>/dev/null)|$(cat $d/device/model 2>/dev/null)"; \
  [ -b /dev/$n ] || echo "missing /dev/$n"; done'

mkdir -p /tmp/work /tmp/home
cd /tmp/work || finish
# torvelctl keeps debug.log in TORVEL_HOME: here the working folder.
export HOME=/tmp/home XDG_CONFIG_HOME=/tmp/config TORVEL_HOME=/tmp/work

run drives torvelctl drives
run debug-log cat debug.log
disk=0
for dev in $(ls /sys/block | grep '^sd' | awk '{ print length($0) " " $0 }' | sort -n | cut -d' ' -f2); do
  run "report-$disk" torvelctl report "$disk" --utf8
  # raw48 everywhere: every raw value as one decimal number, as we print it.
  run "smartctl-$disk" smartctl -a -d sat -v N,raw48 -r ataioctl,2 "/dev/$dev"
  disk=$((disk + 1))
done

# The same report as users without the right to send raw ATA commands:
# first with no torvel-ata to be found, then through torvel-ata with file
# capabilities set here (setcap from the host; the initramfs carries no
# xattrs). The disks get Debian's udev ownership, root:disk 0660; "torvel"
# is in no group, "torveldisk" is in "disk" (see /etc/group).
if [ -x /usr/bin/torvel-ata ] && [ -x /usr/sbin/setcap ]; then
  chgrp 6 /dev/sd[a-z]*
  chmod 660 /dev/sd[a-z]*
  # user_report NAME USER TORVELCTL: sections NAME (the report) and NAME-log
  # (its debug.log).
  user_report() {
    dir=/tmp/user-$1
    mkdir -p "$dir"
    chown "$2" "$dir"
    run "$1" su -m -s /bin/sh "$2" -c \
      "cd $dir && HOME=$dir XDG_CONFIG_HOME=$dir/config TORVEL_HOME=$dir exec $3 report 0"
    run "$1-log" sh -c "tr -d '\r' < $dir/debug.log"
  }
  user_report user-alone torvel /opt/alone/torvelctl
  user_report user-nocap-disk torveldisk /usr/bin/torvelctl
  run helper-caps-rawio sh -c 'setcap cap_sys_rawio+ep /usr/bin/torvel-ata && getcap /usr/bin/torvel-ata'
  user_report user-rawio torvel /usr/bin/torvelctl
  user_report user-rawio-disk torveldisk /usr/bin/torvelctl
  run helper-caps-read sh -c \
    'setcap cap_sys_rawio,cap_dac_read_search+ep /usr/bin/torvel-ata && getcap /usr/bin/torvel-ata'
  user_report user-read torvel /usr/bin/torvelctl
fi

section_begin timing
startup_times 0 smartctl -a -d sat /dev/sda
# The same report by a user through torvel-ata: one process per command.
if [ -d /tmp/user-user-read ]; then
  time_runs torvelctl-report-through-torvel-ata su -m -s /bin/sh torvel -c \
    "cd /tmp/user-user-read && HOME=/tmp/user-user-read XDG_CONFIG_HOME=/tmp/user-user-read/config TORVEL_HOME=/tmp/user-user-read exec torvelctl report 0"
fi
section_end timing 0

# The check keeps its baseline in the settings store. A store carried over
# from an earlier boot arrives as /carry/*.tgz in a second initramfs.
if torvelctl help 2>/dev/null | grep -q 'torvelctl check'; then
  restore() {
    rm -rf /tmp/config
    mkdir -p /tmp/config
    tar -xzf "$1" -C /tmp/config
  }
  if [ -f /carry/as-saved.tgz ]; then
    restore /carry/as-saved.tgz
    run carried-settings torvelctl settings
    run check-carried torvelctl check
  fi
  if [ -f /carry/changed.tgz ]; then
    restore /carry/changed.tgz
    run check-changed torvelctl check
    run check-after-change torvelctl check
  fi
  if [ ! -f /carry/as-saved.tgz ]; then
    run check-first torvelctl check
    run check-second torvelctl check
    run settings torvelctl settings
    run settings-archive sh -c 'tar -czf - -C /tmp/config Ostrana | base64'
  fi
fi
finish
