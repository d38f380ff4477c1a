#!/usr/bin/python3
"""Reads the serial console of one test guest (see guest-init.sh) and
compares, disk by disk, what torvelctl read through SG_IO with what smartctl
read from the same disk, with the raw sectors smartctl dumped, and with the
identity QEMU was told to give the disk. Prints one row per field and exits
1 when any row disagrees.

Second use, --extract-settings OUT: writes the settings store the guest
printed (a base64 .tgz) to OUT and prints the baseline key of the first
attribute of drive 0 with a value that differs from the live one, so the
next boot's check must see a change.
"""

import argparse
import base64
import re
import sys

BEGIN = re.compile(r"^@@@BEGIN (\S+)@@@$")
END = re.compile(r"^@@@END (\S+) rc=(-?\d+)@@@$")


def cut_sections(text):
    """name -> (lines, exit status); a section without its end line is
    missing, as a crashed guest leaves it."""
    out = {}
    name, body = None, []
    for line in text.replace("\r", "").split("\n"):
        m = BEGIN.match(line)
        if m:
            name, body = m.group(1), []
            continue
        m = END.match(line)
        if m and name == m.group(1):
            out[name] = (body, int(m.group(2)))
            name = None
            continue
        if name is not None:
            body.append(line)
    return out


# --- torvelctl -------------------------------------------------------------

def parse_drives(lines):
    """`torvelctl drives`: drive number -> field -> value."""
    drives, current = {}, None
    for line in lines:
        m = re.match(r"^Drive (\d+): (.*)$", line)
        if m:
            current = int(m.group(1))
            drives[current] = {"kind": m.group(2)}
        elif current is not None and line.startswith("  ") and len(line) > 18:
            drives[current][line[2:18].strip()] = line[18:]
    return drives


def parse_report(lines):
    r = {"attributes": {}, "names": {}, "problems": []}
    prefixes = {"Drive model: ": "model", "Serial number: ": "serial",
                "Capacity: ": "capacity", "Firmware Revision: ": "firmware",
                "Drive temperature: ": "temperature"}
    for line in lines:
        for prefix, key in prefixes.items():
            if line.startswith(prefix):
                r[key] = line[len(prefix):]
                break
        else:
            # "190 (BE) Unknown attribute   50   69   69   522125343": the
            # name may hold blanks, so the numbers are taken from the end.
            # A readable value in brackets may follow the raw one.
            m = re.match(r"^(\d+)\s+\(([0-9A-F]{2})\) (.*?)\s+(\d+)\s+(\d+)\s+(\d+)\s+(\d+)"
                         r"(?:\s+\[[^\]]*\])?$", line)
            if m:
                ident = int(m.group(1))
                if int(m.group(2), 16) != ident:
                    r["problems"].append("id and hex id differ: " + line)
                if ident in r["attributes"]:
                    r["problems"].append("repeated attribute: " + line)
                thr, val, worst, raw = (int(m.group(i)) for i in range(4, 8))
                r["attributes"][ident] = (val, worst, thr, raw)
                r["names"][ident] = m.group(3)
            elif line[:1].isdigit():
                r["problems"].append("unreadable row: " + line)
    return r


# --- smartctl --------------------------------------------------------------

def parse_smartctl(lines):
    s = {"attributes": {}, "dumps": {}, "registers": {}}
    dump, data, command = None, None, None
    fields = {"Device Model:": "model", "Serial Number:": "serial",
              "Firmware Version:": "firmware", "User Capacity:": "capacity",
              "SMART overall-health self-assessment test result:": "health"}
    in_table = False
    for line in lines:
        m = re.match(r"^===== \[(.*)\] DATA START", line)
        if m:
            dump, data = m.group(1), bytearray()
            continue
        if dump is not None:
            if line.startswith("===== ["):
                s["dumps"].setdefault(dump, bytes(data))
                dump = None
            else:
                m = re.match(r"^\d{3}-\d{3}: ((?:[0-9a-f]{2} ){16})", line)
                if m:
                    data += bytes.fromhex(m.group(1))
            continue
        m = re.match(r"^REPORT-IOCTL: Device=\S+ Command=(.*?)( returned.*)?$", line)
        if m:
            command = m.group(1)
            continue
        m = re.match(r"^ Output: (.*)$", line)
        if m and command:
            s["registers"][command] = dict(
                (k, int(v, 16)) for k, v in re.findall(r"(\w+)=0x([0-9a-f]{2})", m.group(1)))
            continue
        for prefix, key in fields.items():
            if line.startswith(prefix):
                s.setdefault(key, line[len(prefix):].strip())
        if line.startswith("SMART support is:"):
            s.setdefault("support", []).append(line.split(":", 1)[1].strip())
        if line.startswith("ID# ATTRIBUTE_NAME"):
            in_table = True
            continue
        if in_table:
            t = line.split()
            if len(t) >= 10 and t[0].isdigit():
                # ID NAME FLAG VALUE WORST THRESH TYPE UPDATED WHEN_FAILED RAW
                s["attributes"][int(t[0])] = (int(t[3]), int(t[4]), int(t[5]), int(t[9]))
            else:
                in_table = False
    return s


