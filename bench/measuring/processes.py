"""CPU, wake-ups, memory and threads of running processes, from /proc."""

import glob
import os
import time


def descendants(pid):
    """The process and those it started that still run (Kestrune's sound process while armed)."""
    found = [pid]
    for task in glob.glob("/proc/%d/task/*" % pid):
        try:
            with open(task + "/children") as f:
                for child in f.read().split():
                    found += descendants(int(child))
        except OSError:
            pass
    return found


def sample_one(pid):
    """CPU ticks (all threads, also ended ones), context switches and on-CPU ns of the live threads,
    resident and proportional memory in KiB and the thread count of one process."""
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
    rss_kib = pss_kib = 0
    with open("/proc/%d/smaps_rollup" % pid) as f:
        for line in f:
            if line.startswith("Rss:"):
                rss_kib = int(line.split()[1])
            elif line.startswith("Pss:"):
                pss_kib = int(line.split()[1])
    return ticks, switches, on_cpu_ns, rss_kib, threads, pss_kib


def sample_process(pid):
    """The same, summed over the process and those it started: what the program costs, sound process
    included. Resident memory then counts the libraries both map twice; the proportional figure does not."""
    total = [0] * 6
    for one in descendants(pid):
        try:
            total = [a + b for a, b in zip(total, sample_one(one))]
        except (FileNotFoundError, ProcessLookupError):
            pass  # it ended meanwhile
    return tuple(total)


def task_switches(pid):
    """Context switches of each live thread of the process and those it started, by thread id."""
    switches = {}
    for one in descendants(pid):
        for task in glob.glob("/proc/%d/task/*" % one):
            try:
                with open(task + "/status") as f:
                    switches[int(task.rsplit("/", 1)[1])] = sum(
                        int(line.split()[1]) for line in f
                        if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")))
            except (FileNotFoundError, ProcessLookupError):
                pass  # it ended meanwhile
    return switches


def wakeups_between(before, after):
    """Switches within the stretch: a thread that ended in it takes its count along and is left out (it
    would count backwards), one that began in it counts whole."""
    return sum(count - before.get(tid, 0) for tid, count in after.items())


def idle(seconds, named):
    hz = os.sysconf("SC_CLK_TCK")
    processes = [(name, int(pid)) for name, pid in (item.split("=", 1) for item in named)]
    before = {name: sample_process(pid) for name, pid in processes}
    switches_before = {name: task_switches(pid) for name, pid in processes}
    began = time.monotonic()
    time.sleep(seconds)
    switches_after = {name: task_switches(pid) for name, pid in processes}
    after = {name: sample_process(pid) for name, pid in processes}
    elapsed = time.monotonic() - began
    for name, pid in processes:
        b, a = before[name], after[name]
        cpu = (a[0] - b[0]) / hz / elapsed * 100.0
        wakeups = wakeups_between(switches_before[name], switches_after[name]) / elapsed
        precise_cpu = (a[2] - b[2]) / 1e9 / elapsed * 100.0
        # name, CPU % of a core, wake-ups per second, resident MB, threads, CPU % from the scheduler,
        # processes, proportional MB
        print("%s %.3f %.2f %.1f %d %.3f %d %.1f" % (name, cpu, wakeups, a[3] / 1024.0, a[4], precise_cpu,
                                                    len(descendants(pid)), a[5] / 1024.0))
    return 0
