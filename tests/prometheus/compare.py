#!/usr/bin/python3
"""Asks a running Prometheus, which scrapes node_exporter's textfile
collector holding torvelctl's textfile, whether it has what torvelctl
wrote and whether Torvel's rules run on it:

- every drive's temperature, by serial, as `torvelctl metrics` printed it;
- every torvel_* series of the textfile, labels and value, and no other;
- node_exporter read the file without error, and the textfile rule's file
  selector matches the name node_exporter gives it;
- the group torvel holds exactly the rules of the rules file, all healthy;
- the alerts are exactly those the data calls for: T.E.C. for each drive
  with torvel_drive_tec 1 or status 2, over-temperature for each drive at
  or over its limit (or with status 1), nothing else (no history, fresh checks), each
  joined with its drive's model and device, every template rendered.

Prints what it compared; exits 1 on any difference, 2 when Prometheus
never had the data within the time allowed.
"""

import argparse
import json
import re
import sys
import time
import urllib.parse
import urllib.request

SAMPLE = re.compile(r"^([a-zA-Z_:][a-zA-Z0-9_:]*)(?:\{(.*)\})?\s+(\S+)(?:\s+\d+)?$")
LABEL = re.compile(r'\s*([a-zA-Z_][a-zA-Z0-9_]*)="((?:[^"\\]|\\.)*)"\s*,?')
# The drive the bundled samples have with a T.E.C.; without it the alert
# check would prove nothing.
SAMPLE_TEC_SERIAL = "WD-WCAV51234567"
# Added by the scrape, not in the file.
TARGET_LABELS = ("job", "instance")


def unescape(value):
    return value.replace(r"\"", '"').replace(r"\n", "\n").replace("\\\\", "\\")


def parse_text(path):
    """The samples of a Prometheus text file: {(name, labels): value}."""
    samples = {}
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            m = SAMPLE.match(line)
            if not m:
                sys.exit(f"{path}:{number}: not a sample line: {line!r}")
            name, body, value = m.groups()
            labels, pos = {}, 0
            body = body or ""
            while pos < len(body):
                lm = LABEL.match(body, pos)
                if not lm:
                    sys.exit(f"{path}:{number}: bad labels: {body!r}")
                labels[lm.group(1)] = unescape(lm.group(2))
                pos = lm.end()
            key = (name, frozenset(labels.items()))
            if key in samples:
                sys.exit(f"{path}:{number}: the same series twice: {line!r}")
            samples[key] = float(value)
    return samples


def by_name(samples, name):
    return [(dict(labels), value) for (n, labels), value in samples.items() if n == name]


class Prometheus:
    def __init__(self, url):
        self.url = url.rstrip("/")

    def get(self, path, **params):
        query = ("?" + urllib.parse.urlencode(params)) if params else ""
        with urllib.request.urlopen(self.url + path + query, timeout=5) as r:
            body = json.load(r)
        if body.get("status") != "success":
            raise RuntimeError(f"{path}: {body}")
        return body["data"]

    def query(self, expr):
        data = self.get("/api/v1/query", query=expr)
        if data["resultType"] != "vector":
            raise RuntimeError(f"{expr}: a {data['resultType']}, not a vector")
        return [(r["metric"], float(r["value"][1])) for r in data["result"]]


def rule_names(rules_file):
    with open(rules_file, encoding="utf-8") as f:
        return sorted(re.findall(r"^\s*- alert:\s*(\S+)\s*$", f.read(), re.M))


def textfile_selector(rules_file):
    with open(rules_file, encoding="utf-8") as f:
        m = re.search(r'node_textfile_mtime_seconds\{file=~"([^"]+)"\}', f.read())
    if not m:
        sys.exit(f"{rules_file}: no node_textfile_mtime_seconds{{file=~...}} selector")
    return m.group(1)


