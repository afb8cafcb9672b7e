#!/usr/bin/env python3
"""The real `tarnwick batch --json` on the simulated board, its chips swapped
by this script as an operator would, as fast as events allow: each chip an
erased 4 KB 89C51 given a 4 KB image with a BCD serial number and a journal
line. Measured for each chip, on this script's clock as the events arrive:
  - the time beyond its write and verify: from the chip file put in to its
    result, less the time from its first to its last progress event
    (detection, settling, the serial file, the journal; target <= 0.5 s);
  - the time from the file taken out to the removal seen.
Prints them and the chips per hour; exits 1 when the target is missed.

    batch_cli_bench.py TARNWICK_BINARY [CHIPS]
"""

import os
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                "..", "tools"))
from batch_operator import Batch, put_chip, take_chip  # noqa: E402


def main():
    binary = sys.argv[1]
    chips = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    with tempfile.TemporaryDirectory(prefix="batch-bench-") as d:
        board = os.path.join(d, "board")
        os.mkdir(board)
        image = os.path.join(d, "fw.bin")
        with open(image, "wb") as f:
            f.write(bytes((a * 13 + (a >> 8)) % 255 for a in range(4092)))
        run = Batch(binary, board,
                    [image, "--serial", "FFC,4,bcd", "--serial-file",
                     os.path.join(d, "s.txt"), "--serial-start", "1",
                     "--journal", os.path.join(d, "j.csv"), "--count",
                     str(chips)], os.path.join(d, "err.txt"))
        beyond, cycle = [], []
        for n in range(1, chips + 1):
            put = time.monotonic()
            put_chip(board, b"\xff" * 4096)
            steps = []
            while True:
                e = run.next()
                if e["event"] == "progress":
                    steps.append(time.monotonic())
                if e["event"] == "result":
                    result = time.monotonic()
                    break
            assert e["outcome"] == "pass", e
            write = steps[-1] - steps[0]
            gone = 0.0
            if n < chips:
                out = time.monotonic()
                take_chip(board, os.path.join(d, "chip.bin"))
                while run.next().get("state") != "removed":
                    pass
                gone = time.monotonic() - out
            beyond.append(result - put - write)
            cycle.append(time.monotonic() - put)
            print("chip %d: write and verify %.3f s, beyond them %.3f s, "
                  "taken out to seen empty %.3f s" %
                  (n, write, beyond[-1], gone))
        summary = run.events()[-1]
        code = run.finish()
    print("%d chips, exit %d; beyond the write: mean %.3f s, worst %.3f s "
          "(target <= 0.5 s)" % (chips, code, sum(beyond) / chips,
                                 max(beyond)))
    print("a 4 KB image: %.0f chips per hour with instant swaps (%.3f s a "
          "chip); the run's own figure %.0f" %
          (3600 * (chips - 1) / sum(cycle[:-1]) if chips > 1 else 0,
           sum(cycle[:-1]) / max(1, chips - 1), summary["chips_per_hour"]))
    return 0 if max(beyond) <= 0.5 and code == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
