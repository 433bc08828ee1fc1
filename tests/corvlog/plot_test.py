#!/usr/bin/env python3
"""corvlog plot: the SVG is well-formed XML whose lines lie where their
values say, a spike survives the thinning of a long session, and sessions
overlay from their own starts. With `render`, the chart is also drawn to
PNG by rsvg-convert and the pixels of a flat series are looked up.

    plot_test.py svg|render CORVLOG [RUNNER...]

Exit 0 when every check holds, 1 otherwise; 77 when rsvg-convert (render)
or the program cannot run here.
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
import zlib

MODE = sys.argv[1]
CORVLOG = os.path.abspath(sys.argv[2])
RUNNER = [os.path.abspath(a) if os.path.exists(a) else a for a in sys.argv[3:]]
SVG = "{http://www.w3.org/2000/svg}"
failures = []


def check(what, ok, detail=""):
    if not ok:
        failures.append(what)
        print("FAILED: %s %s" % (what, detail))


def header(date, start, interval):
    return ("Log vom %s          Startzeit:  %s\r\n\r\nDauer:            3600  Sekunden\r\n"
            "Intervall:    %8s  Millisekunden\r\n\r\nCPU-Takt: 2.39 GHz\r\n"
            "Verf\xfcgbarer Speicher: 768 MB\r\n\r\n\r\n" % (date, start, interval)).encode("cp1252")


def record(ms, name, cpu, ram):
    ms %= 86400000
    t = "%02d:%02d:%02d:%03d" % (ms // 3600000, ms // 60000 % 60, ms // 1000 % 60, ms % 1000)
    return (t.encode() + b"  " + name.encode().ljust(35) + str(cpu).encode().rjust(3) + b"% CPU" +
            str(ram).encode().rjust(17) + b" KB RAM\r\n\r\n")


def run(args):
    p = subprocess.run(RUNNER + [CORVLOG] + args, capture_output=True, timeout=300)
    return p.returncode, p.stderr.decode("utf-8", "replace")


def png_pixels(path):
    """Width, height and rows of (r, g, b, a) tuples of an 8-bit RGBA or RGB PNG."""
    data = open(path, "rb").read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    at, idat = 8, b""
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    assert depth == 8 and colour in (2, 6)
    bpp = 4 if colour == 6 else 3
    raw = zlib.decompress(idat)
    stride = width * bpp
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - bpp] if i >= bpp else 0
            up = previous[i]
            corner = previous[i - bpp] if i >= bpp else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 255
        rows.append([tuple(line[x * bpp:x * bpp + 3]) for x in range(width)])
        previous = line
    return width, height, rows


tmp = tempfile.mkdtemp(prefix="corvlog_plot_")
os.chdir(tmp)
if MODE == "render" and not shutil.which("rsvg-convert"):
    print("rsvg-convert is missing (Debian package librsvg2-bin): skipped")
    sys.exit(77)

# A flat series at 40 % and 300 MB beside one that idles at 0 % for 5000
# samples (more than the chart has pixel columns) with a single 90 % spike.
start = (5 * 3600 + 25 * 60 + 17) * 1000
log = header("09.12.2026", "05:25:17", "200")
for k in range(5000):
    ms = start + 400 + 200 * k
    log += record(ms, "flat", 40, 300 * 1024) + record(ms + 1, "spiky", 90 if k == 2500 else 0, 100 * 1024)
with open("long.txt", "wb") as f:
    f.write(log)
status, err = run(["plot", "long.txt", "-o", "chart.svg"])
if status != 0 and not os.path.exists("chart.svg"):
    print("corvlog does not run here:", status, err)
    # 77: the Windows runner cannot run the build's programs on this machine.
    sys.exit(77 if status == 77 or "not found" in err else 1)
check("plot status", status == 0, err)
tree = ET.parse("chart.svg")  # raises on anything that is not well-formed XML
root = tree.getroot()
check("svg root", root.tag == SVG + "svg")


def panel(name):
    g = root.find(".//%sg[@id='%s-panel']" % (SVG, name))
    area = g.find("%srect[@id='%s-area']" % (SVG, name))
    box = [float(area.get(k)) for k in ("x", "y", "width", "height")]
    lines = g.findall("%spolyline" % SVG)
    points = [[tuple(map(float, p.split(","))) for p in l.get("points").split()] for l in lines]
    return float(g.get("data-top")), box, lines, points


cpu_top, cpu_box, cpu_lines, cpu_points = panel("cpu")
ram_top, ram_box, ram_lines, ram_points = panel("ram")
check("cpu top", cpu_top == 100, cpu_top)
check("ram top", ram_top == 500, ram_top)


def y_of(box, top, value):
    return box[1] + box[3] * (1 - value / top)


check("two series", len(cpu_points) == 2 and len(ram_points) == 2)
flat_cpu = {round(y, 3) for _, y in cpu_points[0]}
check("flat cpu line", flat_cpu == {round(y_of(cpu_box, 100, 40), 1)}, (flat_cpu, y_of(cpu_box, 100, 40)))
check("flat ram line", {y for _, y in ram_points[0]} == {round(y_of(ram_box, 500, 300), 1)}, ram_points[0][:3])
spike_ys = [y for _, y in cpu_points[1]]
check("spike kept", min(spike_ys) == round(y_of(cpu_box, 100, 90), 1), min(spike_ys))
check("idle kept", max(spike_ys) == round(y_of(cpu_box, 100, 0), 1), max(spike_ys))
check("thinned", len(cpu_points[1]) <= 2 * cpu_box[2] + 2, len(cpu_points[1]))
xs = [x for x, _ in cpu_points[0]]
check("time across", abs(min(xs) - cpu_box[0]) <= 1 and abs(max(xs) - (cpu_box[0] + cpu_box[2])) <= 1,
      (min(xs), max(xs), cpu_box))
legend = [t.text for t in root.iter(SVG + "text") if t.get("class") == "legend"]
check("legend", legend == ["flat", "spiky"], legend)
captions = [t.text for t in root.iter(SVG + "text") if t.get("class") == "caption"]
check("caption", len(captions) == 1 and captions[0].startswith("2026-12-09 05:25:17, 3600 s every 200 ms, "
                                                              "CPU clock 2.39 GHz, 768 MB memory"), captions)

# Two sessions on different days laid over each other from their starts.
for name, date, begin in (("a.txt", "01.12.2026", "10:00:00"), ("b.txt", "05.12.2026", "22:00:00")):
    h, m, s = map(int, begin.split(":"))
    base = ((h * 60 + m) * 60 + s) * 1000
    with open(name, "wb") as f:
        f.write(header(date, begin, "1000") + b"".join(record(base + 2000 + 1000 * k, "job", 10, 2048) for k in range(60)))
status, err = run(["plot", "a.txt", "b.txt", "--overlay", "-o", "overlay.svg"])
check("overlay status", status == 0, err)
root = ET.parse("overlay.svg").getroot()
_, box, _, points = panel("cpu")
check("overlay from each start", len(points) == 2 and points[0][0][0] == points[1][0][0] and
      points[0][-1][0] == points[1][-1][0], [p[:1] for p in points])

if MODE == "render":
    subprocess.run(["rsvg-convert", "chart.svg", "-o", "chart.png"], check=True, timeout=120)
    width, height, rows = png_pixels("chart.png")
    check("png size", width == 1000, width)
    colour = (0x1f, 0x77, 0xb4)  # the first series' colour

    def near(p):
        return sum(abs(a - b) for a, b in zip(p, colour)) < 60

    for name, box, top, value in (("cpu", cpu_box, 100, 40), ("ram", ram_box, 500, 300)):
        x = int(box[0] + box[2] / 4)  # away from the spike in the middle
        hits = [y for y in range(int(box[1]), int(box[1] + box[3]) + 1) if near(rows[y][x])]
        expected = y_of(box, top, value)
        check("%s line drawn" % name, hits, (x, expected))
        if hits:
            check("%s line where its value says" % name, abs((min(hits) + max(hits) + 1) / 2 - expected) <= 1 and
                  max(hits) - min(hits) <= 3, (hits, expected))

print("%d failed" % len(failures))
sys.exit(1 if failures else 0)
