"""`tarnwick batch` as a user runs it, on a simulated board whose chips this
test swaps as events arrive: serial numbers, journal, exit codes, and the
refusals that leave every file as it was.

    batch_test.py TARNWICK_BINARY
"""

import csv
import os
import sys
import tempfile
import unittest
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tools"))
from batch_operator import Batch, is_event, put_chip, take_chip  # noqa: E402

BINARY = None
IMAGE = bytes((a * 7 + 3) % 256 for a in range(0x40)) + b"\xff" * 0x10


def bcd(n, size):
    return bytes.fromhex(("%0*d" % (2 * size, n)))


class BatchTest(unittest.TestCase):
    def setUp(self):
        self.dir = self.enterContext(
            tempfile.TemporaryDirectory(prefix="batch-test-"))
        self.board = os.path.join(self.dir, "board")
        os.mkdir(self.board)  # an empty socket
        self.image = os.path.join(self.dir, "fw.bin")
        with open(self.image, "wb") as f:
            f.write(IMAGE)

    def path(self, name):
        return os.path.join(self.dir, name)

    def read(self, name):
        with open(self.path(name), "rb") as f:
            return f.read()

    def journal(self):
        with open(self.path("j.csv"), newline="", encoding="utf-8-sig") as f:
            return list(csv.DictReader(f))

    def test_chips_swapped_get_serial_numbers_and_journal_lines(self):
        run = Batch(BINARY, self.board,
                    [self.image, "--serial", "40,4,bcd", "--serial-file",
                     self.path("s.txt"), "--serial-start", "1000",
                     "--journal", self.path("j.csv"), "--count", "3"],
                    self.path("err.txt"))
        # Chip 2 holds old bytes that need an erase first.
        firsts = [b"\xff" * 4096, b"\x00" * 4096, b"\xff" * 4096]
        results = []
        for n, flash in enumerate(firsts, 1):
            put_chip(self.board, flash)
            inserted = run.until(is_event("chip", state="inserted"))
            self.assertEqual((n, "89C51", [30, 81, 255]),
                             (inserted["chip"], inserted["part"],
                              inserted["signature"]))
            results.append(run.until(is_event("result")))
            take_chip(self.board, self.path("chip%d.bin" % n))
            if n < 3:
                run.until(is_event("chip", state="removed", chip=n))
        self.assertEqual(0, run.finish(), self.read("err.txt"))
        summary = run.events()[-1]
        self.assertEqual((3, 0, 1, 1003),
                         (summary["passed"], summary["failed"],
                          summary["yield"], summary["next_serial"]))
        self.assertEqual(b"1003\n", self.read("s.txt"))
        rows = self.journal()
        self.assertEqual(3, len(rows))
        for n, (result, row) in enumerate(zip(results, rows), 1):
            chip = self.read("chip%d.bin" % n)
            want = bytearray(IMAGE) + b"\xff" * (4096 - len(IMAGE))
            want[0x40:0x44] = bcd(999 + n, 4)
            self.assertEqual(bytes(want), chip)
            crc = "%08X" % zlib.crc32(chip)
            self.assertEqual(("pass", 999 + n, crc, n == 2),
                             (result["outcome"], result["serial"],
                              result["crc32"], result["erased"]))
            self.assertEqual((str(n), str(999 + n), crc, "pass", "1E 51 FF"),
                             (row["chip"], row["serial"], row["crc32"],
                              row["result"], row["signature"]))

    def test_failed_chips_skip_or_reuse_their_serial_number(self):
        # Bit 0 of address 0 always reads 0: every chip fails there.
        with open(os.path.join(self.board, "simboard.ini"), "w") as f:
            f.write("stuck = 0:01:00\n")
        for mode, serials, after in (("skip", [7, 8], b"9\n"),
                                     ("reuse", [7, 7], b"8\n")):
            put_chip(self.board, b"\xff" * 4096)
            serial = self.path("s-" + mode)
            with open(self.path("enter"), "wb") as f:
                f.write(b"\n\n")
            with open(self.path("enter"), "rb") as enter:
                run = Batch(BINARY, self.board,
                            [self.image, "--prompt", "--serial", "40,2,le",
                             "--serial-file", serial, "--serial-start", "7",
                             "--on-fail", mode], self.path("err.txt"), enter)
                self.assertEqual(1, run.finish(), self.read("err.txt"))
            results = [e for e in run.events() if e["event"] == "result"]
            self.assertEqual(serials, [r["serial"] for r in results])
            self.assertEqual(["fail"] * 2, [r["outcome"] for r in results])
            self.assertEqual([{"address": 0, "expected": 3, "actual": 2}],
                             results[0]["failures"])
            self.assertEqual((1, 0), (results[0]["bits"]["cleared"],
                                      results[0]["bits"]["set"]))
            with open(serial, "rb") as f:
                self.assertEqual(after, f.read())
            self.assertIn(b"chip 2: FAIL serial %d" % serials[1],
                          self.read("err.txt"))

    def test_refusals_leave_every_file_as_it_was(self):
        with open(self.path("s.txt"), "w") as f:
            f.write("500\n")
        data_at_40 = self.path("data.bin")
        with open(data_at_40, "wb") as f:
            f.write(b"\x01" * 0x50)
        put_chip(self.board, b"\xff" * 4096)
        serial = ["--serial-file", self.path("s.txt"), "--journal",
                  self.path("j.csv")]
        cases = [
            ([self.image, "--serial", "40,4,bcd", "--serial-start", "1"]
             + serial, 2, b"holds 500, not the start 1"),
            ([data_at_40, "--serial", "40,4,bcd"] + serial, 2,
             b"has data in the serial area"),
            ([self.image, "--serial", "FFE,4,bcd", "--part", "89c51"]
             + serial, 2, b"outside"),
            ([self.image, "--serial", "40,4,bcd", "--expect-sum", "1"]
             + serial, 2, b"expected SUM16 0001"),
            ([self.image, "--serial", "40,4,bcd"], 2, b"--serial-file"),
            ([self.image, "--count", "0"], 2, b"--count:"),
            ([self.image, "--on-fail", "later"], 2, b"--on-fail"),
        ]
        before = snapshot(self.dir)
        for args, code, said in cases:
            with self.subTest(said=said):
                run = Batch(BINARY, self.board, args, self.path("err.txt"))
                self.assertEqual(code, run.finish())
                err = self.read("err.txt")
                self.assertIn(said, err)
                self.assertEqual(["start", "error", "summary"],
                                 [e["event"] for e in run.events()])
                os.remove(self.path("err.txt"))
                self.assertEqual(before, snapshot(self.dir))


def snapshot(folder):
    files = {}
    for root, _, names in os.walk(folder):
        for name in names:
            with open(os.path.join(root, name), "rb") as f:
                files[os.path.join(root, name)] = f.read()
    return files


if __name__ == "__main__":
    BINARY = sys.argv.pop(1)
    unittest.main()