def word(sector, n):
    return sector[2 * n] | (sector[2 * n + 1] << 8)


def ata_string(sector, first, count):
    """ATA strings keep two characters per word, high byte first."""
    raw = b"".join(bytes((sector[2 * w + 1], sector[2 * w])) for w in range(first, first + count))
    return raw.split(b"\0")[0].decode("latin-1").strip(" ")


def decode_identify(sector):
    if len(sector) != 512:
        return {}
    if word(sector, 83) & (1 << 10):
        sectors = sum(word(sector, 100 + i) << (16 * i) for i in range(4))
    else:
        sectors = word(sector, 60) | (word(sector, 61) << 16)
    udma = "not reported"
    if word(sector, 53) & (1 << 2):
        selected = [b - 8 for b in range(8, 15) if word(sector, 88) & (1 << b)]
        # With no mode selected the record keeps its earlier mode: 0 on the
        # first read.
        udma = str(max(selected)) if selected else "0"
    return {"model": ata_string(sector, 27, 20), "serial": ata_string(sector, 10, 10),
            "firmware": ata_string(sector, 23, 4), "bytes": sectors * 512, "udma": udma}


def decode_smart(data, thresholds):
    """The 30 twelve-byte attribute entries from offset 2 of both sectors."""
    out = {}
    if len(data) != 512:
        return out
    limits = {}
    if len(thresholds) == 512:
        for i in range(30):
            e = thresholds[2 + 12 * i: 14 + 12 * i]
            if e[0]:
                limits[e[0]] = e[1]
    for i in range(30):
        e = data[2 + 12 * i: 14 + 12 * i]
        if e[0]:
            out[e[0]] = (e[3], e[4], limits.get(e[0]), int.from_bytes(e[5:11], "little"))
    return out


def verdict_from_registers(regs):
    lm, lh = regs.get("LM"), regs.get("LH")
    if (lm, lh) == (0x4F, 0xC2):
        return "good"
    if (lm, lh) == (0xF4, 0x2C):
        return "threshold exceeded"
    return None if lm is None else "unknown (LM=%#04x LH=%#04x)" % (lm, lh)


# --- the comparison --------------------------------------------------------

class Table:
    COLUMNS = ("field", "torvelctl", "smartctl or wanted", "raw sectors", "QEMU / sysfs", "result")
    WIDTHS = (26, 24, 24, 22, 22, 6)

    def __init__(self, title):
        self.title, self.rows, self.failed, self.checked = title, [], 0, 0
        self.timings, self.notes = [], []

    def heading(self, text):
        self.rows.append(("-- " + text,))

    def row(self, field, ours, theirs=None, sectors=None, given=None):
        """PASS when every value that is not None agrees with torvelctl's."""
        others = [v for v in (theirs, sectors, given) if v is not None]
        ok = ours is not None and bool(others) and all(v == ours for v in others)
        self.add(field, ours, theirs, sectors, given, ok)

    def add(self, field, ours, theirs, sectors, given, ok):
        self.failed += 0 if ok else 1
        self.checked += 1
        shown = ["-" if v is None else str(v) for v in (ours, theirs, sectors, given)]
        self.rows.append((field, *shown, "PASS" if ok else "FAIL"))

    def note(self, field, ok, text):
        self.add(field, text, None, None, None, ok)

    def print(self):
        print()
        print("== " + self.title)
        line = "  ".join(c.ljust(w) for c, w in zip(self.COLUMNS, self.WIDTHS))
        print(line.rstrip())
        print("-" * len(line))
        for r in self.rows:
            if len(r) == 1:
                print(r[0])
                continue
            cells = [c if len(c) <= w else c[: w - 1] + "~" for c, w in zip(r, self.WIDTHS)]
            print("  ".join(c.ljust(w) for c, w in zip(cells, self.WIDTHS)).rstrip())
        for t in self.timings:
            print("in-guest time, " + t)
        for n in self.notes:
            print(n)


