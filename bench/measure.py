"""Measurements behind bench/run.sh: cycle cost of Corvane and its peers,
footprint and start-up, and the long windowed run. Prints markdown tables.
Run with /usr/bin/python3 (it has psutil); bench/run.sh passes the build
folder, the X display and the length of each section.

    measure.py cycle     --bin DIR --cycles N [--extra 0,2000]
    measure.py footprint --bin DIR [--runs N] [--extra 0,2000]
    measure.py long      --bin DIR --minutes M [--warmup S]
    measure.py headless  --bin DIR --seconds S [--extra 0,2000]

Every process it starts dies with it (PR_SET_PDEATHSIG) and is ended and
reaped on the way out, also on SIGTERM and SIGINT."""
import argparse
import atexit
import ctypes
import fcntl
import os
import pty
import shutil
import signal
import statistics
import struct
import subprocess
import sys
import tempfile
import termios
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
PERIOD = 0.8  # the sampling period of the monitor window and of every peer
CLK_TCK = os.sysconf("SC_CLK_TCK")

_libc = ctypes.CDLL(None, use_errno=True)
_children = []


def _die_with_parent():
    _libc.prctl(1, signal.SIGKILL)  # PR_SET_PDEATHSIG


def log(text):
    print(text, file=sys.stderr, flush=True)


def spawn(argv, **kw):
    kw.setdefault("stdin", subprocess.DEVNULL)
    kw.setdefault("stdout", subprocess.DEVNULL)
    proc = subprocess.Popen(argv, preexec_fn=_die_with_parent, **kw)
    _children.append(proc)
    return proc


def stop(proc, sig=signal.SIGTERM):
    if proc.poll() is None:
        try:
            proc.send_signal(sig)
            proc.wait(timeout=5)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()
    if proc in _children:
        _children.remove(proc)


def _cleanup():
    for proc in list(_children):
        stop(proc)


def _on_signal(signum, frame):
    raise SystemExit(128 + signum)


atexit.register(_cleanup)
for _s in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
    signal.signal(_s, _on_signal)


# --- reading /proc -----------------------------------------------------------

def cpu_ms(pid):
    """CPU time (user + system) of every live thread of pid, in ms.

    The scheduler's run time in /proc/<pid>/task/*/schedstat is kept in ns;
    utime + stime in /proc/<pid>/stat are whole clock ticks (10 ms), too
    coarse for a few seconds of a peer that needs a millisecond a cycle. The
    two agree over longer runs; stat is the fallback where schedstat is
    missing."""
    total = 0
    try:
        for tid in os.listdir(f"/proc/{pid}/task"):
            with open(f"/proc/{pid}/task/{tid}/schedstat") as f:
                total += int(f.read().split()[0])
        return total / 1e6
    except (OSError, ValueError, IndexError):
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) * 1000.0 / CLK_TCK


def status_kb(pid, key):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith(key + ":"):
                return int(line.split()[1])
    return 0


KERNEL_THREAD = 0x00200000  # PF_KTHREAD in /proc/PID/stat's flags


def process_count():
    """The processes the monitor lists: every one but the kernel's threads."""
    count = 0
    for name in os.listdir("/proc"):
        if not name.isdigit():
            continue
        try:
            with open(f"/proc/{name}/stat") as f:
                fields = f.read().rsplit(")", 1)[1].split()
        except OSError:
            continue  # ended meanwhile
        if not int(fields[6]) & KERNEL_THREAD:
            count += 1
    return count


class Sleepers:
    """Extra sleeping processes, held by bench_sleepers."""

    def __init__(self, binary, count):
        self.proc = None
        if count <= 0:
            return
        self.proc = spawn([binary, str(count)], stdout=subprocess.PIPE)
        line = self.proc.stdout.readline().decode().split()
        if len(line) != 2 or int(line[1]) != count:
            raise SystemExit(f"bench_sleepers made {line} of {count} processes")

    def close(self):
        if self.proc:
            stop(self.proc)
            self.proc = None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


def fmt(x, digits=2):
    return "-" if x is None else f"{x:.{digits}f}"


# --- cycle cost --------------------------------------------------------------

