"""`tarnwick --json`: every command's standard output read with Python's
JSON parser, line by line, as a client reads it; the checksums against
zlib's CRC-32 and Python's sum; a run stopped by a signal; a file name that
is not UTF-8.

    json_stream_test.py TARNWICK_BINARY
"""

import json
import os
import random
import signal
import subprocess
import sys
import tempfile
import unittest
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tools"))
from batch_operator import Batch, is_event, put_chip  # noqa: E402

BINARY = None
HEX = b":0300000002003BC0\r\n:04003B00E4F5A02226\r\n:00000001FF\r\n"


def intel_hex(data):
    """Intel HEX records for {address: byte}, 16 bytes at most a record,
    written here rather than by the program under test."""
    out = []
    addresses = sorted(data)
    while addresses:
        first = addresses[0]
        run = [first]
        while (len(run) < 16 and len(addresses) > len(run)
               and addresses[len(run)] == first + len(run)):
            run.append(addresses[len(run)])
        addresses = addresses[len(run):]
        record = bytes([len(run), first >> 8, first & 0xFF, 0])
        record += bytes(data[a] for a in run)
        record += bytes([-sum(record) & 0xFF])
        out.append(":" + record.hex().upper())
    return ("\n".join(out + [":00000001FF"]) + "\n").encode()