def timing_lines(lines):
    """Each timed command in ms a run, then the start-up figures side by side."""
    per_run, out = {}, []
    for line in lines:
        m = re.match(r"^(\S+) runs=(\d+) start=([\d.]+) end=([\d.]+)$", line)
        if m:
            per_run[m.group(1)] = (float(m.group(4)) - float(m.group(3))) / int(m.group(2)) * 1000
            out.append("%s: %.0f ms a run (%s runs)" % (m.group(1), per_run[m.group(1)], m.group(2)))
    for suffix, how in (("", "randomised"), ("-fixed", "fixed addresses")):
        names = [n + suffix for n in ("true", "torvelctl", "torvelctl-report", "smartctl-a", "torvelCore-o")]
        if not all(n in per_run for n in names[:4]):
            continue
        side = "  ".join("%s %.0f" % (n[: len(n) - len(suffix)], per_run[n]) for n in names if n in per_run)
        out.append("start-up, ms a run (%s): %s; torvelctl / true %.1f, report / smartctl -a %.2f"
                   % (how, side, per_run[names[1]] / max(per_run[names[0]], 0.01),
                      per_run[names[2]] / max(per_run[names[3]], 0.01)))
    return out


def gigabytes(n_bytes, digits):
    return "%.*f GB" % (digits, n_bytes / 1e9)


def attribute_text(a):
    return None if a is None else "%s/%s/%s/%s" % a


def compare_disk(table, sec, n, expected):
    name_dev = "disk %d" % n
    drives = parse_drives(sec.get("drives", ([], 1))[0]).get(n, {})
    report_lines, report_rc = sec.get("report-%d" % n, ([], None))
    report = parse_report(report_lines)
    smart_lines, smart_rc = sec.get("smartctl-%d" % n, ([], None))
    smart = parse_smartctl(smart_lines)
    ident = decode_identify(smart["dumps"].get("IDENTIFY DEVICE", b""))
    raw_attrs = decode_smart(smart["dumps"].get("SMART READ ATTRIBUTE VALUES", b""),
                             smart["dumps"].get("SMART READ ATTRIBUTE THRESHOLDS", b""))
    debug = "\n".join(sec.get("debug-log", ([], 0))[0])
    sysfs_sectors = expected.get("sysfs_sectors")
    size = expected["bytes"]

    table.note("%s: torvelctl report" % name_dev, report_rc == 0 and not report["problems"],
               "exit %s%s" % (report_rc, "; " + "; ".join(report["problems"]) if report["problems"] else ""))
    # smartctl's exit bits 0-2: bad command line, open failed, a command failed.
    table.note("%s: smartctl" % name_dev, smart_rc is not None and smart_rc & 7 == 0,
               "exit %s" % smart_rc)
    table.row("model (drives)", drives.get("Model"), smart.get("model"), ident.get("model"), expected["model"])
    table.row("model (report)", report.get("model"), smart.get("model"), ident.get("model"), expected["model"])
    table.row("serial (drives)", drives.get("Serial number"), smart.get("serial"), ident.get("serial"),
              expected["serial"])
    table.row("serial (report)", report.get("serial"), smart.get("serial"), ident.get("serial"),
              expected["serial"])
    table.row("firmware (drives)", drives.get("Firmware"), smart.get("firmware"), ident.get("firmware"),
              expected["firmware"])
    table.row("firmware (report)", report.get("firmware"), smart.get("firmware"), ident.get("firmware"),
              expected["firmware"])

    m = re.match(r"^([\d,]+) bytes", smart.get("capacity", ""))
    smart_bytes = int(m.group(1).replace(",", "")) if m else None
    # One capacity line per ATA disk, in drive order.
    traced = re.findall(r"Disk capacity: (\d+) bytes", debug)
    ours_bytes = int(traced[n]) if len(traced) > n else None
    table.row("capacity bytes (trace)", ours_bytes, smart_bytes, ident.get("bytes"),
              sysfs_sectors * 512 if sysfs_sectors is not None else size)
    fmt = lambda b, d: None if b is None else gigabytes(b, d)
    table.row("capacity (drives)", drives.get("Capacity"), fmt(smart_bytes, 2), fmt(ident.get("bytes"), 2),
              gigabytes(size, 2))
    table.row("capacity (report)", report.get("capacity"), fmt(smart_bytes, 1), fmt(ident.get("bytes"), 1),
              gigabytes(size, 1))
    table.row("Ultra DMA mode", drives.get("Ultra DMA mode"), None, ident.get("udma"))

    support = smart.get("support", [])
    theirs = None
    if support:
        theirs = ("supported" if any(s.startswith("Available") for s in support) else "not supported") + \
                 (", enabled" if "Enabled" in support else ", not enabled")
    table.row("S.M.A.R.T. state", drives.get("S.M.A.R.T."), theirs)

    # The verdict of SMART RETURN STATUS: torvelctl's T.E.C. flag and trace
    # line against smartctl's verdict and the registers it printed.
    regs = smart["registers"].get("SMART STATUS CHECK", {})
    health = smart.get("health")
    theirs = {"PASSED": "no", "FAILED!": "yes (threshold exceeded)"}.get(health, health)
    regs_verdict = verdict_from_registers(regs)
    from_regs = {"good": "no", "threshold exceeded": "yes (threshold exceeded)"}.get(regs_verdict,
                                                                                      regs_verdict)
    table.row("T.E.C. (status)", drives.get("T.E.C."), theirs, from_regs)
    traced_verdict = None
    if "*** S.M.A.R.T. is OK on drive %d\n" % n in debug + "\n":
        traced_verdict = "good"
    elif "*** T.E.C. detected on drive %d\n" % n in debug + "\n":
        traced_verdict = "threshold exceeded"
    table.row("return status (trace)", traced_verdict, {"PASSED": "good", "FAILED!": "threshold exceeded"}.get(
        health, health), regs_verdict)

    # Temperature: torvelctl reads attribute 194 only.
    def temp(attrs):
        a = attrs.get(194)
        return "not reported" if a is None or a[3] & 0xFF == 0 else "%d" % (a[3] & 0xFF)
    ours_temp = drives.get("Temperature", "").replace(" \u00b0C", "")
    report_temp = report.get("temperature", "not reported").replace(" \u00b0C", "")
    table.row("temperature (drives)", ours_temp or None, temp(smart["attributes"]), temp(raw_attrs))
    table.row("temperature (report)", report_temp, temp(smart["attributes"]), temp(raw_attrs))

    ids = sorted(set(report["attributes"]) | set(smart["attributes"]) | set(raw_attrs))
    table.row("attribute ids", " ".join(map(str, sorted(report["attributes"]))) or None,
              " ".join(map(str, sorted(smart["attributes"]))) or None,
              " ".join(map(str, sorted(raw_attrs))) or None)
    for ident_ in ids:
        table.row("attr %d val/wst/thr/raw" % ident_, attribute_text(report["attributes"].get(ident_)),
                  attribute_text(smart["attributes"].get(ident_)), attribute_text(raw_attrs.get(ident_)))
    return report


