#!/bin/bash
# The Windows build of the command line under Wine: the signature through
# the WINIO.dll beside it (the simulated board), and a small Intel HEX
# image with a Chinese and Korean file name written to a --sim board and
# compared, under a Western code page (names travel as wide text).
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

out=$(wine_run 1252 60 ./tarnwick-cli.exe signature 2>&1 | tr -d '\r')
check "signature through WINIO.dll" "$out" \
  "$(printf '30H=1E,\t31H=51,\t32H=FF\n89C51: 4 KB of flash, programmed at 12 V')"

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
check "verify" "$out" "verify: 4096 bytes compared, 0 differ"

# One program per board, through Windows' named mutex: while one writes
# (4 KB of zeros, about 13 s), a second is turned away naming the holder,
# and a third waits for it. The second tries until it finds the board held
# (before that it finds it free, and the first waits for it if need be), or
# until the first has ended.
head -c 4096 /dev/zero > zeros.bin
wait=$(wine_env_seconds 60)
wine_run 1252 120 ./tarnwick-cli.exe --sim board write zeros.bin -q \
  --wait "$wait" >first.txt 2>&1 &
first=$!
out=""
while [[ $out != *"the board is busy"* ]] && kill -0 "$first" 2>/dev/null; do
  out=$(wine_run 1252 60 ./tarnwick-cli.exe --sim board signature 2>&1 |
    tr -d '\r')
done
check "a second program on a held board" \
  "$(echo "$out" | grep -c 'the board is busy: process [0-9]* (.*tarnwick-cli')" 1
out=$(wine_run 1252 120 ./tarnwick-cli.exe --sim board verify zeros.bin \
  --wait "$wait" 2>third.txt | tr -d '\r')
wait "$first"
check "the first program's write" "$?:$(tr -d '\r' <first.txt)" "0:"
want="verify: 4096 bytes compared, 0 differ"
[ "$out" = "$want" ] || out+=" (its stderr: $(tr -d '\r' <third.txt))"
check "a third that waits" "$out" "$want"

[ $failed -eq 0 ] && echo "6 passed, 0 failed" || echo "failed"
exit $failed
