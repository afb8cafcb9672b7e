#!/usr/bin/env python3
"""The real `tarnwick batch --json` on one simulated board, then on four side
by side in one process (`--board all`), its chips swapped by this script as
an operator at each board would, as fast as events allow: each chip an
erased 4 KB 89C51 given a 4 KB image with a BCD serial number and a journal
line. Prints, for each run, the chips per hour from the first chip put in to
the last result, on this script's clock, and the CPU time (user + system)
the program used per chip; then the four boards' chips per hour against the
one's (target >= 3.6). Exits 1 when the target is missed, a chip fails or a
serial number is given twice.

    boards_cli_bench.py TARNWICK_BINARY [CHIPS_PER_BOARD]
"""

import os
import resource
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                "..", "tools"))
from batch_operator import Batch, put_chip, take_chip  # noqa: E402

BLANK = b"\xff" * 4096


def run(binary, d, boards, chips):
    """Runs `batch` on `boards` boards, `chips` each; returns (chips per
    hour, CPU seconds per chip, exit code, serial numbers given)."""
    names = ["b%d" % n for n in range(1, boards + 1)]
    folder = os.path.join(d, "run%d" % boards)
    os.mkdir(folder)
    ini = os.path.join(folder, "boards.ini")
    with open(ini, "w") as f:
        for name in names:
            os.mkdir(os.path.join(folder, name))
            f.write("[%s]\nsim = %s\n" % (name, name))
    target = ["--boards", ini]
    for name in names:
        target += ["--board", name]
    cpu = resource.getrusage(resource.RUSAGE_CHILDREN)
    before = cpu.ru_utime + cpu.ru_stime
    batch = Batch(binary, target,
                  [os.path.join(d, "fw.bin"), "--serial", "FFC,4,bcd",
                   "--serial-file", os.path.join(folder, "s.txt"),
                   "--serial-start", "1", "--journal",
                   os.path.join(folder, "j.csv"), "--count", str(chips)],
                  os.path.join(folder, "err.txt"))
    first = time.monotonic()
    for name in names:
        put_chip(os.path.join(folder, name), BLANK)
    done = {name: 0 for name in names}
    serials, last, failed = [], first, 0
    while True:
        e = batch.next()
        if e["event"] == "summary":
            break
        board = os.path.join(folder, e.get("board", ""))
        if e["event"] == "result":
            last = time.monotonic()
            done[e["board"]] += 1
            failed += e["outcome"] != "pass"
            serials.append(e.get("serial"))
            if done[e["board"]] < chips:
                take_chip(board, os.path.join(folder, "out.bin"))
        elif e["event"] == "chip" and e["state"] == "removed":
            put_chip(board, BLANK)
    code = batch.finish()
    cpu = resource.getrusage(resource.RUSAGE_CHILDREN)
    used = cpu.ru_utime + cpu.ru_stime - before
    made = boards * chips
    if failed:
        code = code or 1
    return made * 3600 / (last - first), used / made, code, serials


def main():
    binary = sys.argv[1]
    chips = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    with tempfile.TemporaryDirectory(prefix="boards-bench-") as d:
        with open(os.path.join(d, "fw.bin"), "wb") as f:
            f.write(bytes((a * 13 + (a >> 8)) % 255 for a in range(4092)))
        figures = {}
        for boards in (1, 4):
            rate, cpu, code, serials = run(binary, d, boards, chips)
            unique = len(set(serials)) == len(serials)
            print("%d board%s, %d chips each: %.0f chips per hour, CPU "
                  "%.3f s a chip, exit %d, serial numbers %s" %
                  (boards, "s" if boards > 1 else "", chips, rate, cpu,
                   code, "unique" if unique else "GIVEN TWICE"))
            figures[boards] = (rate, code == 0 and unique)
    ratio = figures[4][0] / figures[1][0]
    print("4 boards against 1: %.2fx the chips per hour (target >= 3.6)" %
          ratio)
    return 0 if ratio >= 3.6 and figures[1][1] and figures[4][1] else 1


if __name__ == "__main__":
    sys.exit(main())