def parse_settings(lines):
    """`torvelctl settings`: section -> key -> value text."""
    out, section = {}, None
    for line in lines:
        m = re.match(r"^\[(.*)\]$", line)
        if m:
            section = out.setdefault(m.group(1), {})
            continue
        m = re.match(r"^(.*) \((?:int|str)\) = (.*)$", line)
        if m and section is not None:
            section[m.group(1)] = m.group(2)
    return out


# "<id>-<suffix>" keys that are not the saved value itself.
ATTRIBUTE_SUFFIXES = {"UseCustomThresholds", "CustomNotify", "CriticalValue", "Popup", "Email",
                      "NetSend", "LogChanges", "LastChangeDate", "TECdate", "RawCount", "LastFall"}


def baseline_key(stored, ident):
    """The key of an attribute's saved value: "<id>-<name>", named by the
    designed table, which the report's shown names may differ from."""
    for key in stored:
        head, _, tail = key.partition("-")
        if head == str(ident) and tail and tail not in ATTRIBUTE_SUFFIXES:
            return key
    return None


def check_baseline(table, label, settings_lines, reports, serials):
    """Every attribute of every disk has its value stored under
    "<id>-<name>" in the disk's section."""
    settings = parse_settings(settings_lines)
    for n, report in reports.items():
        stored = settings.get(serials[n], {})
        for ident, (val, _, _, _) in sorted(report["attributes"].items()):
            key = baseline_key(stored, ident)
            got = None if key is None else stored.get(key)
            table.row("%s %s #%d" % (label, serials[n], ident), None if got is None else int(got), val)


