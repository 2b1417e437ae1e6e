#!/usr/bin/env python3
"""Keydeck's benchmark, run inside scripts/wine-run.sh (virtual desktop).

Each figure holds Keydeck against the simplest program that does the same
job, measured in the same run: blocks of samples of the two (or three)
alternate, so that the machine's drift hits all alike. Prints one table row
per figure: medians, the 10th-90th percentile spread and the ratio of the
medians. Judges nothing beyond printing the goal beside each figure.

  run_bench.py [--samples K] [--blocks B] [--idle S]

Key timings start just before xdotool is started (its own start included)
and end at the target window's WM_VSCROLL or WM_KEYDOWN, stamped with
QueryPerformanceCounter, which under Wine is the host's CLOCK_MONOTONIC_RAW
in 100 ns units (checked at the start).
"""
import argparse
import os
import re
import statistics
import subprocess
import sys
import time

BIN = os.environ["KD_BIN"]
RUN = os.environ["KD_RUN"]
SRC = os.environ["KD_SRC"]
APP = os.path.join(RUN, "app")
SETUP = ["TSetupFrm", "WIRELESS KEYBOARD SETUP"]
DELIVERABLES = ["keydeck.exe", "kbdrelay.dll", "hidrelay.dll", "keyhook.dll", "sweepall.exe"]


def clock():  # 100 ns units, the clock of Wine's QueryPerformanceCounter
    return time.clock_gettime_ns(time.CLOCK_MONOTONIC_RAW) // 100


def win_path(path):
    return "Z:" + path.replace("/", "\\")


def wine(args, log, cwd=None, env=None):
    """Starts a Windows program in the background; output to a file."""
    out = open(os.path.join(RUN, log), "ab")
    return subprocess.Popen(["wine"] + args, cwd=cwd or RUN, stdout=out, stderr=out,
                            stdin=subprocess.DEVNULL, env=env)


def run(args, limit=60, cwd=None):
    """Runs a Windows program to its end; its output."""
    out = subprocess.run(["timeout", str(limit), "wine"] + args, cwd=cwd or RUN, capture_output=True,
                         stdin=subprocess.DEVNULL)
    return out.stdout.decode(errors="replace").replace("\r", "")


def wt(*args):
    return run([os.path.join(BIN, "wintool.exe")] + [str(a) for a in args])


def xdotool(*args):
    subprocess.run(["timeout", "10", "xdotool"] + [str(a) for a in args], check=False)


def stop(proc, window):
    wt("post", window[0], window[1], "0x12", 0, 0)
    try:
        proc.wait(20)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()


def spread(values):
    v = sorted(values)
    at = lambda q: v[min(len(v) - 1, int(q * (len(v) - 1) + 0.5))]
    return statistics.median(v), at(0.1), at(0.9)


def row(name, unit, mine, theirs, goal):
    m, m10, m90 = spread(mine)
    t, t10, t90 = spread(theirs)
    ratio = m / t if t else float("nan")
    print(f"| {name} | {m:.3f} [{m10:.3f}-{m90:.3f}] {unit} | {t:.3f} [{t10:.3f}-{t90:.3f}] {unit} "
          f"| {ratio:.2f} | {m - t:+.3f} {unit} | {goal} | n={len(mine)}/{len(theirs)} |", flush=True)
    return m, t


class Target:
    """The focused window of another program that keys and scrolls reach."""

    def __init__(self):
        self.log = os.path.join(RUN, "target.log")
        open(self.log, "w").close()
        self.proc = wine([os.path.join(BIN, "bench_tools.exe"), "--target", win_path(self.log)], "target.out")
        wt("waitvisible", "KdBenchTarget", "KdBenchTarget", 15000)
        self.offset = 0

    def focus(self):
        # A click on it makes it the foreground window (the LED strip, shown
        # two seconds after Keydeck's start, may have taken that).
        xdotool("mousemove", 500, 350, "click", 1)
        time.sleep(0.3)
        self.drain()

    def drain(self):
        with open(self.log, "rb") as f:
            f.seek(0, 2)
            self.offset = f.tell()

    def sample(self, keysym, kind):
        """ms from xdotool's start to the target's message, or None."""
        start = clock()
        subprocess.run(["xdotool", "key", keysym], check=False)
        end = time.monotonic() + 2
        while time.monotonic() < end:
            with open(self.log, "rb") as f:
                f.seek(self.offset)
                data = f.read()
            if data.endswith(b"\n"):
                self.offset += len(data)
                for line in data.decode().splitlines():
                    parts = line.split()
                    if parts and parts[0] == kind:
                        return (int(parts[-1]) - start) / 1e4
            time.sleep(0.001)
        return None

    def close(self):
        wt("post", "KdBenchTarget", "KdBenchTarget", "0x10", 0, 0)
        self.proc.wait(20)