def sample_cpu(pids, seconds):
    """CPU ms of each pid over `seconds` of wall time, and the wall time."""
    t1 = time.monotonic()
    c1 = [cpu_ms(p) for p in pids]
    time.sleep(seconds)
    c2 = [cpu_ms(p) for p in pids]
    t2 = time.monotonic()
    return [b - a for a, b in zip(c1, c2)], t2 - t1


def cycles_sleep_after(cpu_ms_total, elapsed, period):
    """Cycles of a peer that sleeps a whole period after its work: each cycle
    lasts period + work, with the work's wall time taken as its CPU time c.
    cycles = elapsed / (period + c) and cpu = cycles * c give c below (all in
    seconds)."""
    cpu = cpu_ms_total / 1000.0
    c = cpu * period / max(elapsed - cpu, 1e-9)
    return elapsed / (period + c)


def peer_running(label, argv, cycles, warm, kind, period=PERIOD, env=None, cwd=None, also=None):
    """Starts a long-running peer, lets it warm up, and measures `cycles`
    periods. kind: 'abs' (absolute deadlines: elapsed / period cycles),
    'after' (sleeps a period after its work) or 'top' (counts its frames)."""
    frames = []
    if kind == "top":
        proc = spawn(argv, stdout=subprocess.PIPE, env=env, cwd=cwd)

        def count():
            for line in proc.stdout:
                if line.startswith(b"top - "):
                    frames.append(time.monotonic())

        threading.Thread(target=count, daemon=True).start()
    else:
        proc = spawn(argv, env=env, cwd=cwd)
    try:
        time.sleep(warm)
        if proc.poll() is not None:
            raise SystemExit(f"{label} ended early (status {proc.returncode})")
        pids = [proc.pid] + ([also] if also else [])
        n0 = len(frames)
        cpu, elapsed = sample_cpu(pids, cycles * period)
        n1 = len(frames)
    finally:
        stop(proc)
    if kind == "abs":
        done = elapsed / period
    elif kind == "top":
        seen = frames[n0:n1] if n1 - n0 >= 2 else frames
        mean_period = (seen[-1] - seen[0]) / (len(seen) - 1) if len(seen) >= 2 else period
        done = elapsed / mean_period
    else:
        done = cycles_sleep_after(cpu[0], elapsed, period)
    return [c / done for c in cpu]


def peer_installed(name):
    """Whether a peer can be measured here; says so on stderr when not."""
    if name == "psutil":
        ok = subprocess.run(["/usr/bin/python3", "-c", "import psutil"], stderr=subprocess.DEVNULL).returncode == 0
    else:
        ok = shutil.which(name) is not None
    if not ok:
        log(f"cycle cost: {name} is not installed, left out")
    return ok


def peer_htop(cycles, warm):
    """htop needs a terminal: it runs in a pty of 50 x 160 whose output this
    process reads and throws away (the reading is not htop's cost)."""
    config = tempfile.mkdtemp(prefix="corv-bench-htop-")
    pid, master = pty.fork()
    if pid == 0:
        _die_with_parent()
        fcntl.ioctl(0, termios.TIOCSWINSZ, struct.pack("HHHH", 50, 160, 0, 0))
        os.environ.update(TERM="xterm", XDG_CONFIG_HOME=config, HOME=config)
        try:
            os.execvp("htop", ["htop", "-d", "8"])
        finally:
            os._exit(127)
    stopping = threading.Event()

    def drain():
        while not stopping.is_set():
            try:
                if not os.read(master, 65536):
                    break
            except OSError:
                break

    threading.Thread(target=drain, daemon=True).start()
    try:
        time.sleep(warm)
        cpu, elapsed = sample_cpu([pid], cycles * PERIOD)
    finally:
        os.kill(pid, signal.SIGTERM)
        os.waitpid(pid, 0)
        stopping.set()
        os.close(master)
        subprocess.run(["rm", "-rf", config])
    return cpu[0] / cycles_sleep_after(cpu[0], elapsed, PERIOD)


def wait_rusage(proc, every=None, step=0.25):
    """Waits for proc with wait4 (Popen's own wait drops the rusage), calling
    every(pid) each `step` s while it runs; returns (CPU ms, ru_maxrss KB)."""
    while True:
        pid, status, usage = os.wait4(proc.pid, os.WNOHANG)
        if pid:
            proc.returncode = os.waitstatus_to_exitcode(status)
            if proc in _children:
                _children.remove(proc)
            return (usage.ru_utime + usage.ru_stime) * 1000.0, usage.ru_maxrss
        if every:
            try:
                every(proc.pid)
            except OSError:
                pass
        time.sleep(step)


