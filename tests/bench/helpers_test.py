"""The benchmark helpers: bench_sleepers holds and reaps its processes,
bench_first_frame finds the monitor's first frame and fails cleanly without
one, and the arithmetic of bench/measure.py.

    helpers_test.py bench_sleepers bench_first_frame Corvane unpainted_window"""
import ctypes
import os
import signal
import subprocess
import sys
import time
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "bench"))
import measure  # noqa: E402

SLEEPERS, FIRST_FRAME, CORVANE, UNPAINTED = sys.argv[1:5]
del sys.argv[1:5]


def children_of(pid):
    kids = []
    for tid in os.listdir(f"/proc/{pid}/task"):
        with open(f"/proc/{pid}/task/{tid}/children") as f:
            kids += [int(k) for k in f.read().split()]
    return kids


def alive(pid):
    """Exists and is not a zombie."""
    try:
        with open(f"/proc/{pid}/stat") as f:
            return f.read().rsplit(")", 1)[1].split()[0] != "Z"
    except OSError:
        return False


def wait_until(test, seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if test():
            return True
        time.sleep(0.05)
    return test()


class Sleepers(unittest.TestCase):
    def start(self, count):
        proc = subprocess.Popen([SLEEPERS, str(count)], stdout=subprocess.PIPE)
        self.assertEqual(proc.stdout.readline(), f"ready {count}\n".encode())
        return proc

    def test_holds_the_processes_and_reaps_every_one_on_sigterm(self):
        proc = self.start(30)
        kids = children_of(proc.pid)
        self.assertEqual(len(kids), 30)
        self.assertTrue(all(alive(k) for k in kids))
        proc.send_signal(signal.SIGTERM)
        self.assertEqual(proc.wait(timeout=10), 0)
        # Reaped, not just killed: no zombie is left under anyone.
        self.assertFalse(any(os.path.exists(f"/proc/{k}") for k in kids))

    def test_the_processes_die_with_a_killed_holder(self):
        # Orphans come to this process, so it can see them end and reap them.
        ctypes.CDLL(None).prctl(36, 1)  # PR_SET_CHILD_SUBREAPER
        proc = self.start(10)
        kids = children_of(proc.pid)
        proc.kill()
        proc.wait()
        self.assertTrue(wait_until(lambda: not any(alive(k) for k in kids), 5))
        for k in kids:
            try:
                os.waitpid(k, 0)
            except ChildProcessError:
                pass

    def test_no_count_holds_nothing(self):
        proc = self.start(0)
        self.assertEqual(children_of(proc.pid), [])
        proc.send_signal(signal.SIGINT)
        self.assertEqual(proc.wait(timeout=10), 0)


@unittest.skipUnless(os.environ.get("CORV_TEST_XVFB"), "needs the private Xvfb of with_xvfb.sh")
class FirstFrame(unittest.TestCase):
    def test_times_the_monitor_from_mapping_to_its_first_frame(self):
        # Half of what runs now: processes of a busy machine may end before
        # the monitor lists them, and a row that stays empty is no frame.
        rows = max(1, min(30, measure.process_count() // 2))
        watcher = subprocess.Popen([FIRST_FRAME, str(rows), "30", CORVANE], stdout=subprocess.PIPE,
                                   cwd="/tmp")
        try:
            pid, mapped, frame = watcher.stdout.readline().decode().split()
            self.assertGreater(float(mapped), 0)
            self.assertGreaterEqual(float(frame), float(mapped))
            self.assertTrue(alive(int(pid)), "the monitor keeps running for the footprint")
        finally:
            watcher.send_signal(signal.SIGTERM)
        self.assertEqual(watcher.wait(timeout=10), 0)
        self.assertFalse(alive(int(pid)), "the watcher ends the monitor with itself")

    def test_a_window_never_painted_is_mapped_but_no_frame(self):
        watcher = subprocess.Popen([FIRST_FRAME, "1", "2", UNPAINTED], stdout=subprocess.PIPE)
        try:
            mapped, frame = watcher.stdout.readline().decode().split()[1:]
        finally:
            watcher.send_signal(signal.SIGTERM)
            watcher.stdout.close()
        self.assertEqual(watcher.wait(timeout=10), 1)
        self.assertGreater(float(mapped), 0)
        self.assertEqual(frame, "-1.0")

    def test_a_program_without_a_window_gives_no_times_and_fails(self):
        out = subprocess.run([FIRST_FRAME, "30", "5", "/bin/true"], stdout=subprocess.PIPE, timeout=20)
        self.assertEqual(out.returncode, 1)
        self.assertEqual(out.stdout.decode().split()[1:], ["-1.0", "-1.0"])

    def test_no_display_is_an_error_before_anything_starts(self):
        env = dict(os.environ)
        env.pop("DISPLAY")
        out = subprocess.run([FIRST_FRAME, "30", "5", "/bin/true"], stdout=subprocess.PIPE,
                             stderr=subprocess.DEVNULL, env=env, timeout=20)
        self.assertEqual(out.returncode, 2)
        self.assertEqual(out.stdout, b"")


class Arithmetic(unittest.TestCase):
    def test_cycles_of_a_peer_that_sleeps_after_its_work(self):
        # Ten cycles of 100 ms work + 800 ms sleep: 9 s, 1000 ms of CPU.
        self.assertAlmostEqual(measure.cycles_sleep_after(1000.0, 9.0, 0.8), 10.0)
        self.assertAlmostEqual(measure.cycles_sleep_after(0.0, 8.0, 0.8), 10.0)

    def test_slope_per_hour(self):
        self.assertAlmostEqual(measure.slope_per_hour([(0, 100), (10, 110), (20, 120)]), 3600.0)
        self.assertAlmostEqual(measure.slope_per_hour([(0, 500), (10, 480), (20, 500), (30, 480)]), -1440.0)
        self.assertEqual(measure.slope_per_hour([(5, 100)]), 0.0)
        self.assertEqual(measure.slope_per_hour([(5, 100), (5, 200)]), 0.0)

    def test_cpu_ms_counts_this_process_threads(self):
        before = measure.cpu_ms(os.getpid())
        end = time.process_time() + 0.05
        while time.process_time() < end:
            pass
        self.assertGreaterEqual(measure.cpu_ms(os.getpid()) - before, 30.0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
