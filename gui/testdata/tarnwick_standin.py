#!/usr/bin/env python3
"""A stand-in for `tarnwick --json`, for the desktop program's tests only.

It plays a scenario file instead of driving a board:

    python3 tarnwick_standin.py SCENARIO [tarnwick's arguments...]

Each line of SCENARIO is one of
    {...}                  an event line, written to standard output as it is
    # ...                  a comment
    rate N                 from now on, N lines a second (0: as fast as it can)
    progress STAGE TOTAL N N progress events of STAGE up to TOTAL bytes
    failures STAGE N       N failure events at addresses 0, 1, ... (wrote 00,
                           read FF)
    raw TEXT               TEXT without a line end (a line cut off)
    stderr TEXT            TEXT on standard error
    read-output            writes 4096 bytes (byte n = n mod 251) to the file
                           named after "read" in the arguments
    arguments FILE         writes the arguments it was given, one a line
    wait-for-signal        waits (at most 60 s) for SIGINT or SIGTERM
    on-signal              the lines after it are played only once SIGINT or
                           SIGTERM came, which ends the lines before it at
                           the next one (the next address); it then exits
                           128 + the signal's number
    exit N                 the exit code when no signal came (default 0)
"""

import json
import signal
import sys
import time

stop_signal = 0


def on_signal(number, _frame):
    global stop_signal
    if stop_signal == 0:
        stop_signal = number


def emit(text, newline=True):
    sys.stdout.write(text + ("\n" if newline else ""))
    sys.stdout.flush()


def main():
    signal.signal(signal.SIGINT, on_signal)
    signal.signal(signal.SIGTERM, on_signal)
    scenario, args = sys.argv[1], sys.argv[2:]
    with open(scenario, encoding="utf-8") as f:
        lines = [line.rstrip("\n") for line in f]
    split = lines.index("on-signal") if "on-signal" in lines else len(lines)
    body, stopped = lines[:split], lines[split + 1:]
    delay = 0.0
    exit_code = 0

    def pace():
        if delay > 0:
            time.sleep(delay)

    def play(line, interruptible):
        nonlocal delay, exit_code
        word, _, rest = line.partition(" ")
        if line.startswith("{"):
            emit(line)
            pace()
        elif word == "rate":
            delay = 1.0 / float(rest) if float(rest) > 0 else 0.0
        elif word == "progress":
            stage, total, n = rest.split()
            total, n = int(total), int(n)
            for i in range(1, n + 1):
                if stop_signal and interruptible:
                    return
                done = total * i // n
                emit(json.dumps({"v": 1, "event": "progress", "t": 0.0,
                                 "stage": stage, "done": done,
                                 "total": total, "address": done - 1}))
                pace()
        elif word == "failures":
            stage, n = rest.split()
            for a in range(int(n)):
                if stop_signal and interruptible:
                    return
                emit(json.dumps({"v": 1, "event": "failure", "t": 0.0,
                                 "stage": stage, "address": a,
                                 "expected": 0, "actual": 255}))
                pace()
        elif word == "raw":
            emit(rest, newline=False)
        elif word == "stderr":
            sys.stderr.write(rest + "\n")
            sys.stderr.flush()
        elif word == "read-output":
            with open(args[args.index("read") + 1], "wb") as out:
                out.write(bytes(n % 251 for n in range(4096)))
        elif word == "arguments":
            with open(rest, "w", encoding="utf-8") as out:
                out.write("\n".join(args) + "\n")
        elif word == "wait-for-signal":
            deadline = time.monotonic() + 60
            while not stop_signal and time.monotonic() < deadline:
                time.sleep(0.01)
        elif word == "exit":
            exit_code = int(rest)

    for line in body:
        if stop_signal:
            break
        play(line, True)
    if stop_signal:
        for line in stopped:
            play(line, False)
        return 128 + stop_signal
    return exit_code


if __name__ == "__main__":
    sys.exit(main())
