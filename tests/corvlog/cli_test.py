#!/usr/bin/env python3
"""The corvlog program on files: its outputs read by Python's own csv and
json modules, its exit statuses and one-line messages on bad input, a huge
sparse file and a generated stream on standard input read in bounded
memory, and `show` in the terminal's encoding.

    cli_test.py CORVLOG [RUNNER...]     (RUNNER: e.g. the Wine wrapper)

Exit 0 when every check holds, 1 otherwise; 77 when the program cannot run here.
"""
import csv
import io
import json
import os
import subprocess
import sys
import tempfile

from log_bytes import header, record

CORVLOG = os.path.abspath(sys.argv[1])
RUNNER = [os.path.abspath(a) if os.path.exists(a) else a for a in sys.argv[2:]]
NATIVE = not RUNNER
failures = []


def check(what, ok, detail=""):
    if not ok:
        failures.append(what)
        print("FAILED: %s %s" % (what, detail))




def run(args, stdin=None, limit_bytes=None):
    def limit():
        if limit_bytes:
            import resource
            resource.setrlimit(resource.RLIMIT_AS, (limit_bytes, limit_bytes))
    # Standard input: bytes, or an open file or descriptor to read.
    feed = {"input": stdin} if stdin is None or isinstance(stdin, bytes) else {"stdin": stdin}
    p = subprocess.run(RUNNER + [CORVLOG] + args, capture_output=True, timeout=300,
                       preexec_fn=limit if limit_bytes else None, **feed)
    if limit_bytes and b"ReserveShadowMemoryRange" in p.stderr:
        # A sanitizer build reserves terabytes of shadow memory up front: it
        # checks the reading, not the memory bound.
        return run(args, stdin)
    return p.returncode, p.stdout, p.stderr.decode("utf-8", "replace")


def messages(stderr):
    return [l for l in stderr.splitlines() if l.startswith("corvlog:")]


tmp = tempfile.mkdtemp(prefix="corvlog_cli_")
os.chdir(tmp)


def write(name, data):
    with open(name, "wb") as f:
        f.write(data)
    return name


# A session of two passes: a name with a comma, a quote and an umlaut, two
# processes of one name, and one that ends.
good = write("good.txt", header() +
             record("05:25:18:212", 'B\xe4r, "gross".exe', 3, 812) + record("05:25:18:213", "bash", 1, 100) +
             record("05:25:18:214", "bash", 2, 200) +
             record("05:25:18:612", 'B\xe4r, "gross".exe', 12, 816) + record("05:25:18:613", "bash", 0, 0) +
             record("05:25:18:614", "bash", 4, 204))

status, out, err = run(["--help"])
if status not in (0, 1) or b"usage" not in out + err.encode():
    print("corvlog does not run here:", status, err)
    sys.exit(77)

# CSV, read by Python's csv module.
status, out, err = run(["csv", good])
check("csv status", status == 0, err)
rows = list(csv.reader(io.StringIO(out.decode("utf-8"), newline="")))
check("csv rows", len(rows) == 7, rows)
check("csv heading", rows[0] == ["time", "process", "series", "cpu_percent", "ram_kb", "file"], rows[0])
check("csv first", rows[1] == ["2026-12-09T05:25:18.212", 'B\xe4r, "gross".exe', "1", "3", "812", "good.txt"], rows[1])
check("csv series", [r[2] for r in rows[1:]] == ["1", "1", "2", "1", "1", "2"], rows)
check("csv line ends", out.count(b"\r\n") == 7 and out.count(b"\n") == 7)
status, out, err = run(["csv", good, "--sep", ";"])
rows = list(csv.reader(io.StringIO(out.decode("utf-8"), newline=""), delimiter=";"))
check("csv ; rows", status == 0 and rows[1][1] == 'B\xe4r, "gross".exe' and rows[1][3] == "3", rows[:2])
check("csv ; unquoted comma", b'"B\xc3\xa4r, ""gross"".exe"' in out, out[:200])

# JSON lines, each parsed by Python's json module.
status, out, err = run(["json", good, "-o", "good.jsonl"])
check("json status", status == 0 and out == b"", err)
with open("good.jsonl", "rb") as f:
    objects = [json.loads(l) for l in f.read().decode("utf-8").splitlines()]
check("json count", len(objects) == 7, len(objects))
check("json header", objects[0] == {"type": "header", "file": "good.txt", "date": "2026-12-09",
                                    "start": "2026-12-09T05:25:17", "duration_s": 4, "duration_text": "4",
                                    "interval_ms": 400, "interval_text": "400", "cpu_clock_ghz": 2.39,
                                    "total_memory_mb": 768}, objects[0])