class JsonStreamTest(unittest.TestCase):
    def setUp(self):
        self.dir = self.enterContext(
            tempfile.TemporaryDirectory(prefix="json-test-"))

    def path(self, name):
        return os.path.join(self.dir, name)

    def run_json(self, args, code, stdin=b""):
        """Runs tarnwick with --json and checks the stream's frame: each
        line one JSON object of schema 1, times that never go back, "start"
        first, "summary" last with the exit code. Returns the events."""
        p = subprocess.run([BINARY, "--json"] + args, input=stdin,
                           capture_output=True, timeout=120)
        self.assertEqual(code, p.returncode, p.stderr)
        return self.check_stream(p.stdout, code)

    def check_stream(self, out, code):
        self.assertTrue(out.endswith(b"\n"))
        events = [json.loads(line) for line in out.split(b"\n")[:-1]]
        for e in events:
            self.assertEqual(1, e["v"])
            self.assertIsInstance(e["t"], (int, float))
        times = [e["t"] for e in events]
        self.assertEqual(sorted(times), times)
        self.assertEqual("start", events[0]["event"])
        self.assertEqual(("summary", code),
                         (events[-1]["event"], events[-1]["exit"]))
        steps = {}
        for e in events:
            if e["event"] == "progress":
                self.assertLessEqual(e["done"], e["total"])
                steps[e["stage"]] = steps.get(e["stage"], 0) + 1
        # At most one a percent, and the last step.
        self.assertTrue(all(n <= 101 for n in steps.values()), steps)
        return events

    def test_each_command(self):
        board = self.path("board")
        with open(self.path("fw.hex"), "wb") as f:
            f.write(HEX)
        sim = ["--sim", board]
        # (arguments, exit code, events but progress and failure, members
        # of the last of them before the summary)
        cases = [
            (sim + ["signature"], 0, ["start", "signature", "summary"],
             {"verdict": "found", "part": "89C51", "bytes": [30, 81, 255]}),
            (sim + ["write", self.path("fw.hex")], 0,
             ["start", "signature", "image", "result", "summary"],
             {"outcome": "pass", "programmed": 7, "skipped": 4089,
              "chip_state": "programmed", "sum16": "EBDF"}),
            (sim + ["verify", self.path("fw.hex"), "--expect-crc",
                    "384a65bc"], 0,
             ["start", "signature", "image", "result", "summary"],
             {"outcome": "pass", "compared": 4096, "differ": 0}),
            (sim + ["read", self.path("back.bin")], 0,
             ["start", "signature", "result", "summary"],
             {"outcome": "pass", "unstable": 0, "sum16": "EBDF",
              "crc32": "384A65BC"}),
            (sim + ["erase"], 0, ["start", "signature", "result", "summary"],
             {"outcome": "pass", "chip_state": "erased", "differ": 0}),
            (sim + ["verify", self.path("fw.hex")], 1,
             ["start", "signature", "image", "result", "summary"],
             {"outcome": "fail", "differ": 7}),
            (sim + ["selftest", "--hold", "0", "--part", "89c52"], 3,
             ["start", "signature", "error", "summary"],
             {"code": "chip-present", "exit": 3}),
            (["checksum", self.path("fw.hex"), "--part", "89c52"], 0,
             ["start", "image", "summary"],
             {"part": "89C52", "size": 8192, "sum16": "DBDF"}),
            (sim + ["read", "-"], 2, ["start", "error", "summary"],
             {"code": "usage"}),
            (sim + ["write"], 2, ["start", "error", "summary"],
             {"code": "usage"}),
        ]
        streams = {}
        for args, code, names, members in cases:
            with self.subTest(args=args[2:]):
                events = streams[code] = self.run_json(args, code)
                told = [e for e in events
                        if e["event"] not in ("progress", "failure")]
                self.assertEqual(names, [e["event"] for e in told])
                last = told[-2]
                self.assertEqual(members,
                                 {k: last.get(k) for k in members})
        # The verify that failed told each failure as it was found, and
        # its result lists them with what they point at.
        failures = [e for e in streams[1] if e["event"] == "failure"]
        result = streams[1][-2]
        self.assertEqual(7, len(failures))
        self.assertEqual([{"address": f["address"], "expected": f["expected"],
                           "actual": f["actual"]} for f in failures],
                         result["failures"])
        # An erased chip reads 1 wherever the file wants 0.
        self.assertEqual((sum(bin(f["expected"] ^ 0xFF).count("1")
                              for f in failures), 0),
                         (result["bits"]["set"], result["bits"]["cleared"]))
        with open(self.path("back.bin"), "rb") as f:
            self.assertEqual("%08X" % zlib.crc32(f.read()), "384A65BC")

    def test_checksums_agree_with_zlib_and_python(self):
        rng = random.Random(21)
        for size in (4096, 8192):
            raw = bytes(rng.randrange(256) for _ in range(size))
            given = {a: rng.randrange(256)
                     for a in rng.sample(range(size), 300)}
            for name, content, data in (
                    ("raw%d.bin" % size, raw, dict(enumerate(raw))),
                    ("gaps%d.hex" % size, intel_hex(given), given)):
                with self.subTest(name=name):
                    with open(self.path(name), "wb") as f:
                        f.write(content)
                    p = subprocess.run(
                        [BINARY, "--json", "checksum", self.path(name)],
                        capture_output=True, timeout=60)
                    self.assertEqual(0, p.returncode, p.stderr)
                    images = [e for e in self.check_stream(p.stdout, 0)
                              if e["event"] == "image"]
                    fits = [s for s in (4096, 8192) if s >= max(data) + 1]
                    self.assertEqual(fits, [e["size"] for e in images])
                    for e in images:
                        chip = bytes(data.get(a, 0xFF)
                                     for a in range(e["size"]))
                        self.assertEqual(
                            ("%04X" % (sum(chip) & 0xFFFF),
                             "%08X" % zlib.crc32(chip),
                             "%04X" % (sum(data.values()) & 0xFFFF),
                             len(data), min(data), max(data)),
                            (e["sum16"], e["crc32"], e["file_sum16"],
                             e["bytes_given"], e["first"], e["last"]))
                        # The words say the same.
                        self.assertIn(
                            ("%s chip image (%d bytes, FF where the file "
                             "gives none): SUM16 %s, CRC-32 %s" %
                             (e["part"], e["size"], e["sum16"],
                              e["crc32"])).encode(), p.stderr)

    def test_expected_checksums_refuse_before_the_board(self):
        board = self.path("board")
        with open(self.path("fw.hex"), "wb") as f:
            f.write(HEX)
        for option, value in (("--expect-sum", "EBDE"),
                              ("--expect-crc", "384A65BD")):
            with self.subTest(option=option):
                events = self.run_json(["--sim", board, "write",
                                        self.path("fw.hex"), option, value],
                                       2)
                self.assertEqual(["start", "error", "summary"],
                                 [e["event"] for e in events])
                self.assertIn("SUM16 EBDF, CRC-32 384A65BC for the 89C51",
                              events[1]["text"])
                self.assertIn(value, events[1]["text"])
                # The board was not touched: its folder was never made.
                self.assertFalse(os.path.exists(board))

    def test_a_stopped_run_ends_with_its_summary(self):
        with open(self.path("zeros.bin"), "wb") as f:
            f.write(bytes(4096))
        for sig, command in ((signal.SIGINT, "write"),
                             (signal.SIGTERM, "batch")):
            with self.subTest(command=command):
                board = self.path(command)
                os.mkdir(board)
                put_chip(board, b"\xff" * 4096)
                run = Batch(BINARY, board, [self.path("zeros.bin")],
                            self.path("err.txt"), command=command)
                run.until(is_event("progress", stage="program"))
                run.proc.send_signal(sig)
                self.assertEqual(128 + sig, run.finish())
                events = self.check_stream(b"".join(run.lines), 128 + sig)
                result = [e for e in events if e["event"] == "result"][0]
                self.assertEqual(("stopped", "partly-programmed"),
                                 (result["outcome"], result["chip_state"]))
                self.assertEqual(4096, result["programmed"] +
                                 result["not_reached"] + result["skipped"])
                self.assertEqual("interrupted", events[-2]["code"])

    def test_a_file_name_that_is_not_utf8(self):
        name = os.path.join(os.fsencode(self.dir), b"fw-\xff\xfe.hex")
        with open(name, "wb") as f:
            f.write(HEX)
        p = subprocess.run([os.fsencode(BINARY), b"--json", b"--sim",
                            os.fsencode(self.path("board")), b"write", name],
                           capture_output=True, timeout=60)
        events = self.check_stream(p.stdout, 0)
        self.assertTrue(events[0]["file"].endswith("fw-\ufffd\ufffd.hex"))
        self.assertEqual("pass", events[-2]["outcome"])


if __name__ == "__main__":
    BINARY = sys.argv.pop(1)
    unittest.main()