def headless_cost(binary, cycles, workdir):
    """ms per pass of a real headless session (interval 800 ms, this process
    marked): two sessions whose pass counts differ by `cycles`; the difference
    of their CPU times takes out the start-up (the 10 ms clock measurement,
    the table, the header)."""
    mark = f"{os.getpid():04d}"
    short_s = 4.0
    results = []
    for seconds in (short_s, short_s + cycles * PERIOD):
        proc = spawn([binary, mark, f"{seconds:g}", "800", os.path.join(workdir, "headless")])
        cpu, _ = wait_rusage(proc, step=0.05)
        if proc.returncode != 0:
            raise SystemExit(f"headless Corvane exited with {proc.returncode}")
        results.append(cpu)
    return (results[1] - results[0]) / cycles


def cycle_section(args):
    b = args.bin
    corvane = os.path.join(b, "app", "Corvane")
    xvfb = args.xvfb_pid
    work = tempfile.mkdtemp(prefix="corv-bench-cycle-")
    rows = {}
    counts = {}
    extras = [int(e) for e in args.extra.split(",")]
    warm = args.warm
    names = [
        ("minimal reader (bench_minimal_reader)", "minimal"),
        ("Corvane headless session", "headless"),
        ("Corvane window under Xvfb", "window"),
        ("  Xvfb, while drawing that window", "xvfb"),
        ("top -b -d 0.8", "top"),
        ("htop -d 8 (in a pty)", "htop"),
        ("pidstat -u -r -p ALL 1 (per 1 s pass)", "pidstat"),
        ("psutil loop (/usr/bin/python3)", "psutil"),
    ]
    try:
        for extra in extras:
            with Sleepers(os.path.join(b, "bench", "bench_sleepers"), extra):
                counts[extra] = process_count()
                log(f"cycle cost: {counts[extra]} processes ({extra} extra)")
                r = rows.setdefault(extra, {})
                r["minimal"] = peer_running("minimal reader", [os.path.join(b, "bench", "bench_minimal_reader")],
                                            args.cycles, warm, "abs")[0]
                r["headless"] = headless_cost(corvane, args.cycles, work)
                if xvfb:
                    env = dict(os.environ, DISPLAY=args.display)
                    r["window"], r["xvfb"] = peer_running("Corvane window", [corvane], args.cycles, warm + 1.0,
                                                          "after", env=env, cwd=work, also=xvfb)
                # A peer that is not installed (a bad mirror day) is left out
                # of the table; the rows of the others stand.
                env = dict(os.environ, COLUMNS="160", LINES="50", HOME=work)
                if peer_installed("top"):
                    r["top"] = peer_running("top", ["top", "-b", "-w", "160", "-d", "0.8"], args.cycles, warm,
                                            "top", env=env)[0]
                if peer_installed("htop"):
                    r["htop"] = peer_htop(args.cycles, warm)
                pid_cycles = max(2, round(args.cycles * PERIOD))
                if peer_installed("pidstat"):
                    r["pidstat"] = peer_running("pidstat", ["pidstat", "-h", "-u", "-r", "-p", "ALL", "1"],
                                                pid_cycles, warm, "abs", period=1.0,
                                                env=dict(os.environ, LC_ALL="C"))[0]
                if peer_installed("psutil"):
                    r["psutil"] = peer_running("psutil loop",
                                               ["/usr/bin/python3", os.path.join(HERE, "psutil_loop.py")],
                                               args.cycles, warm + 1.0, "abs")[0]
    finally:
        subprocess.run(["rm", "-rf", work])

    head = "| peer | " + " | ".join(f"ms/cycle at {counts[e]} processes" for e in extras)
    if len(extras) == 2:
        head += " | µs per extra process | × minimal reader |"
    else:
        head += " | × minimal reader |"
    print(head)
    print("|" + "---|" * (head.count("|") - 1))
    for label, key in names:
        vals = [rows[e].get(key) for e in extras]
        if all(v is None for v in vals):
            continue
        line = f"| {label} | " + " | ".join(fmt(v) for v in vals)
        if len(extras) == 2:
            growth = None
            if None not in vals and counts[extras[1]] != counts[extras[0]]:
                growth = (vals[1] - vals[0]) * 1000.0 / (counts[extras[1]] - counts[extras[0]])
            line += f" | {fmt(growth, 1)}"
        last = extras[-1]
        ratio = rows[last][key] / rows[last]["minimal"] if rows[last].get(key) and rows[last]["minimal"] else None
        line += f" | {fmt(ratio, 1)} |"
        print(line)
    print()
    print(f"CPU = utime + stime of the peer's process (scheduler run time of all its threads) over "
          f"{args.cycles} cycles of {PERIOD * 1000:.0f} ms after {warm:g} s of warm-up. Cycles: elapsed / period "
          "for the peers on absolute deadlines (minimal reader, psutil loop, pidstat); from the frame times "
          "for top; elapsed / (period + the cycle's own CPU time) for the window and htop, which sleep a full "
          "period after their work. pidstat's interval is whole seconds: its figure is per 1 s pass. The "
          "headless figure is the CPU difference (wait4) of two sessions whose pass counts differ by "
          f"{args.cycles}, so the start-up is taken out. Ratio: against the minimal reader at the last count.")


