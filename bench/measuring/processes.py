"""CPU, wake-ups, memory and threads of running processes, from /proc."""

import glob
import os
import time


def sample_process(pid):
    """CPU ticks (all threads, also ended ones), context switches and on-CPU ns of the live threads,
    resident memory in KiB and the thread count."""
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    ticks = int(fields[11]) + int(fields[12])  # utime, stime
    switches = 0
    on_cpu_ns = 0
    threads = 0
    for task in glob.glob("/proc/%d/task/*" % pid):
        try:
            with open(task + "/status") as f:
                for line in f:
                    if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                        switches += int(line.split()[1])
            with open(task + "/schedstat") as f:
                on_cpu_ns += int(f.read().split()[0])
            threads += 1
        except (FileNotFoundError, ProcessLookupError):
            pass  # the thread ended meanwhile
    rss_kib = 0
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                rss_kib = int(line.split()[1])
    return ticks, switches, on_cpu_ns, rss_kib, threads


def idle(seconds, named):
    hz = os.sysconf("SC_CLK_TCK")
    processes = [(name, int(pid)) for name, pid in (item.split("=", 1) for item in named)]
    before = {name: sample_process(pid) for name, pid in processes}
    began = time.monotonic()
    time.sleep(seconds)
    after = {name: sample_process(pid) for name, pid in processes}
    elapsed = time.monotonic() - began
    for name, _ in processes:
        b, a = before[name], after[name]
        cpu = (a[0] - b[0]) / hz / elapsed * 100.0
        wakeups = (a[1] - b[1]) / elapsed
        precise_cpu = (a[2] - b[2]) / 1e9 / elapsed * 100.0
        # name, CPU % of a core, wake-ups per second, resident MB, threads, CPU % from the scheduler
        print("%s %.3f %.2f %.1f %d %.3f" % (name, cpu, wakeups, a[3] / 1024.0, a[4], precise_cpu))
    return 0