def check_step(table, sec, name, want, serials, changed=None):
    """One `torvelctl check`: its exit status, and its summary: one block
    per disk, in drive order, each "SMART OK." and with a changed-attribute
    count only where `changed` (serial -> count) expects one."""
    if name not in sec:
        table.note(name, False, "missing")
        return
    lines, rc = sec[name]
    err = sec.get(name + ".stderr", ([], 0))[0]
    table.note("%s: exit" % name, rc == want, "%d (want %d)" % (rc, want))
    blocks = "\n".join(lines).strip().split("\n--\n")
    seen = []
    for block in blocks:
        m = re.search(r"S/N:(\S+)", block)
        serial = m.group(1) if m else "?"
        m = re.search(r"(\d+) SMART attributes? changed", block)
        count = int(m.group(1)) if m else 0
        seen.append("%s %s%s" % (serial, "ok" if "SMART OK." in block else "NOT OK",
                                 ", %d changed" % count if count else ""))
    wanted = ["%s ok%s" % (s, ", %d changed" % (changed or {}).get(s) if (changed or {}).get(s) else "")
              for _, s in sorted(serials.items())]
    table.row("%s: summary" % name, "; ".join(seen), "; ".join(wanted))
    if err:
        table.notes.append("%s wrote on standard error:\n  %s" % (name, "\n  ".join(err)))


# --- users without root, through torvel-ata --------------------------------

HELPER = "/usr/bin/torvel-ata"
# NAME: (report expected?, trace lines about drive 0 that must be there)
HELPER_RUNS = (
    ("user-alone", False, [
        "Drive 0: no right to send raw ATA commands (opening the disk: errno 13, EACCES) "
        "and no torvel-ata helper was found"]),
    ("user-nocap-disk", False, [
        "Drive 0: no right to send ATA commands (errno 1, EPERM); they go through torvel-ata (%s)" % HELPER,
        "Drive 0: torvel-ata has no right to send ATA commands either (errno 1, EPERM)"]),
    ("user-rawio", False, [
        "Drive 0: no right to open the disk (errno 13, EACCES); its ATA commands go through "
        "torvel-ata (%s)" % HELPER,
        "Drive 0: torvel-ata may not open the disk either (errno 13, EACCES)"]),
    ("user-rawio-disk", True, [
        "Drive 0: no right to send ATA commands (errno 1, EPERM); they go through torvel-ata (%s)" % HELPER]),
    ("user-read", True, [
        "Drive 0: no right to open the disk (errno 13, EACCES); its ATA commands go through "
        "torvel-ata (%s)" % HELPER]),
)


def without_date(lines):
    return [l for l in lines if not l.startswith("Date: ")]


def check_helper_runs(table, sec):
    """torvelctl report 0 as users without root: without the helper the
    trace says the right is missing and nothing crashes; through the helper
    with enough capabilities the report is root's, word for word."""
    root_report = without_date(sec.get("report-0", ([], 1))[0])
    for name, caps in (("helper-caps-rawio", "cap_sys_rawio=ep"),
                       ("helper-caps-read", "cap_dac_read_search,cap_sys_rawio=ep")):
        lines, rc = sec.get(name, ([], None))
        table.note(name, rc == 0 and any(caps in l for l in lines),
                   "; ".join(lines).strip() or "exit %s" % rc)
    for name, report, wanted in HELPER_RUNS:
        if name not in sec:
            table.note(name, False, "missing")
            continue
        lines, rc = sec[name]
        log = sec.get(name + "-log", ([], 1))[0]
        if report:
            table.note("%s: exit" % name, rc == 0, "%d (want 0)" % rc)
            table.row("%s: report = root's" % name,
                      "%d lines" % len(without_date(lines)) if root_report else None,
                      "%d lines" % len(root_report) if without_date(lines) == root_report else "differs")
        else:
            # A clean refusal, not a crash: an exit status of its own, no report.
            table.note("%s: exit" % name, 0 < rc < 128 and not any(l.startswith("Drive model:") for l in lines),
                       "%d (want a failure, no signal)" % rc)
        for want in wanted:
            table.note("%s: trace" % name, any(want in l for l in log), want)