# --- footprint and start-up --------------------------------------------------

def window_startup(b, display, rows, hold):
    """Start-up times (mapped, first complete frame) and the footprint of the
    window after `hold` seconds, through bench_first_frame."""
    watcher = spawn([os.path.join(b, "bench", "bench_first_frame"), str(rows), "20", os.path.join(b, "app", "Corvane")],
                    stdout=subprocess.PIPE, env=dict(os.environ, DISPLAY=display), cwd=tempfile.gettempdir())
    try:
        pid, mapped, frame = watcher.stdout.readline().decode().split()
        pid = int(pid)
        time.sleep(hold)
        rss, hwm, anon = status_kb(pid, "VmRSS"), status_kb(pid, "VmHWM"), status_kb(pid, "RssAnon")
    finally:
        stop(watcher)
    return float(mapped), float(frame), rss, hwm, anon


def footprint_section(args):
    b = args.bin
    work = tempfile.mkdtemp(prefix="corv-bench-foot-")
    extras = [int(e) for e in args.extra.split(",")]
    res = {}
    try:
        for extra in extras:
            with Sleepers(os.path.join(b, "bench", "bench_sleepers"), extra):
                n = process_count()
                log(f"footprint: {n} processes ({extra} extra)")
                starts = [window_startup(b, args.display, min(30, n), args.hold) for _ in range(args.runs)]
                proc = spawn([os.path.join(b, "app", "Corvane"), f"{os.getpid():04d}", "4", "800",
                              os.path.join(work, "foot")])
                # VmHWM from /proc, not ru_maxrss: that also counts the
                # forked Python image before the exec.
                seen = {"VmRSS": 0, "VmHWM": 0, "RssAnon": 0}

                def peek(pid):
                    for key in seen:
                        seen[key] = max(seen[key], status_kb(pid, key))

                wait_rusage(proc, peek)
                res[extra] = dict(n=n, mapped=statistics.median(s[0] for s in starts),
                                  frame=statistics.median(s[1] for s in starts),
                                  frame_max=max(s[1] for s in starts),
                                  wrss=starts[-1][2], whwm=starts[-1][3], wanon=starts[-1][4],
                                  hrss=seen["VmRSS"], hhwm=seen["VmHWM"], hanon=seen["RssAnon"])
    finally:
        subprocess.run(["rm", "-rf", work])

    print("| processes | window VmRSS KB | window VmHWM KB | window RssAnon KB | headless VmRSS KB "
          "| headless VmHWM KB | headless RssAnon KB | window mapped ms | first complete frame ms (median) "
          "| slowest of runs ms |")
    print("|---|---|---|---|---|---|---|---|---|---|")
    for e in extras:
        r = res[e]
        print(f"| {r['n']} | {r['wrss']} | {r['whwm']} | {r['wanon']} | {r['hrss']} | {r['hhwm']} | {r['hanon']} "
              f"| {r['mapped']:.1f} | {r['frame']:.1f} | {r['frame_max']:.1f} |")
    if len(extras) == 2:
        a, z = res[extras[0]], res[extras[1]]
        dn = z["n"] - a["n"]
        if dn:
            per = lambda k: f"{(z[k] - a[k]) * 1024.0 / dn:.0f}"
            print(f"| growth, bytes per process | {per('wrss')} | {per('whwm')} | {per('wanon')} | {per('hrss')} "
                  f"| {per('hhwm')} | {per('hanon')} | | | |")
    print()
    print(f"Window figures after {args.hold:g} s of sampling (VmRSS, VmHWM, RssAnon from /proc/<pid>/status); "
          "headless: a 4 s session at 800 ms, the largest of each seen every 250 ms. RssAnon is the program's "
          "own memory; the rest of VmRSS is pages of the program file and the shared libraries it maps. "
          "Start-up: bench_first_frame forks the program and polls the X server every 2 ms; 'mapped' is when "
          "an 800 x 584 window is viewable, 'first complete frame' when its pixels show text in the first and "
          "the last visible list row and white gauge text in the bottom bar (the list and the gauges are "
          f"drawn in one batch); median of {args.runs} run(s), in ms after the fork.")