def expected_alerts(samples):
    """{(alertname, serial): state} the rules must raise on this data alone:
    firing, or pending for the alerts that wait (for:) longer than the test."""
    tec = {l["serial"] for l, v in by_name(samples, "torvel_drive_tec") if v == 1}
    tec |= {l["serial"] for l, v in by_name(samples, "torvel_drive_status") if v == 2}
    temps = {(l["drive"], l["serial"]): v
             for l, v in by_name(samples, "torvel_drive_temperature_celsius")}
    limits = {(l["drive"], l["serial"]): v
              for l, v in by_name(samples, "torvel_drive_temperature_critical_celsius")}
    status = {(l["drive"], l["serial"]): v for l, v in by_name(samples, "torvel_drive_status")}
    hot = {serial for (drive, serial), t in temps.items()
           if ((drive, serial) in limits and t >= limits[(drive, serial)])
           or status.get((drive, serial)) == 1}
    asleep = {(l["drive"], l["serial"]) for l, v in by_name(samples, "torvel_drive_asleep") if v == 1}
    unjudged = {serial for (drive, serial), v in status.items() if v == 3 and (drive, serial) not in asleep}
    want = {("TorvelDriveTEC", s): "firing" for s in tec}
    want.update({("TorvelDriveHot", s): "firing" for s in hot})
    want.update({("TorvelDriveNotJudged", s): "pending" for s in unjudged})
    return want, bool(limits)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--url", required=True)
    ap.add_argument("--printed", required=True, help="what torvelctl metrics printed")
    ap.add_argument("--textfile", required=True, help="the torvel.prom node_exporter serves")
    ap.add_argument("--rules", required=True)
    ap.add_argument("--timeout", type=float, default=60)
    args = ap.parse_args()

    prom = Prometheus(args.url)
    printed = parse_text(args.printed)
    served = parse_text(args.textfile)
    problems = []

    temps = {l["serial"]: v for l, v in by_name(printed, "torvel_drive_temperature_celsius")}
    drives = {l["serial"] for l, _ in by_name(printed, "torvel_drive_info")}
    if not temps:
        sys.exit("torvelctl metrics printed no temperature: nothing to compare")
    if len(temps) != len(by_name(printed, "torvel_drive_temperature_celsius")):
        problems.append("two drives with one serial in torvel_drive_temperature_celsius")
    want_alerts, has_limits = expected_alerts(served)
    if ("TorvelDriveTEC", SAMPLE_TEC_SERIAL) not in want_alerts:
        problems.append(f"the sample drive {SAMPLE_TEC_SERIAL} has no T.E.C. in the textfile")

    # Wait for a scrape that has every drive's temperature.
    deadline = time.monotonic() + args.timeout
    got = []
    while True:
        try:
            got = prom.query("torvel_drive_temperature_celsius")
        except (OSError, RuntimeError):
            got = []
        if len(got) >= len(temps):
            break
        if time.monotonic() > deadline:
            print(f"prometheus-test: FAIL: after {args.timeout:.0f} s Prometheus has "
                  f"{len(got)} of {len(temps)} temperatures", file=sys.stderr)
            return 2
        time.sleep(0.5)

    print("Temperatures, torvelctl metrics against Prometheus:")
    seen = {}
    for metric, value in got:
        serial = metric.get("serial", "")
        if serial in seen:
            problems.append(f"temperature of {serial} twice in Prometheus")
        seen[serial] = value
    for serial in sorted(set(temps) | set(seen)):
        a, b = temps.get(serial), seen.get(serial)
        ok = a is not None and b is not None and a == b
        print(f"  {serial:20} {a!s:>6} {b!s:>6}  {'ok' if ok else 'DIFFERS'}")
        if not ok:
            problems.append(f"temperature of {serial}: torvelctl {a}, Prometheus {b}")
    print(f"  ({len(drives) - len(temps)} of {len(drives)} drives report no temperature)")

    # Every series of the file, as scraped: same labels (less the
    # target's), same value, none more, none less.
    scraped = {}
    for metric, value in prom.query('{__name__=~"torvel_.+"}'):
        name = metric.pop("__name__")
        for label in TARGET_LABELS:
            metric.pop(label, None)
        scraped[(name, frozenset(metric.items()))] = value
    missing = set(served) - set(scraped)
    extra = set(scraped) - set(served)
    wrong = [k for k in set(served) & set(scraped) if served[k] != scraped[k]]
    for what, keys in (("missing from Prometheus", missing), ("not in the textfile", extra)):
        for name, labels in sorted(keys, key=str)[:5]:
            problems.append(f"{what}: {name}{dict(labels)}")
    for k in wrong[:5]:
        problems.append(f"{k[0]}{dict(k[1])}: textfile {served[k]}, Prometheus {scraped[k]}")
    print(f"Series: {len(served)} in the textfile, {len(scraped)} in Prometheus, "
          f"{len(missing)} missing, {len(extra)} extra, {len(wrong)} with another value")

    errors = prom.query("node_textfile_scrape_error")
    if [v for _, v in errors] != [0.0]:
        problems.append(f"node_textfile_scrape_error: {errors}")
    selector = textfile_selector(args.rules)
    files = [m.get("file", "") for m, _ in prom.query("node_textfile_mtime_seconds")]
    if len(files) != 1 or not re.fullmatch(selector, files[0]):
        problems.append(f"node_textfile_mtime_seconds files {files} against the rule's {selector!r}")
    print(f"Textfile: node_exporter names it {files}, the rule's selector {selector!r}")

    # The rules, loaded and healthy.
    groups = {g["name"]: g for g in prom.get("/api/v1/rules")["groups"]}
    want_rules = rule_names(args.rules)
    if "torvel" not in groups:
        problems.append(f"no rule group torvel in Prometheus: {sorted(groups)}")
    else:
        rules = groups["torvel"]["rules"]
        names = sorted(r["name"] for r in rules)
        if names != want_rules:
            problems.append(f"rules loaded {names}, the file has {want_rules}")
        for r in rules:
            if r.get("health") != "ok":
                problems.append(f"rule {r['name']}: health {r.get('health')} {r.get('lastError', '')}")
        print(f"Rules: {len(rules)} loaded in group torvel, "
              f"{sum(r.get('health') == 'ok' for r in rules)} healthy")

    # The alerts: wait until the expected ones fire, then hold two more
    # evaluations so that one raised later is seen too.
    def alerts():
        out = {}
        for a in prom.get("/api/v1/alerts")["alerts"]:
            key = (a["labels"]["alertname"], a["labels"].get("serial", ""))
            out[key] = a
        return out

    now = {}
    while time.monotonic() < deadline:
        now = alerts()
        if set(now) == set(want_alerts) and all(a["state"] == want_alerts[k] for k, a in now.items()):
            break
        time.sleep(0.5)
    time.sleep(2.5)
    now = alerts()
    info = {l["serial"]: l for l, _ in by_name(served, "torvel_drive_info")}
    print("Alerts (expected from the textfile, then what Prometheus has):")
    for key in sorted(set(want_alerts) | set(now)):
        a = now.get(key)
        state = a["state"] if a else "absent"
        want = want_alerts.get(key, "absent")
        ok = state == want
        print(f"  {key[0]:20} {key[1]:20} expected {want:8} {state}{'' if ok else '  WRONG'}")
        if not ok:
            problems.append(f"alert {key}: expected {want}, Prometheus {state}")
            continue
        labels, drive = a["labels"], info.get(key[1], {})
        for label in ("model", "device", "drive"):
            if labels.get(label) != drive.get(label):
                problems.append(f"alert {key}: {label} {labels.get(label)!r}, "
                                f"drive info {drive.get(label)!r}")
        for name, text in a["annotations"].items():
            if "<no value>" in text or not text.strip():
                problems.append(f"alert {key}: annotation {name} renders as {text!r}")
    if not has_limits:
        print("  (no torvel_drive_temperature_critical_celsius in this torvelctl: "
              "over-temperature by status alone)")

    for p in problems:
        print(f"prometheus-test: FAIL: {p}", file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