def compare_console(text, a):
    """The comparison table of one console text."""
    sec = cut_sections(text)
    table = Table(a.title)
    disks_lines = sec.get("disks", ([], 1))[0]
    sysfs = [l.split() for l in disks_lines if re.match(r"^sd[a-z]+ \d+", l)]
    table.note("disks the kernel found", len(sysfs) == len(a.disk),
               "%d of %d: %s" % (len(sysfs), len(a.disk), ", ".join(s[0] for s in sysfs)))
    table.note("torvelctl drives", sec.get("drives", ([], None))[1] == 0,
               "exit %s" % sec.get("drives", ([], None))[1])
    listed = parse_drives(sec.get("drives", ([], 1))[0])
    table.note("drives listed", sorted(listed) == list(range(len(a.disk))),
               " ".join("%d" % n for n in sorted(listed)) or "none")

    reports, serials = {}, {}
    for entry in a.disk:
        n, model, serial, firmware, size = entry.split("|")
        n = int(n)
        expected = {"model": model, "serial": serial, "firmware": firmware, "bytes": int(size)}
        if n < len(sysfs):
            expected["sysfs_sectors"] = int(sysfs[n][1])
        table.heading("drive %d = /dev/%s" % (n, sysfs[n][0] if n < len(sysfs) else "?"))
        reports[n] = compare_disk(table, sec, n, expected)
        serials[n] = serial

    if a.checks == "first":
        table.heading("torvelctl check, twice, then the store it keeps")
        check_step(table, sec, "check-first", 0, serials)
        check_step(table, sec, "check-second", 0, serials)
        check_baseline(table, "baseline", sec.get("settings", ([], 0))[0], reports, serials)
        table.note("settings archive", "settings-archive" in sec and sec["settings-archive"][1] == 0,
                   "printed" if "settings-archive" in sec else "missing")
    elif a.checks == "carried":
        table.heading("torvelctl check on the store of the earlier boot")
        # Only drive 0 was in the earlier boot.
        check_baseline(table, "carried", sec.get("carried-settings", ([], 0))[0],
                       {0: reports[0]} if 0 in reports else {}, serials)
        check_step(table, sec, "check-carried", 0, serials)
        table.heading("the same store with one baseline value moved: %s" % a.changed_key)
        check_step(table, sec, "check-changed", 1, serials, {serials[0]: 1})
        check_step(table, sec, "check-after-change", 0, serials)

    if a.helper_runs:
        table.heading("torvelctl report 0 without root, with and without torvel-ata")
        check_helper_runs(table, sec)

    table.timings += timing_lines(sec.get("timing", ([], 1))[0])
    return table


# Faults planted in a good console, each of which the comparison must see:
# a comparison that passes them all compares nothing.
# Each names the section it plants into.
MUTATIONS = (
    # The raw value, before the readable one in brackets where there is one.
    ("report-0", "a raw value in the report", r"(?m)^(190 +\(BE\).* )(\d+)((?: +\[[^\]]*\])?)$",
     lambda m: m.group(1) + str(int(m.group(2)) + 1) + m.group(3)),
    ("report-0", "a worst value in the report", r"(?m)^(1 +\(01\) .*\d+ +)(\d+)( +\d+)$",
     lambda m: m.group(1) + str(int(m.group(2)) - 1) + m.group(3)),
    ("smartctl-0", "a threshold in smartctl's sector", r"(?m)^(000-015: 01 00 01 )06",
     lambda m: m.group(1) + "07"),
    ("drives", "the serial in the drive list", r"(?m)^(  Serial number   )TVM", lambda m: m.group(1) + "TVX"),
    ("drives", "the capacity in the drive list", r"(?m)^(  Capacity        )(\d)", lambda m: m.group(1) + "9"),
    ("drives", "the T.E.C. flag", r"(?m)^(  T\.E\.C\.          )no$", lambda m: m.group(1) + "yes (threshold exceeded)"),
    ("smartctl-0", "the return status", r"( Output: .*)LM=0x4f, LH=0xc2", lambda m: m.group(1) + "LM=0xf4, LH=0x2c"),
    ("report-0", "a lost report", r"(?m)^@@@END report-0 rc=0@@@$\n", lambda m: ""),
    ("report-0", "an attribute missing from the report", r"(?m)^12 +\(0C\).*\n", lambda m: ""),
    ("check-second", "a check that found something", r"(?m)^@@@END check-second rc=0@@@$",
     lambda m: "@@@END check-second rc=1@@@"),
    ("check-second", "a changed count in a summary", r"(?m)^(@@@BEGIN check-second@@@\n.*\n)\[",
     lambda m: m.group(1) + "[ 1 SMART attribute changed. "),
    ("user-read", "a raw value read through the helper",
     r"(?m)^(@@@BEGIN user-read@@@\n(?:.*\n)*?190 +\(BE\).* )(\d+)((?: +\[[^\]]*\])?)$",
     lambda m: m.group(1) + str(int(m.group(2)) + 1) + m.group(3)),
    ("user-alone-log", "a lost no-rights trace line", r"(?m)^.*Drive 0: no right to send raw ATA.*\n", lambda m: ""),
    ("user-rawio", "a report where the helper may not open the disk",
     r"(?m)^@@@END user-rawio rc=\d+@@@$", lambda m: "@@@END user-rawio rc=0@@@"),
    ("settings", "a stored baseline value", r"(?m)^(190-.* \(int\) = )69$", lambda m: m.group(1) + "68"),
)


