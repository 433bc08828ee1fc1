#!/usr/bin/env python3
"""corvlog's two doors into Prometheus, checked with the real tools.

    prometheus_test.py formats CORVLOG [RUNNER...]   the texts, exact values (RUNNER: Wine)
    prometheus_test.py backfill CORVLOG              openmetrics -> promtool -> Prometheus' HTTP API
    prometheus_test.py live CORVANE SLEEPER CORVLOG  follow -> node_exporter, while Corvane logs

Every server is started here, on a free 127.0.0.1 port with scratch folders,
waited for with a bound and stopped by its own PID on every path. Exit 0
when every check holds, 1 otherwise, 77 (with the reason) when a tool this
mode needs is missing.
"""
import atexit
import calendar
import datetime
import json
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import urllib.parse
import urllib.request

from log_bytes import header, record

MODE = sys.argv[1]
ARGS = [os.path.abspath(a) if os.path.exists(a) else a for a in sys.argv[2:]]
failures = []
servers = []


def check(what, ok, detail=""):
    if not ok:
        failures.append(what)
        print("FAILED: %s %s" % (what, str(detail)[:2000]))


def skip(why):
    print("SKIPPED: " + why)
    sys.exit(77)


def write(name, data):
    with open(name, "wb") as f:
        f.write(data)
    return name


def stop_servers():
    for p in servers:
        if p.poll() is None:
            p.terminate()
            try:
                p.wait(timeout=10)
            except subprocess.TimeoutExpired:
                p.kill()
                p.wait(timeout=10)


atexit.register(stop_servers)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def fetch(url, timeout=5):
    with urllib.request.urlopen(url, timeout=timeout) as r:
        return r.read().decode("utf-8")


def start_server(argv_for_port, ready_path, log_name):
    """Starts a server on a free loopback port; retries when the port was
    taken meanwhile. Returns (process, base URL)."""
    for _ in range(3):
        port = free_port()
        log = open(log_name, "wb")
        p = subprocess.Popen(argv_for_port("127.0.0.1:%d" % port), stdout=log, stderr=subprocess.STDOUT)
        servers.append(p)
        base = "http://127.0.0.1:%d" % port
        deadline = time.monotonic() + 30
        while time.monotonic() < deadline and p.poll() is None:
            try:
                fetch(base + ready_path, timeout=2)
                return p, base
            except Exception:
                time.sleep(0.2)
        stop_servers()
    with open(log_name, "rb") as f:
        print(f.read().decode("utf-8", "replace")[-2000:])
    check("server %s started" % argv_for_port("X")[0], False)
    finish()


def finish():
    stop_servers()
    print("%d failures" % len(failures) if failures else "all checks hold")
    sys.exit(1 if failures else 0)


def parse_samples(text):
    """{(name, labels sorted): (value, timestamp or None)} of an exposition
    text (a server may give the labels in another order)."""
    out = {}
    for line in text.splitlines():
        if not line or line.startswith("#"):
            continue
        at = 0
        while at < len(line) and line[at] not in "{ ":
            at += 1
        name, labels = line[:at], []
        if at < len(line) and line[at] == "{":
            at += 1
            while line[at] != "}":
                eq = line.index("=", at)
                key, at, value = line[at:eq].lstrip(","), eq + 2, ""
                while line[at] != '"':
                    if line[at] == "\\":
                        at += 1
                        value += {"n": "\n"}.get(line[at], line[at])
                    else:
                        value += line[at]
                    at += 1
                labels.append((key, value))
                at += 1
                if line[at] == ",":
                    at += 1
            at += 1
        rest = line[at:].split()
        out[(name, tuple(sorted(labels)))] = (rest[0], rest[1] if len(rest) > 1 else None)
    return out


tmp = tempfile.mkdtemp(prefix="corvlog_prom_")
atexit.register(shutil.rmtree, tmp, True)
os.chdir(tmp)

