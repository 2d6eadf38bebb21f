"""Times a program from its start to its mapped window and reads its resident memory; used by scripts/bench.

    first_window.py CAPTION RUNS WINE_PREFIX|- COMMAND...

Runs COMMAND once to warm the caches, then RUNS times; each time measures the
start of the process to the moment the top-level window CAPTION is viewable on
$DISPLAY, then, a second later, the process's resident memory (and, with a Wine
prefix, that of every process of that prefix: wineserver and its services),
then closes the window. Prints one line of results.
"""
import os
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "ui_e2e_qt"))
import x11_window  # noqa: E402


def resident_kb(pid):
    try:
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def prefix_resident_kb(prefix):
    wanted = f"WINEPREFIX={prefix}".encode()
    total = 0
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/environ", "rb") as f:
                if wanted in f.read().split(b"\0"):
                    total += resident_kb(pid)
        except OSError:
            continue
    return total


def one_run(caption, command, prefix):
    display = x11_window.Display()
    start = time.monotonic()
    process = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    try:
        while not display.viewable(caption):
            if time.monotonic() - start > 120 or process.poll() is not None:
                raise RuntimeError(f"no window {caption!r}")
            time.sleep(0.001)
        elapsed_ms = (time.monotonic() - start) * 1000
        time.sleep(1)
        own = resident_kb(process.pid)
        whole = prefix_resident_kb(prefix) if prefix != "-" else own
        display.close_window(caption)
        process.wait(10)
        return elapsed_ms, own, whole
    finally:
        display.close()
        if process.poll() is None:
            process.kill()
            process.wait()


def main():
    caption, runs, prefix, command = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4:]
    one_run(caption, command, prefix)  # warm-up
    results = [one_run(caption, command, prefix) for _ in range(runs)]
    times = [r[0] for r in results]
    own = max(r[1] for r in results) / 1024
    whole = max(r[2] for r in results) / 1024
    line = f"first window best {min(times):6.0f} ms, median {statistics.median(times):6.0f} ms; resident {own:5.1f} MB"
    if prefix != "-":
        line += f" ({whole:.1f} MB with wineserver and Wine's services)"
    print(line, flush=True)


if __name__ == "__main__":
    main()