# --- NVMe -------------------------------------------------------------------

# Our rows of the health log: attribute id -> nvme-cli's smart-log JSON key.
NVME_ROWS = {1: "critical_warning", 2: "avail_spare", 3: "percent_used",
             4: "data_units_read", 6: "data_units_written", 7: "host_read_commands",
             8: "host_write_commands", 9: "power_on_hours", 10: "controller_busy_time",
             11: "unsafe_shutdowns", 12: "power_cycles", 13: "num_err_log_entries",
             14: "warning_temp_time", 15: "critical_comp_time", 198: "media_errors"}


def json_section(sec, name):
    import json
    try:
        return json.loads("\n".join(sec.get(name, ([], 1))[0]))
    except ValueError:
        return {}


def smart_value(log, key):
    """nvme-cli prints some counters as numbers, some as strings, and
    critical_warning as an object on newer versions."""
    v = log.get(key)
    if isinstance(v, dict):
        v = v.get("value")
    if isinstance(v, str):
        v = int(v.replace(",", "").split()[0], 0)
    return v


def smartctl_nvme(lines):
    out = {}
    for line in lines:
        m = re.match(r"^([A-Za-z][A-Za-z /]+?):\s+(.*)$", line)
        if m:
            out[m.group(1).strip()] = m.group(2).strip()
    return out


def compare_nvme(text, a):
    sec = cut_sections(text)
    table = Table(a.title)
    serial, size = a.nvme.split("|")
    size = int(size)
    listed = parse_drives(sec.get("nvme-drives", ([], 1))[0])
    table.note("torvelctl drives", sec.get("nvme-drives", ([], None))[1] == 0,
               "exit %s" % sec.get("nvme-drives", ([], None))[1])
    kinds = {n: d.get("kind") for n, d in listed.items()}
    nvme_n = next((n for n, k in kinds.items() if k == "NVMe drive"), None)
    table.note("AHCI disk and NVMe drive listed",
               sorted(kinds.values()) == ["ATA disk", "NVMe drive"] and nvme_n == 1,
               " ".join("%d:%s" % (n, k) for n, k in sorted(kinds.items())) or "none")
    drive = listed.get(nvme_n, {})
    ctrl = json_section(sec, "nvme-id-ctrl")
    ns = json_section(sec, "nvme-id-ns")
    log = json_section(sec, "nvme-smart-log")
    smart = smartctl_nvme(sec.get("nvme-smartctl", ([], 1))[0])
    report = parse_report(sec.get("nvme-report", ([], 1))[0])
    report_lines = sec.get("nvme-report", ([], 1))[0]
    table.note("torvelctl report", sec.get("nvme-report", ([], None))[1] == 0,
               "exit %s" % sec.get("nvme-report", ([], None))[1])
    table.note("report says NVMe", "Drive interface: NVMe" in report_lines, "Drive interface line")

    strip = lambda v: None if v is None else str(v).strip()
    table.row("device", drive.get("Device"), None, None, "/dev/nvme0")
    table.row("transport", drive.get("Transport"), None, None, "NVMe")
    table.row("model (drives)", drive.get("Model"), strip(ctrl.get("mn")), None, strip(smart.get("Model Number")))
    table.row("model (report)", report.get("model"), strip(ctrl.get("mn")))
    table.row("serial (drives)", drive.get("Serial number"), strip(ctrl.get("sn")),
              strip(smart.get("Serial Number")), serial)
    table.row("serial (report)", report.get("serial"), strip(ctrl.get("sn")), None, serial)
    table.row("firmware", drive.get("Firmware"), strip(ctrl.get("fr")), strip(smart.get("Firmware Version")))
    # Capacity: NSZE times the formatted LBA size, as nvme-cli gives both.
    ns_bytes = None
    if ns.get("nsze") is not None and ns.get("lbafs"):
        lbaf = ns["lbafs"][ns.get("flbas", 0) & 0x0F]
        ns_bytes = int(ns["nsze"]) << int(lbaf["ds"])
    table.row("capacity (drives)", drive.get("Capacity"), None if ns_bytes is None else gigabytes(ns_bytes, 2),
              None, gigabytes(size, 2))
    table.row("capacity (report)", report.get("capacity"), None if ns_bytes is None else gigabytes(ns_bytes, 1))
    kelvin = smart_value(log, "temperature")
    table.row("temperature (drives)", drive.get("Temperature"),
              None if kelvin is None else "%d \u00b0C" % (kelvin - 273),
              None, None if "Temperature" not in smart else smart["Temperature"].replace(" Celsius", " \u00b0C"))
    warning = smart_value(log, "critical_warning")
    table.row("T.E.C. (critical warning)", drive.get("T.E.C."),
              None if warning is None else ("yes (threshold exceeded)" if warning else "no"))
    for ident, key in sorted(NVME_ROWS.items()):
        ours = report["attributes"].get(ident)
        theirs = smart_value(log, key)
        table.row("row %d raw = %s" % (ident, key), None if ours is None else ours[3], theirs)
    spare = report["attributes"].get(2)
    table.row("row 2 threshold = spare_thresh", None if spare is None else spare[2], smart_value(log, "spare_thresh"))
    temp_row = report["attributes"].get(194)
    table.row("row 194 raw = composite temperature", None if temp_row is None else temp_row[3],
              None if kelvin is None else kelvin - 273)

    rc = sec.get("nvme-check", ([], None))[1]
    table.note("torvelctl check exit", rc == a.nvme_check, "%s (want %d)" % (rc, a.nvme_check))
    table.timings += timing_lines(sec.get("nvme-timing", ([], 1))[0])
    return table