if MODE == "formats":
    CORVLOG, RUNNER = ARGS[0], ARGS[1:]

    def run(args, timeout=120):
        p = subprocess.run(RUNNER + [CORVLOG] + args, capture_output=True, timeout=timeout)
        return p.returncode, p.stdout, p.stderr.decode("utf-8", "replace")

    status, out, err = run(["--help"])
    if status != 0:
        skip("corvlog does not run here: %s %s" % (status, err))

    # A name with a blank, quotes, a backslash and CP1252 letters; two
    # processes of one name; a session over midnight; figures past 100 %.
    odd = 'Caf\xe9 "\u20ac" a\\b.exe'
    times = ["23:59:59:000", "23:59:59:400", "23:59:59:800", "00:00:00:200"]
    log = header(start="23:59:58")
    cpus = [0, 5, 50, 123]
    for i, t in enumerate(times):
        log += record(t, odd, cpus[i], 1000 + i) + record(t, "x.exe", 100, 5) + record(t, "x.exe", 7, 2097151)
    write("midnight.txt", log)
    status, out, err = run(["openmetrics", "midnight.txt", "--label", "host=pc \"1\"", "--utc-offset", "+01:00"])
    check("openmetrics status", status == 0, err)
    text = out.decode("utf-8")
    lines = text.split("\n")
    odd_labels = 'process="Caf\xe9 \\"\u20ac\\" a\\\\b.exe",series="1",host="pc \\"1\\""'
    x1 = 'process="x.exe",series="1",host="pc \\"1\\""'
    x2 = 'process="x.exe",series="2",host="pc \\"1\\""'
    # 2026-12-09 23:59:59 at +01:00 is 22:59:59 UTC; the last pass is on the 10th.
    base = calendar.timegm((2026, 12, 9, 22, 59, 59))
    stamps = ["%d.000" % base, "%d.400" % base, "%d.800" % base, "%d.200" % (base + 1)]
    expected = ["# HELP corvane_process_cpu_utilization_ratio Share of the whole machine's CPU time the process "
                "used in its last logging interval.",
                "# TYPE corvane_process_cpu_utilization_ratio gauge"]
    ratios = ["0", "0.05", "0.5", "1.23"]
    expected += ["corvane_process_cpu_utilization_ratio{%s} %s %s" % (odd_labels, ratios[i], stamps[i]) for i in range(4)]
    expected += ["corvane_process_cpu_utilization_ratio{%s} 1 %s" % (x1, s) for s in stamps]
    expected += ["corvane_process_cpu_utilization_ratio{%s} 0.07 %s" % (x2, s) for s in stamps]
    expected += ["# HELP corvane_process_resident_memory_bytes Working set (resident memory) of the process.",
                 "# TYPE corvane_process_resident_memory_bytes gauge"]
    expected += ["corvane_process_resident_memory_bytes{%s} %d %s" % (odd_labels, (1000 + i) * 1024, stamps[i])
                 for i in range(4)]
    expected += ["corvane_process_resident_memory_bytes{%s} 5120 %s" % (x1, s) for s in stamps]
    expected += ["corvane_process_resident_memory_bytes{%s} 2147482624 %s" % (x2, s) for s in stamps]
    expected += ["# HELP corvane_machine_memory_bytes Physical memory of the logging machine, from the log header.",
                 "# TYPE corvane_machine_memory_bytes gauge"]
    expected += ['corvane_machine_memory_bytes{host="pc \\"1\\""} 805306368 %s' % s for s in stamps]
    expected += ["# HELP corvane_machine_cpu_clock_hertz Processor clock of the logging machine, from the log header.",
                 "# TYPE corvane_machine_cpu_clock_hertz gauge"]
    expected += ['corvane_machine_cpu_clock_hertz{host="pc \\"1\\""} 2390000000 %s' % s for s in stamps]
    expected += ["# EOF", ""]
    check("openmetrics text", lines == expected,
          "\n".join("%r\n%r" % (a, b) for a, b in zip(lines, expected) if a != b)[:3000])
    check("openmetrics bytes", b"\r" not in out and not out.startswith(b"\xef\xbb\xbf"))

    # Two logs of one machine named out of order, one repeating a time:
    # each series in time order, a repeated millisecond once (the first).
    write("early.txt", header(start="10:00:00") + record("10:00:00:800", "a.exe", 1, 1) +
          record("10:00:01:200", "a.exe", 2, 2))
    write("late.txt", header(start="10:00:01") + record("10:00:01:200", "a.exe", 9, 9) +
          record("10:00:01:600", "a.exe", 3, 3))
    status, out, err = run(["openmetrics", "late.txt", "early.txt", "--utc-offset", "-05:30"])
    got = [l for l in out.decode().split("\n") if l.startswith("corvane_process_cpu")]
    b2 = calendar.timegm((2026, 12, 9, 15, 30, 0))
    check("openmetrics merged order", status == 0 and got == [
        'corvane_process_cpu_utilization_ratio{process="a.exe",series="1"} 0.01 %d.800' % b2,
        'corvane_process_cpu_utilization_ratio{process="a.exe",series="1"} 0.09 %d.200' % (b2 + 1),
        'corvane_process_cpu_utilization_ratio{process="a.exe",series="1"} 0.03 %d.600' % (b2 + 1)], (got, err))
    check("openmetrics duplicate reported", "1 records left out" in err, err)

    # Without --utc-offset the reading machine's zone decides, summer time
    # included: 01:00 CET and 04:00 CEST on the night the clocks go forward.
    if not RUNNER and os.path.exists("/usr/share/zoneinfo/Europe/Berlin"):
        write("spring.txt", header(date="29.03.2026", start="00:59:59", duration="10800", interval="10800000") +
              record("01:00:00:000", "a.exe", 1, 1) + record("04:00:00:000", "a.exe", 2, 2))
        p = subprocess.run([CORVLOG, "openmetrics", "spring.txt"], capture_output=True, timeout=60,
                           env=dict(os.environ, TZ="Europe/Berlin"))
        got = [l.rsplit(" ", 1)[1] for l in p.stdout.decode().split("\n") if l.startswith("corvane_process_cpu")]
        check("openmetrics in the machine's zone", got == ["1774742400.000", "1774749600.000"], (got, p.stderr))

    # A cut log: the whole records, a note; not a log: status 2, no output file.
    write("cut.txt", header() + record("05:25:18:212", "a.exe", 3, 812) + record("05:25:18:612", "a.exe", 4, 9)[:30])
    status, out, err = run(["openmetrics", "cut.txt", "--utc-offset", "+00:00"])
    check("openmetrics cut", status == 0 and out.count(b"\ncorvane_process_cpu") == 1 and "cut short" in err,
          (status, out, err))
    write("notalog.txt", b"hello\nworld\n")
    status, out, err = run(["openmetrics", "notalog.txt", "-o", "x.om"])
    check("openmetrics not a log", status == 2 and not os.path.exists("x.om"), (status, err))
    for bad in (["--label", "__x=1"], ["--label", "series=1"], ["--label", "1x=1"], ["--utc-offset", "+1:00"],
                ["--utc-offset", "+19:00"]):
        status, _, err = run(["openmetrics", "midnight.txt"] + bad)
        check("usage %s" % bad, status == 1, err)

    # follow: started before the log exists, fed a session line by line.
    os.mkdir("tf")
    session = header(start="23:59:58", duration="1", interval="500")  # 2 passes written, as planned
    passes = [record("23:59:58:800", odd, 12, 100) + record("23:59:58:801", "x.exe", 3, 7) +
              record("23:59:58:802", "x.exe", 4, 8),
              record("23:59:59:200", odd, 250, 101) + record("23:59:59:201", "x.exe", 0, 0) +
              record("23:59:59:202", "x.exe", 5, 9)]
    follow = subprocess.Popen(RUNNER + [CORVLOG, "follow", "live.txt", "--textfile", "tf", "--keep", "--wait", "30",
                                        "--label", "instance=pc1"], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    try:
        time.sleep(1.0)
        # The second pass's first record shows the first pass whole: follow
        # writes its file, having read to the log's end; the rest is then
        # read as appended after an end already met.
        first_record_of_second = passes[1][:len(passes[1]) // 3]
        data = session + passes[0] + first_record_of_second
        with open("live.txt", "wb") as f:
            # A half-written header first, then the rest in pieces.
            for at in range(0, len(data), 37):
                f.write(data[at:at + 37])
                f.flush()
                time.sleep(0.01)
            deadline = time.monotonic() + 60
            while not os.path.exists("tf/corvane-live.prom") and follow.poll() is None and \
                    time.monotonic() < deadline:
                time.sleep(0.05)
            first_file = open("tf/corvane-live.prom", "rb").read() if os.path.exists("tf/corvane-live.prom") else b""
            check("follow shows the first pass", b"} 0.12\n" in first_file, first_file)
            rest = passes[1][len(first_record_of_second):]
            for at in range(0, len(rest), 37):
                f.write(rest[at:at + 37])
                f.flush()
                time.sleep(0.01)
        _, err = follow.communicate(timeout=60)
    finally:
        if follow.poll() is None:
            follow.kill()
            follow.wait()
    check("follow status", follow.returncode == 0, err)
    check("follow leaves no temporary file", os.listdir("tf") == ["corvane-live.prom"], os.listdir("tf"))
    with open("tf/corvane-live.prom", "rb") as f:
        prom = f.read()
    check("textfile bytes", b"\r" not in prom and prom.endswith(b"\n") and not prom.startswith(b"\xef\xbb\xbf"))
    samples = parse_samples(prom.decode("utf-8"))
    odd_name = 'Caf\xe9 "\u20ac" a\\b.exe'

    def key(metric, process=None, series=None):
        labels = [("instance", "pc1")] + ([("process", process), ("series", series)] if process else [])
        return (metric, tuple(sorted(labels)))
    cpu, mem = "corvane_process_cpu_utilization_ratio", "corvane_process_resident_memory_bytes"
    check("textfile samples", samples == {
        key(cpu, odd_name, "1"): ("2.5", None), key(cpu, "x.exe", "1"): ("0", None),
        key(cpu, "x.exe", "2"): ("0.05", None), key(mem, odd_name, "1"): ("103424", None),
        key(mem, "x.exe", "1"): ("0", None), key(mem, "x.exe", "2"): ("9216", None),
        key("corvane_machine_memory_bytes"): ("805306368", None),
        key("corvane_machine_cpu_clock_hertz"): ("2390000000", None)}, samples)
    check("textfile text", ('corvane_process_cpu_utilization_ratio{process="Caf\xe9 \\"\u20ac\\" a\\\\b.exe",'
                            'series="1",instance="pc1"} 2.5\n').encode() in prom, prom)
    promtool = shutil.which("promtool")
    if promtool:
        p = subprocess.run([promtool, "check", "metrics"], input=prom, capture_output=True, timeout=60)
        check("promtool check metrics", p.returncode == 0 and not p.stdout.strip(), p.stdout + p.stderr)
    else:
        print("note: promtool missing (package prometheus): the textfile is not linted")

    # A log read at once up to the first record of a pass: the file shows the
    # last whole pass, never a mix of two.
    shutil.rmtree("tf")
    os.mkdir("tf")
    write("partial.txt", header(start="23:59:58", duration="1.5", interval="500") + passes[0] + passes[1] +
          record("23:59:59:700", odd, 77, 777))
    status, _, err = run(["follow", "partial.txt", "--textfile", "tf", "--wait", "1", "--keep"])
    with open("tf/corvane-partial.prom", "rb") as f:
        partial = parse_samples(f.read().decode("utf-8"))
    check("follow shows the last whole pass", status == 0 and
          partial.get((cpu, (("process", odd_name), ("series", "1")))) == ("2.5", None), (status, err, partial))

    # Without --keep the file goes at the end; a log that is not one, or
    # that never comes: status 2 and nothing left in the folder.
    shutil.rmtree("tf")
    os.mkdir("tf")
    status, _, err = run(["follow", "live.txt", "--textfile", "tf", "--wait", "1"])
    check("follow removes its file", status == 0 and os.listdir("tf") == [], (status, err, os.listdir("tf")))
    # Stopped (SIGTERM) amid a session that plans another hour: the file goes.
    if not RUNNER:
        now = datetime.datetime.now()
        t = [(now + datetime.timedelta(seconds=k)).strftime("%H:%M:%S:000") for k in (1, 2)]
        write("long.txt", header(date=now.strftime("%d.%m.%Y"), start=now.strftime("%H:%M:%S"), duration="3600",
                                 interval="1000") + record(t[0], "a.exe", 1, 1) + record(t[1], "a.exe", 2, 2))
        stopped = subprocess.Popen([CORVLOG, "follow", "long.txt", "--textfile", "tf"], stderr=subprocess.PIPE)
        deadline = time.monotonic() + 30
        while not os.listdir("tf") and stopped.poll() is None and time.monotonic() < deadline:
            time.sleep(0.05)
        check("follow wrote before the stop", os.listdir("tf") == ["corvane-long.prom"], os.listdir("tf"))
        stopped.terminate()
        try:
            stopped.wait(timeout=10)
        except subprocess.TimeoutExpired:
            stopped.kill()
            stopped.wait()
        check("follow stopped removes its file", stopped.returncode == 0 and os.listdir("tf") == [],
              (stopped.returncode, os.listdir("tf")))

    for name in ("notalog.txt", "missing.txt"):
        status, _, err = run(["follow", name, "--textfile", "tf", "--wait", "1"])
        check("follow %s" % name, status == 2 and os.listdir("tf") == [] and "corvlog:" in err, (status, err))
    write("endless.txt", session + passes[0] + passes[1][:40] + b"x" * 5000)
    status, _, err = run(["follow", "endless.txt", "--textfile", "tf", "--wait", "1"])
    check("follow of a line without end", status == 2 and os.listdir("tf") == [] and "4096" in err, (status, err))
    write("turns.txt", session + passes[0] + passes[1][:len(passes[1]) // 2] + b"garbage\r\n" + passes[1])
    status, _, err = run(["follow", "turns.txt", "--textfile", "tf", "--wait", "1"])
    check("follow of a log that stops being one", status == 2 and os.listdir("tf") == [], (status, err))
    finish()

PROMTOOL, PROMETHEUS, NODE_EXPORTER = (shutil.which(n) for n in ("promtool", "prometheus",
                                                                 "prometheus-node-exporter"))

if MODE == "backfill":
    CORVLOG = ARGS[0]
    if not PROMTOOL or not PROMETHEUS:
        skip("promtool and prometheus are not installed (package prometheus, tools/setup.sh)")
    # Two days back, over midnight: 12 passes 15 s apart from 23:58:30, as
    # a session of 180 s at 15 s writes them.
    day = datetime.date.today() - datetime.timedelta(days=2)
    log = header(date=day.strftime("%d.%m.%Y"), start="23:58:00", duration="180", interval="15000")
    start = datetime.datetime(day.year, day.month, day.day, 23, 58, 30)
    names = ['A "b" \\ \xe9.exe', "w.exe", "w.exe"]
    want = {}
    for k in range(12):
        t = start + datetime.timedelta(seconds=15 * k)
        for place, name in enumerate(names):
            cpu, ram = (k * 7 + place * 3) % 101, 1000 + k * 37 + place * 100000
            log += record(t.strftime("%H:%M:%S:000"), name, cpu, ram)
            want.setdefault((name, place if place < 2 else 2), []).append((t, cpu, ram))
    write("old.txt", log)
    p = subprocess.run([CORVLOG, "openmetrics", "old.txt", "-o", "old.om", "--utc-offset", "+02:00",
                        "--label", "instance=pc7"], capture_output=True, timeout=120)
    check("openmetrics status", p.returncode == 0, p.stderr)
    p = subprocess.run([PROMTOOL, "tsdb", "create-blocks-from", "openmetrics", "old.om", "data"],
                       capture_output=True, timeout=120)
    check("promtool backfill", p.returncode == 0, p.stdout + p.stderr)
    if failures:
        finish()
    write("prometheus.yml", b"global:\n  scrape_interval: 1h\n")
    server, base = start_server(lambda address: [PROMETHEUS, "--config.file=prometheus.yml",
                                                 "--storage.tsdb.path=data", "--storage.tsdb.retention.time=100y",
                                                 "--web.listen-address=" + address], "/-/ready", "prometheus.log")
    first = calendar.timegm(start.timetuple()) - 7200
    series_of = {0: ("A \"b\" \\ \xe9.exe", "1"), 1: ("w.exe", "1"), 2: ("w.exe", "2")}
    for metric, column, convert in (("corvane_process_cpu_utilization_ratio", 1, lambda v: v / 100),
                                    ("corvane_process_resident_memory_bytes", 2, lambda v: v * 1024)):
        query = urllib.parse.urlencode({"query": metric, "start": first, "end": first + 165, "step": 15})
        try:
            result = json.loads(fetch(base + "/api/v1/query_range?" + query, timeout=20))["data"]["result"]
        except Exception as e:
            check("query_range %s" % metric, False, e)
            continue
        got = {(r["metric"].get("process"), r["metric"].get("series"), r["metric"].get("instance")):
               [(int(t), float(v)) for t, v in r["values"]] for r in result}
        expected = {}
        for (name, place), points in want.items():
            proc, series = series_of[place]
            expected[(proc, series, "pc7")] = [(calendar.timegm(t.timetuple()) - 7200, float(convert(pt[column])))
                                               for t, *rest in points for pt in [(t, *rest)]]
        check("query_range %s" % metric, got == expected, (got, expected))
    finish()

if MODE == "live":
    CORVANE, SLEEPER, CORVLOG = ARGS[:3]
    if not NODE_EXPORTER:
        skip("prometheus-node-exporter is not installed (tools/setup.sh)")
    os.mkdir("textfiles")
    server, base = start_server(lambda address: [NODE_EXPORTER, "--web.listen-address=" + address,
                                                 "--collector.disable-defaults", "--collector.textfile",
                                                 "--collector.textfile.directory=textfiles"], "/metrics",
                                "node_exporter.log")
    # Two processes of one name of this test's own, so that sessions of other
    # tests running beside neither select them nor are selected. The selection
    # takes every process whose name occurs in the text, so the name holds no
    # common name ("sleep", "sh") and no digit (a PID).
    shutil.copy(SLEEPER, "qzkxwvj")
    sleepers = [subprocess.Popen([os.path.abspath("qzkxwvj"), "60"]) for _ in range(2)]
    servers.extend(sleepers)
    follow = subprocess.Popen([CORVLOG, "follow", "logs/run.txt", "--textfile", "textfiles", "--wait", "20",
                               "--label", "instance=here"], stderr=subprocess.PIPE)
    servers.append(follow)
    corvane = subprocess.Popen([CORVANE, "qzkxwvj", "6", "300", "logs/run.txt"])
    servers.append(corvane)

    # The exporter writes the figures its own way (1.122304e+06): compare values.
    def values(samples):
        return {k: float(v[0]) for k, v in samples.items() if k[0].startswith("corvane_process_")}

    scrapes, files = [], []
    deadline = time.monotonic() + 40
    while time.monotonic() < deadline and corvane.poll() is None:
        try:
            files.append(open("textfiles/corvane-run.prom", "rb").read())
        except OSError:
            time.sleep(0.05)
            continue
        scrape = fetch(base + "/metrics")
        ours = values(parse_samples(scrape))
        if ours:
            scrapes.append((ours, "node_textfile_scrape_error 0" in scrape.splitlines()))
        time.sleep(0.2)
    try:
        corvane.wait(timeout=30)
        _, err = follow.communicate(timeout=30)
    except subprocess.TimeoutExpired:
        err = b"timed out"
    check("corvane logged", corvane.returncode == 0)
    check("follow status", follow.returncode == 0, err)
    check("the exporter served the file", len(scrapes) >= 1, len(files))
    check("node_textfile_scrape_error 0", all(ok for _, ok in scrapes))
    if PROMTOOL:
        for text in files[:1] + files[-1:]:
            p = subprocess.run([PROMTOOL, "check", "metrics"], input=text, capture_output=True, timeout=60)
            check("promtool check metrics", p.returncode == 0 and not p.stdout.strip(), p.stdout + p.stderr)
    # Every scrape showed one whole pass of the log, as corvlog csv reads it:
    # the rows come pass by pass, in the pass's order.
    rows = [r.split(",") for r in
            subprocess.run([CORVLOG, "csv", "logs/run.txt"], capture_output=True, timeout=60).stdout.decode()
            .splitlines()[1:]]
    places = len({(r[1], r[2]) for r in rows})
    passes = []
    for at in range(0, len(rows) - places + 1, places):
        one = {}
        for r in rows[at:at + places]:
            labels = tuple(sorted([("instance", "here"), ("process", r[1]), ("series", r[2])]))
            one[("corvane_process_cpu_utilization_ratio", labels)] = int(r[3]) / 100
            one[("corvane_process_resident_memory_bytes", labels)] = float(int(r[4]) * 1024)
        passes.append(one)
    check("a pass of two series of one name", places == 2 and len(passes) == 20, (places, len(passes)))
    for ours, _ in scrapes:
        check("each scrape is a whole pass of the log", ours in passes, ours)
    check("file gone after the session", os.listdir("textfiles") == [], os.listdir("textfiles"))
    finish()

print("unknown mode " + MODE)
sys.exit(1)
