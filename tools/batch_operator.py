"""The operator of `tarnwick batch --json` on a simulated board, for the
tests, the kill test and the benchmark: runs the command, reads its events
as they come, and swaps the board's chip file as a person swaps chips (a
missing simchip.bin is an empty socket; a file appearing is a new chip)."""

import json
import os
import queue
import subprocess
import threading

CHIP = "simchip.bin"


def put_chip(board, flash):
    """A new chip holding `flash` in the socket, appearing whole."""
    new = os.path.join(os.path.dirname(os.path.abspath(board)), ".new-chip")
    with open(new, "wb") as f:
        f.write(flash)
    os.replace(new, os.path.join(board, CHIP))


def take_chip(board, to):
    """Takes the chip out of the socket into the file `to`."""
    os.replace(os.path.join(board, CHIP), to)


class Batch:
    """`tarnwick --sim BOARD --json batch ARGS...`, its standard error in
    `err`. Every line of its standard output is kept in `lines`."""

    def __init__(self, binary, board, args, err, stdin=subprocess.DEVNULL,
                 command="batch"):
        self._err = open(err, "wb")
        self.proc = subprocess.Popen(
            [binary, "--sim", board, "--json", command] + list(args),
            stdin=stdin, stdout=subprocess.PIPE, stderr=self._err)
        self.lines = []
        self._queue = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.proc.stdout:
            self.lines.append(line)
            self._queue.put(line)
        self._queue.put(None)

    def next(self, timeout=120):
        """The next event, parsed; None once the stream has ended."""
        line = self._queue.get(timeout=timeout)
        return None if line is None else json.loads(line)

    def until(self, wanted, timeout=120):
        """The next event for which wanted(event) holds; AssertionError
        when the stream ends first."""
        while True:
            event = self.next(timeout)
            if event is None:
                raise AssertionError("the stream ended before the event "
                                     "waited for")
            if wanted(event):
                return event

    def finish(self, timeout=120):
        """Reads the stream to its end and returns the exit code."""
        while self.next(timeout) is not None:
            pass
        code = self.proc.wait(timeout)
        self.proc.stdout.close()
        self._err.close()
        return code

    def events(self):
        """Every event so far, parsed."""
        return [json.loads(line) for line in self.lines]


def is_event(name, **members):
    """A test of an event's name and members, for Batch.until."""
    return lambda e: e["event"] == name and all(
        e.get(k) == v for k, v in members.items())