def mutation_check(text, a):
    problems, tried = [], 0
    present = cut_sections(text)
    for section, name, pattern, change in MUTATIONS:
        if section not in present:
            continue
        tried += 1
        planted, count = re.subn(pattern, change, text, count=1)
        if count != 1:
            problems.append("could not plant %s" % name)
        elif compare_console(planted, a).failed == 0:
            problems.append("missed %s" % name)
    print("%s: the comparison %s %d planted faults%s" % (
        a.title, "missed some of" if problems else "caught all", tried,
        "".join("\n  " + p for p in problems)))
    return not problems


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--log", required=True)
    p.add_argument("--title", default="")
    p.add_argument("--disk", action="append", default=[],
                   help="N|model|serial|firmware|bytes: what QEMU was told")
    p.add_argument("--checks", choices=("none", "first", "carried"), default="none")
    p.add_argument("--changed-key", help="what the host moved in the carried store")
    p.add_argument("--mutations", action="store_true",
                   help="also prove that planted faults in this console make the comparison fail")
    p.add_argument("--extract-settings", metavar="OUT")
    p.add_argument("--nvme", metavar="SERIAL|BYTES",
                   help="compare the NVMe boot's sections instead: the controller QEMU was given")
    p.add_argument("--nvme-check", type=int, default=0, help="the exit status torvelctl check must give")
    p.add_argument("--helper-runs", type=int, default=0,
                   help="1: the guest ran torvelctl without root, with and without torvel-ata")
    a = p.parse_args()

    with open(a.log, encoding="utf-8", errors="replace") as f:
        text = f.read().replace("\r", "")

    if a.extract_settings:
        sec = cut_sections(text)
        if "settings-archive" not in sec:
            print("no settings archive on the console", file=sys.stderr)
            return 1
        with open(a.extract_settings, "wb") as f:
            f.write(base64.b64decode("".join(sec["settings-archive"][0])))
        report = parse_report(sec.get("report-0", ([], 0))[0])
        if not report["attributes"]:
            print("no attributes in drive 0's report", file=sys.stderr)
            return 1
        ident, (val, _, _, _) = sorted(report["attributes"].items())[0]
        moved = val + 1 if val + 1 < 255 else val - 1  # 255 means "no baseline"
        settings = parse_settings(sec.get("settings", ([], 0))[0])
        stored = next((v for v in settings.values() if baseline_key(v, ident)), {})
        key = baseline_key(stored, ident)
        if key is None:
            print("no saved value of attribute %d in the settings" % ident, file=sys.stderr)
            return 1
        print("%s\t%d" % (key, moved))
        return 0

    table = compare_nvme(text, a) if a.nvme else compare_console(text, a)
    table.print()
    ok = table.failed == 0
    print("%s: %s (%d of %d rows disagree)" % (a.title, "PASS" if ok else "FAIL", table.failed, table.checked))
    if a.mutations and not mutation_check(text, a):
        ok = False
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
