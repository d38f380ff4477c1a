#!/usr/bin/env bash
# Runs every fuzz target for a fixed time from a throw-away copy of its seed
# corpus, so the committed seeds never grow. Exits non-zero on any crash.
# Usage: fuzz/run-smoke.sh BUILD_DIR SECONDS
set -u

if [ $# -ne 2 ]; then
  echo "usage: $0 BUILD_DIR SECONDS" >&2
  exit 2
fi
build_dir=$1
seconds=$2
here=$(cd "$(dirname "$0")" && pwd)

work=$(mktemp -d "${TMPDIR:-/tmp}/torvel-fuzz.XXXXXX")
trap 'rm -rf "$work"' EXIT

# One target per core at a time: each run is single-threaded.
jobs=${TORVEL_FUZZ_JOBS:-$(nproc)}

run_one() {
  local target=$1 corpus=$2 binary=$build_dir/fuzz/$1
  if [ ! -x "$binary" ]; then
    echo "missing $binary (build with -DTORVEL_FUZZ=ON)" >&2
    return 1
  fi
  mkdir -p "$work/$corpus" "$work/artifacts-$target"
  cp "$here/corpus/$corpus"/* "$work/$corpus/"
  if ! "$binary" -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="$work/artifacts-$target/" "$work/$corpus" 2>"$work/$target.log"; then
    { echo "== $target for ${seconds}s"; tail -n 60 "$work/$target.log"; } >&2
    # Keep the crashing inputs: the temp folder is about to go.
    keep=$build_dir/fuzz/crashes-$target
    mkdir -p "$keep" && cp "$work/artifacts-$target"/* "$keep/" 2>/dev/null
    echo "!! $target failed; inputs kept in $keep" >&2
    return 1
  fi
  # One block per target, printed whole, so parallel runs do not interleave.
  { echo "== $target for ${seconds}s"
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|#[0-9]+ +DONE)' "$work/$target.log"; }
}

status=0
running=0
for pair in identify_fuzz:identify smart_data_fuzz:smart_data language_fuzz:language settings_fuzz:settings window_wire_fuzz:window_wire ata_helper_fuzz:ata_helper; do
  if [ "$running" -ge "$jobs" ]; then
    wait -n || status=1
    running=$((running - 1))
  fi
  run_one "${pair%%:*}" "${pair##*:}" &
  running=$((running + 1))
done
while [ "$running" -gt 0 ]; do
  wait -n || status=1
  running=$((running - 1))
done
exit $status