check("json record", objects[4] == {"type": "record", "time": "2026-12-09T05:25:18.612",
                                    "process": 'B\xe4r, "gross".exe', "series": 1, "cpu_percent": 12,
                                    "ram_kb": 816, "file": "good.txt"}, objects[4])

# Summary as CSV: figures of each series.
status, out, err = run(["summary", good, "--csv"])
rows = list(csv.DictReader(io.StringIO(out.decode("utf-8"), newline="")))
check("summary rows", status == 0 and len(rows) == 3, rows)
bear = rows[0]
check("summary figures", (bear["samples"], bear["cpu_min"], bear["cpu_mean"], bear["cpu_p95"], bear["cpu_max"],
                          bear["ram_min_kb"], bear["ram_mean_kb"], bear["ram_max_kb"], bear["ended"]) ==
      ("2", "3", "7.5", "12", "12", "812", "814", "816", ""), bear)
check("summary growth", bear["ram_growth_kb_per_h"] == "36000", bear)  # 4 KB in 0.4 s
check("summary ended", rows[1]["ended"] == "2026-12-09T05:25:18.613" and rows[1]["samples"] == "2" and
      rows[1]["cpu_mean"] == "1.0", rows[1])
check("summary series 2", rows[2]["series"] == "2" and rows[2]["ram_mean_kb"] == "202", rows[2])
status, out, err = run(["summary", good])
# A table for the terminal: UTF-8 on Linux, the ANSI code page (1252 under
# Wine) for a Windows program's standard output that is no console.
check("summary table", status == 0 and out.decode("utf-8" if NATIVE else "cp1252").splitlines()[1].startswith('B\xe4r, "gross".exe'), out)

# show: the log in UTF-8 on Linux, every line.
status, out, err = run(["show", good])
if NATIVE:
    check("show utf-8", status == 0 and "Verf\xfcgbarer Speicher: 768 MB\n".encode() in out and
          'B\xe4r, "gross".exe'.encode() in out, out[:400])
    check("show lines", out.count(b"\n") == 21 and b"\r" not in out, out.count(b"\n"))
else:
    check("show in the ANSI code page", status == 0 and out.count(b"\r\n") == 21 and
          "Verf\xfcgbarer Speicher: 768 MB\r\n".encode("cp1252") in out, (status, err, out[:300]))

# A cut log: read up to its last whole record, said on standard error.
cut = write("cut.txt", open(good, "rb").read() + record("05:25:19:012", 'B\xe4r, "gross".exe', 5, 900)[:40])
status, out, err = run(["csv", cut])
check("cut status", status == 0 and out.count(b"\r\n") == 7, (status, err))
check("cut message", messages(err) == ["corvlog: cut.txt:22: the log is cut short here; dropped 40 bytes of an "
                                      "unfinished record"], err)

# Bad input: one line naming file and line, exit status 2; usage errors 1.
bad_cases = [
    ("empty.txt", b"", "corvlog: empty.txt: empty file, not a Corvane log"),
    ("binary.bin", bytes(range(256)) * 64, "corvlog: binary.bin:1: binary data, not a Corvane log"),
    ("notes.txt", b"shopping list\r\nmilk\r\n", "corvlog: notes.txt:1: not a Corvane log: the first line is not "
                                                "\"Log vom DD.MM.YYYY  Startzeit:  hh:mm:ss\""),
    ("missing.txt", header() + record("05:25:18:212", "a", 3, 812) +
     record("05:25:18:612", "a", 3, 812).replace(b"812 KB RAM", b" KB RAM"),
     "corvlog: missing.txt:12: record without a working set figure before \" KB RAM\""),
    ("letters.txt", header() + record("05:25:18:212", "a", 3, 812).replace(b"  3% CPU", b" 3O% CPU"),
     "corvlog: letters.txt:10: CPU share \"3O\" is not a whole number"),
]
for name, data, message in bad_cases:
    write(name, data)
    for command in (["csv"], ["json"], ["summary"], ["plot", "-o", "x.svg"]):
        status, out, err = run(command + [name])
        check("%s %s status" % (name, command[0]), status == 2, (status, err))
        check("%s %s message" % (name, command[0]), messages(err)[0] == message, err)
        # (The Windows test runner adds a line of its own on a failed run.)
        own = [l for l in err.splitlines() if not l.startswith("wine-run.sh:")]
        check("%s %s one line" % (name, command[0]), len(messages(err)) <= 2 and len(own) <= 2, err)