# --- long run ----------------------------------------------------------------

def slope_per_hour(samples):
    """Least-squares slope of (seconds, KB) samples, in KB per hour."""
    if len(samples) < 2:
        return 0.0
    mt = statistics.fmean(t for t, _ in samples)
    mr = statistics.fmean(r for _, r in samples)
    spread = sum((t - mt) ** 2 for t, _ in samples)
    if spread == 0:
        return 0.0
    return sum((t - mt) * (r - mr) for t, r in samples) / spread * 3600.0


def long_section(args):
    b = args.bin
    work = tempfile.mkdtemp(prefix="corv-bench-long-")
    window = spawn([os.path.join(b, "app", "Corvane")], env=dict(os.environ, DISPLAY=args.display), cwd=work)
    churn = []
    samples = []
    anon = []  # the process's own memory, without the pages it maps from files
    started = ended = 0
    try:
        t0 = time.monotonic()
        end = t0 + args.warmup + args.minutes * 60.0
        next_sample = t0 + args.warmup
        next_churn = t0
        while True:
            now = time.monotonic()
            if now >= next_churn:
                # A steady churn: three short-lived processes a second, each
                # living 1.5 s, so rows come and go in every cycle.
                for _ in range(3):
                    churn.append(spawn(["sleep", "1.5"]))
                started += 3
                next_churn += 1.0
            for p in list(churn):
                if p.poll() is not None:
                    churn.remove(p)
                    _children.remove(p)
                    ended += 1
            if window.poll() is not None:
                raise SystemExit(f"the window ended early (status {window.returncode})")
            if now >= next_sample:
                samples.append((now - t0, status_kb(window.pid, "VmRSS")))
                anon.append((now - t0, status_kb(window.pid, "RssAnon")))
                next_sample += 10.0
                if now >= end:
                    break
            time.sleep(0.05)
        hwm = status_kb(window.pid, "VmHWM")
    finally:
        for p in churn:
            stop(p)
        stop(window)
        subprocess.run(["rm", "-rf", work])

    rs = [r for _, r in samples]
    slope = slope_per_hour(samples)
    anon_slope = slope_per_hour(anon)
    print("| minutes | samples | processes started / ended | start VmRSS KB | end VmRSS KB | max VmRSS KB "
          "| VmHWM KB | slope KB per hour | start RssAnon KB | end RssAnon KB | RssAnon slope KB per hour |")
    print("|---|---|---|---|---|---|---|---|---|---|---|")
    print(f"| {args.minutes:g} | {len(samples)} | {started} / {ended} | {rs[0]} | {rs[-1]} | {max(rs)} | {hwm} "
          f"| {slope:.0f} | {anon[0][1]} | {anon[-1][1]} | {anon_slope:.0f} |")
    print()
    print(f"The window under Xvfb with three processes started and ended every second; VmRSS and RssAnon "
          f"sampled every 10 s after {args.warmup:g} s of warm-up; slope = least-squares line through the "
          "samples. RssAnon is the program's own memory; the rest of VmRSS is pages of the program and its "
          "shared libraries, which grows as code paths are first used.")


# --- headless logging of one process -----------------------------------------

