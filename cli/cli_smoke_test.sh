#!/bin/bash
# The Windows build of the command line under Wine: the signature through
# the WINIO.dll beside it (the simulated board), and a small Intel HEX
# image with a Chinese and Korean file name written to a --sim board and
# compared, under a Western code page (names travel as wide text); batch
# with --json on a simulated socket.
#
#   cli_smoke_test.sh BUILD_DIR DIST
set -u
build=$1 dist=$2

. "$(dirname "$0")/../tools/wine-env.sh"
wine_env_skip_unless_runs "${TARNWICK_PE_BITS:?32 or 64, set by ctest}"
wine_env_setup "${TARNWICK_WINE_DIR:-$build/wine}" || exit 1
trap wine_env_teardown EXIT

work="$build/cli-smoke/命令行"
rm -rf "$build/cli-smoke"
mkdir -p "$work/board"
cp "$dist/tarnwick-cli.exe" "$dist/WINIO.dll" "$work/"
cd "$work"
failed=0
check() {  # check WHAT GOT WANT
  if [ "$2" = "$3" ]; then echo "ok: $1"; else
    echo "FAILED: $1"; echo "  got:  $2"; echo "  want: $3"; failed=1; fi
}

out=$(wine_run 1252 60 ./tarnwick-cli.exe signature 2>err.txt | tr -d '\r')
check "signature through WINIO.dll" "$out" \
  "$(printf '30H=1E,\t31H=51,\t32H=FF\n89C51: 4 KB of flash, programmed at 12 V')"
check "the library named" "$(grep -c 'ports through .*WINIO.dll (WinIo)' err.txt)" 1

printf ':0300000002003BC0\r\n:04003B00E4F5A02226\r\n:00000001FF\r\n' \
  > "固件_한국.hex"
out=$(wine_run 1252 60 ./tarnwick-cli.exe --sim board write "固件_한국.hex" \
  --quiet 2>&1 | tr -d '\r')
check "write exit code and quiet output" "$?:$out" "0:"
{ printf '\x02\x00\x3B'; head -c $((0x3B - 3)) /dev/zero | tr '\0' '\377'
  printf '\xE4\xF5\xA0\x22'; head -c $((4096 - 0x3F)) /dev/zero | tr '\0' '\377'
} > want.bin
check "the board's chip" "$(cmp board/simchip.bin want.bin 2>&1)" ""
out=$(wine_run 1252 60 ./tarnwick-cli.exe verify "固件_한국.hex" --sim board \
  2>/dev/null | tr -d '\r')
check "verify" "$out" "$(printf 'verify: 4096 bytes compared, 0 differ\nchip image: SUM16 EBDF, CRC-32 384A65BC')"

# One program per board, through Windows' named mutex: while one writes
# (4 KB of zeros, about 13 s), a second is turned away naming the holder,
# and a third waits for it. The first holds the board once its trace,
# written as it goes, shows a program pulse.
head -c 4096 /dev/zero > zeros.bin
wine_run 1252 120 ./tarnwick-cli.exe --sim board write zeros.bin -q \
  --trace first-trace.txt >first.txt 2>&1 &
first=$!
for ((waited = 0; waited < 5 * $(wine_env_seconds 120); waited++)); do
  grep -q 'out 378 <- 5 (1)' first-trace.txt 2>/dev/null && break
  kill -0 "$first" 2>/dev/null || break
  sleep 0.2
done
out=$(wine_run 1252 60 ./tarnwick-cli.exe --sim board signature 2>&1 |
  tr -d '\r')
check "a second program on a held board" \
  "$(echo "$out" | grep -c 'the board is busy: process [0-9]* (.*tarnwick-cli')" 1
out=$(wine_run 1252 120 ./tarnwick-cli.exe --sim board verify zeros.bin \
  --wait "$(wine_env_seconds 60)" 2>third.txt | tr -d '\r')
wait "$first"
check "the first program's write" "$?:$(tr -d '\r' <first.txt)" "0:"
want=$(printf 'verify: 4096 bytes compared, 0 differ\nchip image: SUM16 0000, CRC-32 C71C0011')
[ "$out" = "$want" ] || out+=" (its stderr: $(tr -d '\r' <third.txt))"
check "a third that waits" "$out" "$want"

# batch --json on a socket holding an erased chip: one chip, its serial
# number and journal line; the events one JSON object a line, "\n" ended.
mkdir sock
head -c 4096 /dev/zero | tr '\0' '\377' >sock/simchip.bin
wine_run 1252 120 ./tarnwick-cli.exe --sim sock --json batch "固件_한국.hex" \
  --count 1 --serial 100,2,le --serial-file serial.txt --serial-start 7 \
  --journal chips.csv >events.txt 2>batch-err.txt
check "batch exit code" "$?" 0
check "batch events" "$(python3 -c '
import json, sys
lines = open(sys.argv[1], "rb").read().split(b"\n")
events = [json.loads(l) for l in lines[:-1] if l]
print(" ".join(e["event"] for e in events if e["event"] != "progress"),
      [e.get("serial") for e in events if e["event"] == "result"],
      lines[-1] == b"" and all(not l.endswith(b"\r") for l in lines))
' events.txt)" "start image chip result summary [7] True"
check "batch's serial file and journal" \
  "$(cat serial.txt):$(grep -c ',7,.*,pass,' chips.csv)" "8:1"

[ $failed -eq 0 ] && echo "10 passed, 0 failed" || echo "failed"
exit $failed