check("no half output", not os.path.exists("x.svg"))

# A header-only log is Corvane's own valid output (nothing was selected, or
# a duration of 0): a log with no records, exit 0.
write("header.txt", header())
status, out, err = run(["csv", "header.txt"])
check("header-only csv", status == 0 and out == b"time,process,series,cpu_percent,ram_kb,file\r\n", (status, out, err))
check("header-only note", messages(err) == ["corvlog: header.txt: no records, the header only"], err)
status, out, err = run(["json", "header.txt"])
objects = [json.loads(l) for l in out.decode("utf-8").splitlines()]
check("header-only json", status == 0 and len(objects) == 1 and objects[0]["type"] == "header" and
      objects[0]["interval_ms"] == 400, (status, out, err))
status, out, err = run(["summary", "header.txt", "--csv"])
check("header-only summary csv", status == 0 and out.decode().splitlines() ==
      ["file,process,series,samples,first,last,cpu_min,cpu_mean,cpu_p95,cpu_max,ram_min_kb,ram_mean_kb,ram_max_kb,"
       "ram_growth_kb_per_h,ended"], (status, out, err))
status, out, err = run(["summary", "header.txt"])
check("header-only summary table", status == 0 and out.decode("utf-8", "replace").splitlines()[0].startswith("process")
      and len(out.splitlines()) == 1, (status, out, err))
status, out, err = run(["plot", "header.txt", "-o", "empty.svg"])
check("header-only plot", status == 0 and os.path.exists("empty.svg"), (status, err))
if os.path.exists("empty.svg"):
    import xml.etree.ElementTree as ET
    svg = ET.parse("empty.svg").getroot()
    texts = " ".join(t.text or "" for t in svg.iter("{http://www.w3.org/2000/svg}text"))
    check("header-only plot caption", "2026-12-09 05:25:17, 4 s every 400 ms" in texts and "no records" in texts,
          texts[:300])
    check("header-only plot no lines", not list(svg.iter("{http://www.w3.org/2000/svg}polyline")))

# -o never names a log: not by its name, not as ./name, a hard
# link, a symbolic link or standard input's file. Usage error, nothing
# opened for writing: the log stays as it was.
original = open(good, "rb").read()
aliases = ["good.txt", "./good.txt", os.path.join(tmp, "good.txt")]
if NATIVE:
    os.link(good, "hard.txt")
    os.symlink(good, "soft.txt")
    aliases += ["hard.txt", "soft.txt"]
else:
    aliases.append("GOOD.TXT")  # one file on Windows, whatever the case
for alias in aliases:
    for command in (["csv"], ["json"], ["summary"], ["plot"]):
        status, out, err = run(command + [good, "-o", alias])
        check("-o %s for %s status" % (alias, command[0]), status == 1, (status, err))
        check("-o %s for %s message" % (alias, command[0]),
              messages(err) == ["corvlog: -o %s is the log good.txt: corvlog never writes over its input" % alias],
              err)
        check("-o %s for %s log kept" % (alias, command[0]), open(good, "rb").read() == original)
with open(good, "rb") as log_file:
    status, out, err = run(["csv", "-", "-o", "good.txt"], stdin=log_file)
# (Wine gives standard input's file no identity: it may be the output's.)
check("-o of standard input's file", status == 1 and messages(err) in (
      ["corvlog: -o good.txt is the log that standard input reads: corvlog never writes over its input"],
      ["corvlog: -o good.txt may be the log that standard input reads (the system does not tell which file that "
       "is): corvlog never writes over its input"] if not NATIVE else None), (status, err))
check("standard input's log kept", open(good, "rb").read() == original)
# The output goes to a new file renamed over the target only when the run
# succeeded: a failed run leaves what was there, and no file of its own.
write("prior.csv", b"what was here\r\n")
before = sorted(os.listdir("."))
for command in (["csv"], ["json"], ["summary"], ["plot"]):
    status, out, err = run(command + [good, "letters.txt", "-o", "prior.csv"])
    check("failed run keeps -o file (%s)" % command[0], status == 2 and open("prior.csv", "rb").read() == b"what was here\r\n",
          (status, err))
    check("failed run leaves no file (%s)" % command[0], sorted(os.listdir(".")) == before, sorted(os.listdir(".")))
