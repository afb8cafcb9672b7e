#!/usr/bin/env python3
"""Kills `tarnwick batch` with SIGKILL at random moments, again and again,
on a simulated board whose chips this script swaps as an operator would,
and checks after every kill what a crash must never break:
  - the journal parses (Python's csv), each line whole, one per chip;
  - no serial number is in two journal lines, nor in two chips taken out;
  - the serial file is always past every number a chip got;
  - each chip taken out holds the image, its journaled serial number and
    the journaled CRC-32.
A moment is, at random, the arrival of a random event of the stream
(progress within a write, a chip seen, a result, a removal) or the
simulated board's trace, written as the board runs, passing a random size:
the events give the moments around each step of a chip, the trace the
moments between them (the polls of the socket, the serial file and the
journal being written). The image is small (part of a chip), so that 100 kills take a
few minutes. After a kill the operator looks at the journal: a chip whose
line is there is taken out; one without stays in for the next run.

    batch_kill_test.py TARNWICK_BINARY [KILLS [SEED]]
"""

import csv
import os
import queue
import random
import signal
import sys
import tempfile
import time
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from batch_operator import CHIP, Batch, put_chip, take_chip  # noqa: E402

IMAGE = bytes(range(1, 17))  # 16 bytes, then the serial number at 10H
SERIAL_AT, SERIAL_SIZE = 0x10, 4


def size_of(path):
    return os.path.getsize(path) if os.path.exists(path) else 0


def bcd_value(data):
    return int(data.hex())


def journal_rows(path):
    """The journal's lines, each checked whole; [] when it is missing."""
    if not os.path.exists(path):
        return []
    with open(path, newline="", encoding="utf-8-sig") as f:
        rows = list(csv.reader(f, strict=True))
    header, lines = rows[0], rows[1:]
    assert header[0] == "time" and len(header) == 12, header
    for line in lines:
        assert len(line) == 12 and line[7] == "pass", line
    return [dict(zip(header, line)) for line in lines]


def main():
    binary = sys.argv[1]
    kills = int(sys.argv[2]) if len(sys.argv) > 2 else 100
    seed = int(sys.argv[3]) if len(sys.argv) > 3 else random.randrange(1 << 30)
    print("seed %d, %d kills" % (seed, kills), flush=True)
    with tempfile.TemporaryDirectory(prefix="batch-kill-") as d:
        kill_again_and_again(binary, kills, random.Random(seed), d)


def kill_again_and_again(binary, kills, rng, d):
    board = os.path.join(d, "board")
    os.mkdir(board)
    image, journal, serials = (os.path.join(d, n) for n in
                               ("fw.bin", "journal.csv", "serial.txt"))
    with open(image, "wb") as f:
        f.write(IMAGE)
    with open(os.path.join(board, "simboard.ini"), "w") as f:
        f.write("trace = trace.txt\n")
    trace = os.path.join(board, "trace.txt")
    with open(serials, "w") as f:
        f.write("1\n")
    args = [image, "--serial", "%X,%d,bcd" % (SERIAL_AT, SERIAL_SIZE),
            "--serial-file", serials, "--journal", journal]

    chip_id = 0           # the chip in the socket (0: none)
    lines_of = {}         # chip -> journal lines seen while it was in
    taken = {}            # chip taken out -> its file
    told = 0              # journal lines accounted for
    for kill in range(kills):
        run = Batch(binary, board, args, os.path.join(d, "err.txt"))
        size = size_of(trace)
        if rng.random() < 0.5:
            events, trace_at = rng.randrange(1, 300), None
        else:  # up to about two chips' worth of the trace
            span = 2 * size // max(1, len(taken)) if taken else 200000
            events, trace_at = None, size + rng.randrange(1, span)
        seen_out = True  # the run waits for a chip, or saw the last go
        deadline = time.monotonic() + 120
        while True:
            assert time.monotonic() < deadline, "kill %d: no moment" % kill
            if chip_id == 0 and seen_out:
                chip_id = len(lines_of) + 1
                lines_of[chip_id] = 0
                put_chip(board, b"\xff" * 4096)
            if trace_at is not None and size_of(trace) >= trace_at:
                break
            if events is not None and events == 0:
                break
            try:
                e = run.next(120 if trace_at is None else 0.01)
            except queue.Empty:
                continue
            if events is not None:
                events -= 1
            if e is None:
                sys.exit("kill %d: the run ended by itself: %s" %
                         (kill, open(os.path.join(d, "err.txt")).read()))
            if e["event"] == "result":
                lines_of[chip_id] += 1
                told += 1
                taken[chip_id] = os.path.join(d, "chip%d.bin" % chip_id)
                take_chip(board, taken[chip_id])
                chip_id = 0
                seen_out = False
            seen_out = seen_out or e.get("state") == "removed"
        run.proc.send_signal(signal.SIGKILL)
        assert run.finish() == -signal.SIGKILL
        # What a crash left.
        rows = journal_rows(journal)
        if len(rows) > told:
            # A line written before its result was told: the chip in the
            # socket got it, and the operator takes it out.
            assert len(rows) == told + 1 and chip_id != 0, (rows, told)
            lines_of[chip_id] += 1
            told += 1
            taken[chip_id] = os.path.join(d, "chip%d.bin" % chip_id)
            take_chip(board, taken[chip_id])
            chip_id = 0
        assert len(rows) == told, (len(rows), told)
        numbers = [int(r["serial"]) for r in rows]
        assert len(set(numbers)) == len(numbers), numbers
        with open(serials) as f:
            next_serial = int(f.read())
        assert all(n < next_serial for n in numbers), (numbers, next_serial)
        assert all(n <= 1 for n in lines_of.values()), lines_of
    # The chips taken out, against their lines, in the order taken.
    rows = journal_rows(journal)
    held = []
    for row, chip in zip(rows, sorted(taken)):
        with open(taken[chip], "rb") as f:
            flash = f.read()
        serial = flash[SERIAL_AT:SERIAL_AT + SERIAL_SIZE]
        assert flash[:len(IMAGE)] == IMAGE, chip
        assert bcd_value(serial) == int(row["serial"]), (chip, row)
        assert "%08X" % zlib.crc32(flash) == row["crc32"], (chip, row)
        held.append(serial)
    assert len(set(held)) == len(held) == len(rows)
    print("%d kills: %d chips journaled and taken out, serial numbers "
          "%s-%s, none twice; the serial file says %d next; %d numbers "
          "wasted by kills" % (kills, len(rows), rows[0]["serial"],
                                rows[-1]["serial"], next_serial,
                                next_serial - 1 - len(rows)))


if __name__ == "__main__":
    main()