def start_keydeck(env=None):
    proc = wine([os.path.join(APP, "keydeck.exe")], "keydeck.log", cwd=APP, env=env)
    wt("wait", SETUP[0], SETUP[1], 20000)
    wt("waitvisible", "TRFLed", "RFLed", 10000)  # the strip comes after two seconds
    return proc


def start_hook(*mode):
    proc = wine([os.path.join(BIN, "bench_tools.exe"), "--hook"] + list(mode), "hook.log")
    wt("wait", "KdBenchHook", "KdBenchHook", 15000)
    return proc


def key_blocks(target, programs, keysym, kind, samples, blocks):
    """programs: name -> (start, window or None); samples per block each."""
    times = {name: [] for name in programs}
    names = list(programs)
    for b in range(blocks):
        order = names if b % 2 == 0 else names[::-1]
        for name in order:
            starter, window = programs[name]
            proc = starter() if starter else None
            target.focus()
            for i in range(samples + 2):
                ms = target.sample(keysym, kind)
                if ms is not None and i >= 2:  # the first two warm the path up
                    times[name].append(ms)
                time.sleep(0.03)
            if proc:
                stop(proc, window)
    return times


def start_up(samples):
    trivial = os.path.join(BIN, "bench_trivial.exe")
    keydeck = os.path.join(APP, "keydeck.exe")
    # The engine's media panel makes its first form (TMovie) on the GUI
    # thread right after LoadHookProcedure has returned with the hook
    # installed: with SetupFrm, that is the start-up's end; the message loop
    # comes after.
    mine, theirs, mem_mine, mem_theirs = ([], []), ([], []), [], []
    for i in range(samples):
        pairs = [(keydeck, SETUP + ["TMovie"], mine, mem_mine),
                 (trivial, ["KdTrivial", "KdTrivial"], theirs, mem_theirs)]
        if i % 2:
            pairs.reverse()
        for exe, window, times, mem in pairs:
            out = run([os.path.join(BIN, "bench_tools.exe"), "--start", "1", win_path(exe), window[0], window[1],
                       "2500"] + window[2:])
            m = re.search(r"exists ([0-9.]+) ms ready ([0-9.]+) ms private (\d+) working (\d+)", out)
            if m:
                times[0].append(float(m.group(1)))
                times[1].append(float(m.group(2)))
                mem.append(int(m.group(4)) / 1024)
            else:
                print(f"start-up sample failed: {out.strip()}", flush=True)
    return mine, theirs, mem_mine, mem_theirs


def linux_pid(name):
    """The process of ours (this prefix) whose name is `name`."""
    prefix = os.environ["WINEPREFIX"].encode()
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/comm", "rb") as f:
                if f.read().strip() != name.encode()[:15]:
                    continue
            with open(f"/proc/{pid}/environ", "rb") as f:
                if b"WINEPREFIX=" + prefix + b"\0" in f.read() + b"\0":
                    return int(pid)
        except OSError:
            pass
    return None


def threads(pid):
    """tid -> (name, cpu ns, wake-ups) of every thread of a process."""
    result = {}
    for tid in os.listdir(f"/proc/{pid}/task"):
        try:
            base = f"/proc/{pid}/task/{tid}"
            with open(base + "/comm") as f:
                name = f.read().strip()
            with open(base + "/schedstat") as f:
                cpu = int(f.read().split()[0])
            wakes = 0
            with open(base + "/status") as f:
                for line in f:
                    # A thread wakes once for each time it blocked; being
                    # preempted while running (nonvoluntary) is no wake-up.
                    if line.startswith("voluntary_ctxt_switches"):
                        wakes += int(line.split()[1])
            result[tid] = (name, cpu, wakes)
        except OSError:
            pass
    return result


