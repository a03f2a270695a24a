"""The timing of whole commands shared by the benchmark scripts: the median
wall time of several runs after a warm-up, with the largest peak resident
memory and the median count of minor page faults, from the rusage that
wait4 returns. Standard library only."""
import os
import statistics
import subprocess
import sys
import time


def median_run(command, setup=None, runs=5, accept=(0, 1)):
    """(median milliseconds, largest peak MB, median minor faults) of `command`,
    run `runs` times after one warm-up, `setup` before each run."""
    times, peaks, faults = [], [], []
    for i in range(runs + 1):
        if setup:
            setup()
        start = time.perf_counter()
        child = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        _, status, usage = os.wait4(child.pid, 0)
        elapsed = time.perf_counter() - start
        if os.waitstatus_to_exitcode(status) not in accept:
            sys.exit("failed: %s" % " ".join(command[:4]))
        if i > 0:
            times.append(elapsed * 1000)
            peaks.append(usage.ru_maxrss / 1024)
            faults.append(usage.ru_minflt)
    return statistics.median(times), max(peaks), statistics.median(faults)
