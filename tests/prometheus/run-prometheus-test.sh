#!/usr/bin/env bash
# Torvel's Prometheus side, checked with Debian's own Prometheus tools:
#  1. promtool check rules and promtool test rules on the alert rules;
#  2. promtool check metrics on what torvelctl metrics prints for the
#     bundled sample drives: any complaint fails, lint included;
#  3. end to end on loopback: torvelctl check, then torvelctl metrics
#     --textfile; node_exporter's textfile collector serves the file and a
#     Prometheus with the rules scrapes it every second; compare.py then
#     compares what Prometheus holds, its rules and its alerts with the file.
#
# Usage: tests/prometheus/run-prometheus-test.sh BUILD_DIR   (BUILD_DIR/src/torvelctl)
# Exit: 0 passed, 1 failed. Environment: TORVEL_PROM_TIMEOUT (seconds to
# wait for Prometheus to have the data, default 60).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
[ $# -eq 1 ] || { echo "usage: $0 BUILD_DIR" >&2; exit 1; }
build=$(cd "$1" && pwd)
ctl=$build/src/torvelctl
rules_dir=$root/packaging/prometheus
rules=$rules_dir/torvel-rules.yml
timeout=${TORVEL_PROM_TIMEOUT:-60}
python=/usr/bin/python3
started=$(date +%s.%N)

say() { echo "prometheus-test: $*"; }
fail() { echo "prometheus-test: FAIL: $*" >&2; exit 1; }

[ -x "$ctl" ] || fail "no torvelctl at $ctl (build the torvelctl target first)"
for tool in promtool prometheus prometheus-node-exporter "$python"; do
  command -v "$tool" >/dev/null || fail "missing tool: $tool (see scripts/deps.sh)"
done

tmp=$(mktemp -d)
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do
    kill "$pid" 2>/dev/null || continue
    # Prometheus closes its database on SIGTERM; give it a moment.
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Prints the last lines of the servers' logs, for a failure.
show_logs() {
  local log
  for log in "$tmp"/node-exporter.log "$tmp"/prometheus.log; do
    [ -s "$log" ] && { echo "--- $(basename "$log"), last lines:"; tail -n 20 "$log"; }
  done >&2
}

# --- 1. The rules -----------------------------------------------------------
say "promtool check rules"
promtool check rules "$rules" || fail "promtool check rules"
say "promtool test rules"
(cd "$rules_dir" && promtool test rules torvel-rules.test.yml) || fail "promtool test rules"

# --- 2. What torvelctl prints ------------------------------------------------
run=$tmp/run
mkdir -p "$run" "$tmp/textfile"
torvelctl() {
  (cd "$run" && TORVEL_DRIVES="$root/samples/drives" XDG_CONFIG_HOME="$run" TORVEL_HOME="$run" \
    "$ctl" "$@")
}
# First a check, so that the last-check times are there too. The samples
# have a drive with a T.E.C.: 2 is its answer; 3 would be nothing checked.
status=0
torvelctl check >"$tmp/check.out" 2>&1 </dev/null || status=$?
[ "$status" -le 2 ] || { cat "$tmp/check.out" >&2; fail "torvelctl check exited $status"; }
status=0
torvelctl metrics >"$tmp/metrics.prom" 2>"$tmp/metrics.err" </dev/null || status=$?
[ "$status" -eq 0 ] || { cat "$tmp/metrics.err" >&2; fail "torvelctl metrics exited $status"; }
[ -s "$tmp/metrics.prom" ] || fail "torvelctl metrics printed nothing"

say "promtool check metrics on torvelctl metrics ($(grep -vc '^#' "$tmp/metrics.prom") samples)"
# promtool exits 3 on lint problems and 1 on parse errors, both on stderr;
# anything it says at all is a failure.
status=0
promtool check metrics <"$tmp/metrics.prom" >"$tmp/lint" 2>&1 || status=$?
if [ "$status" -ne 0 ] || [ -s "$tmp/lint" ]; then
  cat "$tmp/lint" >&2
  fail "promtool check metrics: exit $status, $(wc -l <"$tmp/lint") lines of complaints"
fi

# --- 3. node_exporter and Prometheus on loopback ---------------------------
status=0
torvelctl metrics --textfile "$tmp/textfile" >"$tmp/textfile.out" 2>&1 </dev/null || status=$?
[ "$status" -eq 0 ] || { cat "$tmp/textfile.out" >&2; fail "torvelctl metrics --textfile exited $status"; }
[ -s "$tmp/textfile/torvel.prom" ] || fail "torvelctl metrics --textfile wrote no torvel.prom"
[ -z "$(find "$tmp/textfile" -mindepth 1 ! -name torvel.prom)" ] ||
  fail "torvelctl metrics --textfile left other files: $(ls -A "$tmp/textfile")"

# Two free ports: bound to 0 and released, a race only another program
# binding the same port in between could lose.
read -r node_port prom_port < <("$python" -c '
import socket
s = [socket.socket() for _ in range(2)]
for x in s: x.bind(("127.0.0.1", 0))
print(*(x.getsockname()[1] for x in s))')

prometheus-node-exporter --web.listen-address="127.0.0.1:$node_port" \
  --collector.disable-defaults --collector.textfile \
  --collector.textfile.directory="$tmp/textfile" >"$tmp/node-exporter.log" 2>&1 </dev/null &
pids+=($!)

cat >"$tmp/prometheus.yml" <<EOF
global:
  scrape_interval: 1s
  evaluation_interval: 1s
rule_files:
  - $rules
scrape_configs:
  - job_name: node
    static_configs:
      - targets: ["127.0.0.1:$node_port"]
EOF
promtool check config "$tmp/prometheus.yml" >/dev/null || fail "promtool check config"
prometheus --config.file="$tmp/prometheus.yml" --storage.tsdb.path="$tmp/tsdb" \
  --web.listen-address="127.0.0.1:$prom_port" --log.level=warn \
  >"$tmp/prometheus.log" 2>&1 </dev/null &
pids+=($!)
say "node_exporter on 127.0.0.1:$node_port, Prometheus on 127.0.0.1:$prom_port"

status=0
"$python" "$here/compare.py" --url "http://127.0.0.1:$prom_port" --printed "$tmp/metrics.prom" \
  --textfile "$tmp/textfile/torvel.prom" --rules "$rules" --timeout "$timeout" || status=$?
for pid in "${pids[@]}"; do
  kill -0 "$pid" 2>/dev/null || { show_logs; fail "a server stopped by itself (pid $pid)"; }
done
[ "$status" -eq 0 ] || { show_logs; fail "Prometheus disagrees with torvelctl (see above)"; }

say "passed in $(awk -v a="$started" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }') s"
