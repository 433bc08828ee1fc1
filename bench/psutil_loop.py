"""The psutil peer of the cycle-cost benchmark: every 0.8 s, on absolute
deadlines, every process's CPU times and memory, the system's CPU times and
virtual memory - the figures Corvane shows. Run with /usr/bin/python3."""
import sys
import time

import psutil

PERIOD = float(sys.argv[1]) if len(sys.argv) > 1 else 0.8

deadline = time.monotonic()
while True:
    for proc in psutil.process_iter():
        try:
            proc.cpu_times()
            proc.memory_info()
        except psutil.Error:
            pass
    psutil.cpu_times()
    psutil.virtual_memory()
    deadline += PERIOD
    # Sleep to the next deadline, not for a period: the work does not add up.
    time.sleep(max(0.0, deadline - time.monotonic()))