status, out, err = run(["csv", good, "-o", "prior.csv"])
check("run replaces -o file", status == 0 and open("prior.csv", "rb").read().startswith(b"time,process"), (status, err))
check("run leaves no other file", sorted(os.listdir(".")) == before, sorted(os.listdir(".")))
if NATIVE:
    # A device is written in place, never replaced.
    status, out, err = run(["csv", good, "-o", "/dev/null"])
    check("-o /dev/null", status == 0 and os.path.exists("/dev/null") and not os.path.isfile("/dev/null"), (status, err))
    # A link to an output file stays a link to it.
    os.symlink("prior.csv", "link.csv")
    status, out, err = run(["json", good, "-o", "link.csv"])
    check("-o through a link", status == 0 and os.path.islink("link.csv") and
          open("prior.csv", "rb").read().startswith(b'{"type":"header"'), (status, err))
    # A file the user may not write is not written, as before.
    if os.geteuid() != 0:
        write("locked.csv", b"locked")
        os.chmod("locked.csv", 0o444)
        status, out, err = run(["csv", good, "-o", "locked.csv"])
        check("-o read-only", status == 2 and open("locked.csv", "rb").read() == b"locked", (status, err))

# A read error is no end of the log: unusable input.
if NATIVE:
    fd = os.open(tmp, os.O_RDONLY)  # a folder on standard input: every read fails
    status, out, err = run(["csv", "-"], stdin=fd)
    os.close(fd)
    check("read error", status == 2 and messages(err) == ["corvlog: -: read error: Is a directory"], (status, err))

# --sep refuses what a field holds unquoted: letters, digits, "-", ":", ".",
# "_" (times, figures, headings), a quote, a line end, a byte above 127.
for sep in ["-", ":", ".", "_", "0", "7", "T", "e", '"', "\r", "ab", ""]:
    status, out, err = run(["csv", good, "--sep", sep])
    check("--sep %r refused" % sep, status == 1 and out == b"" and messages(err) and "--sep" in messages(err)[0],
          (status, err))
for sep in [";", "|", "\t", " ", "/", "+"]:
    status, out, err = run(["csv", good, "--sep", sep])
    rows = list(csv.reader(io.StringIO(out.decode("utf-8"), newline=""), delimiter=sep))
    check("--sep %r" % sep, status == 0 and len(rows) == 7 and all(len(r) == 6 for r in rows) and
          rows[1][0] == "2026-12-09T05:25:18.212", (status, err, rows[:2]))

# --help, -h and --version answer on standard output.
for option in ["--help", "-h"]:
    status, out, err = run([option])
    check("corvlog %s" % option, status == 0 and out.startswith(b"usage: corvlog csv") and err == "", (status, err))
status, out, err = run(["--version"])
check("corvlog --version", status == 0 and out.decode().startswith("corvlog 1.") and out.count(b"\n") == 1 and
      err == "", (status, out, err))
# More series than a chart can show: refused, while summary takes them.
many = write("many.txt", header() + b"".join(record("05:25:18:%03d" % (i % 1000), "p%d" % i, 1, 1) for i in range(201)))
status, out, err = run(["plot", many, "-o", "many.svg"])
check("plot of 201 series", status == 2 and messages(err) == ["corvlog: many.txt:410: more than 200 series to draw; "
                                                             "summary and csv take any number"], (status, err))
status, out, err = run(["summary", many, "--csv"])
check("summary of 201 series", status == 0 and out.count(b"\r\n") == 202, (status, err))
# summary's memory is bounded: 100,000 series, each with a share
# of 999 % (8 KB of counts each, 800 MB in all), stop at its 64 MB limit
# with a message, in an address space of 256 MB.
crafted = write("crafted.txt", header() + b"".join(record("05:25:18:212", "p%d" % i, 999, 1) for i in range(100000)))
status, out, err = run(["summary", crafted, "--csv"], limit_bytes=256 * 1024 ** 2 if NATIVE else None)
check("summary memory bound", status == 2 and len(messages(err)) == 1 and
      messages(err)[0].startswith("corvlog: crafted.txt:") and
      messages(err)[0].endswith(" series take more than 64 MB, summary's limit; csv and json take any number"),
      (status, err[:300]))
os.remove(crafted)