def private_kb(pid):
    """The process's private memory as Linux counts it (Wine's PrivateUsage reads 0)."""
    total = 0
    try:
        with open(f"/proc/{pid}/smaps_rollup") as f:
            for line in f:
                if line.startswith(("Private_Clean:", "Private_Dirty:")):
                    total += int(line.split()[1])
    except OSError:
        return None
    return total


def idle(seconds):
    """Keydeck with the LED strip and the simulated receiver, beside the trivial program."""
    env = dict(os.environ)
    env["WINEDLLOVERRIDES"] = env.get("WINEDLLOVERRIDES", "") + ";setupapi=n,b"
    sim = wine([os.path.join(BIN, "kbdsim.exe"), "serve"], "kbdsim.log")
    time.sleep(1)
    keydeck = start_keydeck(env)
    trivial = wine([os.path.join(BIN, "bench_trivial.exe")], "trivial.log")
    wt("wait", "KdTrivial", "KdTrivial", 15000)
    clients = run([os.path.join(BIN, "kbdsim.exe"), "clients", "kbdsim-input"]).strip()
    time.sleep(2)
    pids = {"keydeck": linux_pid("keydeck.exe"), "trivial": linux_pid("bench_trivial.exe")}
    before = {k: threads(p) for k, p in pids.items() if p}
    # Wake-ups counted as 100 ms spans in which a thread blocked at least
    # once: one timer message costs a thread several blocking server calls
    # under Wine, and those are one wake-up.
    spans = {k: {} for k in before}
    last = before
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        time.sleep(0.1)
        now = {k: threads(p) for k, p in pids.items() if p}
        for k in now:
            for tid, (name, c, w) in now[k].items():
                if w != last.get(k, {}).get(tid, (name, c, w))[2]:
                    spans[k][tid] = spans[k].get(tid, 0) + 1
        last = now
    after = last
    private = {k: private_kb(p) for k, p in pids.items() if p}
    stop(keydeck, SETUP)
    stop(trivial, ["KdTrivial", "KdTrivial"])
    run([os.path.join(BIN, "kbdsim.exe"), "quit"])
    sim.wait(20)
    totals = {}
    for k in after:
        cpu = wakes = 0
        detail = []
        for tid, (name, c, w) in after[k].items():
            c0, w0 = before[k].get(tid, (name, 0, 0))[1:]
            cpu += c - c0
            wakes += spans[k].get(tid, 0)
            if w - w0 or c - c0:
                label = "main" if tid == str(pids[k]) else f"thread {tid}"
                detail.append(f"{label}: {(c - c0) / 1e6:.2f} ms, {spans[k].get(tid, 0)} wake-ups "
                              f"({w - w0} blocking calls);")
        totals[k] = (cpu / 1e6, wakes, private.get(k))
        print(f"  idle {k}: {len(after[k])} threads; busy ones (cpu/wake-ups): {' '.join(detail)}", flush=True)
    print(f"  receiver clients of the input collection during the idle run: {clients}", flush=True)
    return totals


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--samples", type=int, default=25, help="key samples per block")
    p.add_argument("--blocks", type=int, default=4, help="blocks of each program")
    p.add_argument("--starts", type=int, default=15, help="start-up samples of each program")
    p.add_argument("--idle", type=int, default=60, help="seconds of the idle figure")
    p.add_argument("--relays", type=int, default=1000, help="report relay samples of each")
    a = p.parse_args()

    os.makedirs(APP, exist_ok=True)
    for f in ["keydeck.exe", "keyhook.dll", "kbdrelay.dll"]:
        subprocess.run(["cp", os.path.join(BIN, f), APP], check=True)
    for f in ["hid.dll", "setupapi.dll"]:
        subprocess.run(["cp", os.path.join(BIN, "kbdsim", f), APP], check=True)
    # The sample keymap, then Play/Pause (make code 0x22) on code 50
    # (WM_VSCROLL SB_LINEUP to the foreground window), without a caption.
    subprocess.run(["bash", "-c", f'source "{SRC}/tests/keydeck/e2e/lib.sh"; import_keymap; '
                    f'source "{SRC}/tests/hotkeys/hk_lib.sh"; import_rows "22|50||"'], check=False)

    before = clock()
    wine_clock = int(run([os.path.join(BIN, "bench_tools.exe"), "--clock"]).strip() or 0)
    after = clock()
    clock_ok = before <= wine_clock <= after
    print(f"Wine's performance counter is the host's raw monotonic clock: {'yes' if clock_ok else 'NO'}")

    print("| figure | Keydeck | minimal program | ratio | difference | goal | samples |")
    print("|---|---|---|---|---|---|---|")
    target = Target()
    if clock_ok:
        hook = ["KdBenchHook", "KdBenchHook"]
        t = key_blocks(target, {"keydeck": (start_keydeck, SETUP),
                                "minimal": (lambda: start_hook("post", "0xB3"), hook),
                                "one hop": (lambda: start_hook("relay", "0xB3"), hook)},
                       "XF86AudioPlay", "vscroll", a.samples, a.blocks)
        row("1. key to action (xdotool to WM_VSCROLL)", "ms", t["keydeck"], t["minimal"],
            "at most one cross-thread post more")
        row("1. key to action, against the minimal hook plus one post", "ms", t["keydeck"], t["one hop"],
            "no more (ratio 1)")
        t = key_blocks(target, {"keyhook": (start_keydeck, SETUP),
                                "minimal": (lambda: start_hook("pass"), ["KdBenchHook", "KdBenchHook"]),
                                "none": (None, None)},
                       "a", "key", a.samples, a.blocks)
        row("2. typing, keyhook.dll vs a passing hook", "ms", t["keyhook"], t["minimal"],
            "no more than the minimal hook")
        row("2. typing, keyhook.dll vs no hook", "ms", t["keyhook"], t["none"], "(for reference)")
    target.close()

    mine, theirs, mem_mine, mem_theirs = start_up(a.starts)
    row("3. start-up until SetupFrm exists with the hook installed", "ms", mine[0], theirs[0], "at most 1.5 times")
    row("3. start-up until SetupFrm answers in its message loop", "ms", mine[1], theirs[1], "(stricter)")

    totals = idle(a.idle)
    if "keydeck" in totals and "trivial" in totals:
        print(f"| 4. idle {a.idle} s, whole process: CPU | {totals['keydeck'][0]:.2f} ms "
              f"| {totals['trivial'][0]:.2f} ms | | | under 1 ms a minute | 1 run |")
        print(f"| 4. idle {a.idle} s, whole process: wake-ups | {totals['keydeck'][1]} "
              f"| {totals['trivial'][1]} | | | Timer3 only, every 10 s | 1 run |")

    relay = run([os.path.join(BIN, "bench_relay.exe"), str(a.relays)], limit=300)
    got = {m.group(1): m.groups()[1:] for m in
           re.finditer(r"relay (library|onehop) (\d+) median ([0-9.]+) p10 ([0-9.]+) p90 ([0-9.]+)", relay)}
    if "library" in got and "onehop" in got:
        (n, m, m10, m90), (_, t, t10, t90) = got["library"], got["onehop"]
        m, t = float(m), float(t)
        print(f"| 5. report relay: write to the message at the window | {m:.0f} [{m10}-{m90}] us "
              f"| {t:.0f} [{t10}-{t90}] us | {m / t:.2f} | {m - t:+.0f} us | at most 1.5 times | n={n} |")
    else:
        print("| 5. report relay | not measured | | | | | |")
        print(relay)

    sizes = " ".join(f"{f} {os.path.getsize(os.path.join(BIN, f)) // 1024} KB" for f in DELIVERABLES)
    print(f"| 6. file sizes | {sizes} | | | | | |")
    if mem_mine and mem_theirs:
        m, t = statistics.median(mem_mine), statistics.median(mem_theirs)
        print(f"| 6. working set 2.5 s after start | {m:.0f} KB | {t:.0f} KB | {m / t:.2f} | {m - t:+.0f} KB "
              f"| (none given) | n={len(mem_mine)}/{len(mem_theirs)} |")
    if totals.get("keydeck", (0, 0, None))[2] and totals.get("trivial", (0, 0, None))[2]:
        m, t = totals["keydeck"][2], totals["trivial"][2]
        print(f"| 6. private memory (Linux), idle with strip and receiver | {m} KB | {t} KB | {m / t:.2f} "
              f"| {m - t:+d} KB | (none given) | 1 run |")
    return 0


if __name__ == "__main__":
    sys.exit(main())