def headless_section(args):
    """CPU a headless session spends logging one sleeping process at 200 ms,
    on the machine as it is and with extra sleeping processes, beside
    pidstat -p and a minimal reader of that one process doing the same job.
    Per pass: a session of S seconds less a session of 0 s (one pass, the
    start-up alone: the table, the 10 ms clock measurement, the header),
    divided by the S * 5 passes between them; the peers likewise, less a run
    of no pass (the reader) or of one 1 s sample (pidstat)."""
    b = args.bin
    corvane = os.path.join(b, "app", "Corvane")
    reader = os.path.join(b, "bench", "bench_one_stat_reader")
    interval_ms = 200
    passes = round(args.seconds * 1000 / interval_ms)
    work = tempfile.mkdtemp(prefix="corv-headless-")
    # Selected by a name no other process has.
    logged = os.path.join(work, "qzbenchone")
    shutil.copy(shutil.which("sleep"), logged)
    target = spawn([logged, "100000"])
    have_pidstat = peer_installed("pidstat")

    def session(seconds):
        proc = spawn([corvane, "qzbenchone", f"{seconds:g}", str(interval_ms), os.path.join(work, "run.txt")])
        cpu, _ = wait_rusage(proc, step=0.05)
        if proc.returncode != 0:
            raise SystemExit(f"headless Corvane exited with {proc.returncode}")
        return cpu

    def peer(argv):
        proc = spawn(argv, stdout=subprocess.DEVNULL, env=dict(os.environ, LC_ALL="C"))
        cpu, _ = wait_rusage(proc, step=0.05)
        return cpu

    rows = []
    try:
        for extra in [int(x) for x in args.extra.split(",") if x.strip()]:
            with Sleepers(os.path.join(b, "bench", "bench_sleepers"), extra):
                count = process_count()
                log(f"headless: {count} processes, a {args.seconds:g} s session")
                whole = session(args.seconds)
                start = session(0)
                row = [count, whole, start, (whole - start) / passes]
                row.append((peer([reader, str(target.pid), str(interval_ms), str(passes)]) -
                            peer([reader, str(target.pid), str(interval_ms), "0"])) / passes)
                samples = max(2, int(round(args.seconds)))
                if have_pidstat:
                    pidstat = ["pidstat", "-u", "-r", "-h", "-p", str(target.pid), "1"]
                    row.append((peer(pidstat + [str(samples)]) - peer(pidstat + ["1"])) / (samples - 1))
                else:
                    row.append(None)
                rows.append(row)
    finally:
        stop(target)
        shutil.rmtree(work, ignore_errors=True)

    print(f"Logging one sleeping process headless for {args.seconds:g} s at {interval_ms} ms ({passes} passes), "
          "CPU time in ms (user + system, from wait4):")
    print()
    print("| processes | Corvane, whole session | Corvane, start-up (0 s session) | Corvane per pass "
          "| minimal reader per pass (one /proc/PID/stat) | pidstat -u -r -h -p PID 1, per 1 s sample |")
    print("|---:|---:|---:|---:|---:|---:|")
    for count, whole, start, per_pass, minimal, pidstat in rows:
        print(f"| {count} | {fmt(whole, 1)} | {fmt(start, 1)} | {fmt(per_pass, 3)} | {fmt(minimal, 3)} "
              f"| {fmt(pidstat, 3)} |")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("section", choices=["cycle", "footprint", "long", "headless"])
    ap.add_argument("--bin", required=True, help="build folder")
    ap.add_argument("--display", default=os.environ.get("DISPLAY", ""))
    ap.add_argument("--xvfb-pid", type=int, default=0)
    ap.add_argument("--cycles", type=int, default=20)
    ap.add_argument("--warm", type=float, default=3.0)
    ap.add_argument("--extra", default="0,2000")
    ap.add_argument("--runs", type=int, default=3)
    ap.add_argument("--hold", type=float, default=4.0)
    ap.add_argument("--minutes", type=float, default=8.0)
    ap.add_argument("--warmup", type=float, default=60.0)
    ap.add_argument("--seconds", type=float, default=10.0)
    args = ap.parse_args()
    {"cycle": cycle_section, "footprint": footprint_section, "long": long_section,
     "headless": headless_section}[args.section](args)


if __name__ == "__main__":
    main()