# Two processes of one name whose passes overrun a 1 ms interval:
# 1000 passes of two, as the header's duration says; a pipe that ends early
# cannot tell, and says so.
def paced(names, interval, work, passes, session_passes):
    lines, start = [], 5 * 3600000 + 25 * 60000 + 17000 + sum(work) + interval
    end = start + sum(work)
    for j in range(passes):
        start = max(start + interval, end)
        t = start
        for q, name in enumerate(names):
            t += work[q]
            lines.append(record("%02d:%02d:%02d:%03d" % (t // 3600000, t // 60000 % 60, t // 1000 % 60, t % 1000),
                                name, q, 1000 + j))
        end = t + work[-1]
    return header(duration="%g" % (session_passes * interval / 1000), interval=str(interval)) + b"".join(lines)
twins = write("twins.txt", paced(["qztwin", "qztwin"], 1, [1, 1, 2], 1000, 1000))
for source in ("file", "pipe"):
    status, out, err = run(["summary", "--csv"] + ([twins] if source == "file" else ["-"]),
                           stdin=open(twins, "rb").read() if source == "pipe" else None)
    rows = list(csv.DictReader(io.StringIO(out.decode("utf-8"), newline="")))
    check("twins %s" % source, status == 0 and [(r["series"], r["samples"]) for r in rows] ==
          [("1", "1000"), ("2", "1000")] and messages(err) == [], (status, rows, err))
early = paced(["qztwin", "qztwin"], 1, [1, 1, 2], 700, 1000)
status, out, err = run(["summary", "-", "--csv"], stdin=early)
rows = list(csv.DictReader(io.StringIO(out.decode("utf-8"), newline="")))
check("twins ended early", status == 0 and [(r["series"], r["samples"]) for r in rows] == [("1", "700"), ("2", "700")]
      and messages(err) == ["corvlog: -:10: cannot tell whether a pass holds 2, 3, 4 or 5 records (its 1400 records "
                            "are not the 1000 passes of a whole session, and its times keep to no 1 ms schedule); read "
                            "as passes of 2 records: \"qztwin\", \"qztwin\""], (status, rows, err))
status, out, err = run(["csv", "missing_file.txt"])
check("missing file", status == 2 and messages(err)[0].startswith("corvlog: missing_file.txt: cannot open"), err)
# -o of a failed run makes no file; good output before a bad log is dropped.
status, out, err = run(["csv", good, "letters.txt", "-o", "partial.csv"])
check("failed -o", status == 2 and not os.path.exists("partial.csv"), (status, err))
for args in ([], ["frobnicate", good], ["csv"], ["plot", good], ["csv", good, "--sep"], ["csv", good, "--sep", '"'],
             ["show", good, good], ["summary", good, "--bogus"], ["csv", "-", "-"]):
    status, out, err = run(args)
    check("usage %s" % args, status == 1 and messages(err) and "usage:" in err, (status, err))

# A 3 GB sparse file: a log whose records stop at a hole of zeros. It is
# refused at the hole's line, fast, and never held in memory.
huge = "huge.txt"
with open(huge, "wb") as f:
    f.write(header() + record("05:25:18:212", "a", 3, 812))
    f.truncate(3 * 1024 ** 3)
status, out, err = run(["summary", huge], limit_bytes=256 * 1024 ** 2 if NATIVE else None)
check("huge status", status == 2, (status, err))
check("huge message", messages(err) == ["corvlog: huge.txt:12: more than 4096 bytes without a line end, not a "
                                        "Corvane log"], err)
os.remove(huge)

# A generated log of 40 MB and 28 hours on standard input, in an address
# space of 256 MB (the program's own is a few MB): read as a stream, never
# whole, and on into the next day.
if NATIVE:
    passes = 250000
    chunk = []
    for k in range(passes):
        ms = 5 * 3600000 + 25 * 60000 + 18212 + 400 * k
        t = "%02d:%02d:%02d:%03d" % (ms // 3600000 % 24, ms // 60000 % 60, ms // 1000 % 60, ms % 1000)
        chunk.append(record(t, "worker", k % 101, 1000 + k % 13))
    data = header(duration="100000", interval="400") + b"".join(chunk)
    status, out, err = run(["summary", "-", "--csv"], stdin=data, limit_bytes=256 * 1024 ** 2)
    rows = list(csv.DictReader(io.StringIO(out.decode("utf-8"), newline="")))
    check("stream status", status == 0 and len(rows) == 1, (status, err))
    if rows:
        check("stream figures", (rows[0]["samples"], rows[0]["cpu_max"], rows[0]["ram_max_kb"], rows[0]["file"],
                                 rows[0]["last"]) == (str(passes), "100", "1012", "-", "2026-12-10T09:11:57.812"),
              rows[0])

print("%d failed" % len(failures))
sys.exit(1 if failures else 0)
