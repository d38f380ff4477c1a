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

status=0
for pair in identify_fuzz:identify smart_data_fuzz:smart_data language_fuzz:language settings_fuzz:settings window_wire_fuzz:window_wire ata_helper_fuzz:ata_helper; do
  target=${pair%%:*}
  corpus=${pair##*:}
  binary=$build_dir/fuzz/$target
  if [ ! -x "$binary" ]; then
    echo "missing $binary (build with -DTORVEL_FUZZ=ON)" >&2
    status=1
    continue
  fi
  mkdir -p "$work/$corpus" "$work/artifacts-$target"
  cp "$here/corpus/$corpus"/* "$work/$corpus/"
  echo "== $target for ${seconds}s"
  if ! "$binary" -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="$work/artifacts-$target/" "$work/$corpus" 2>"$work/$target.log"; then
    tail -n 60 "$work/$target.log" >&2
    # Keep the crashing inputs: the temp folder is about to go.
    keep=$build_dir/fuzz/crashes-$target
    mkdir -p "$keep" && cp "$work/artifacts-$target"/* "$keep/" 2>/dev/null
    echo "!! $target failed; inputs kept in $keep" >&2
    status=1
  else
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|#[0-9]+ +DONE)' "$work/$target.log"
  fi
done
exit $status
