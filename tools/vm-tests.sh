#!/usr/bin/env bash
# The command line's real port backend against a real kernel: tarnwick
# (the native build, without --sim) runs in the test virtual machine
# (tools/vm.sh) on QEMU's emulated RTL8139 card and parallel port, and
# QEMU's own record of the port accesses is held against the program's
# --trace, access for access: direction, port, width, value and order,
# reads included.
#
# The emulated card has no chip behind its boot-ROM register: its data
# lines read 0, so no chip answers. These runs check the bus traffic, the
# finding of the card and port in the guest's /sys and /proc/ioports, and
# the refusals, not chip contents (the simulated board's tests do that).
#
#   tools/vm-tests.sh        (after the native build; about a minute)
#
# Each boot's files stay in build/vm/backend/<boot>/: QEMU's record
# (ports.log), the guest's console, and each case's output, exit code and
# trace. Ports of this machine are never touched. A last boot checks that
# the machine works from a checkout under /tmp, which is the guest's own.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
tarnwick=build/native/cli/tarnwick
case_sh=tools/vm/backend-case.sh
cmake --preset native >/dev/null && cmake --build --preset native --target tarnwick >/dev/null ||
  { echo "vm-tests: cannot build $tarnwick" >&2; exit 1; }

passed=0 failed=0
pass() { echo "ok: $1"; passed=$((passed + 1)); }
fail() { echo "FAILED: $1"; shift; printf '  %s\n' "$@"; failed=$((failed + 1)); }
# check WHAT GOT WANT
check() { if [ "$2" = "$3" ]; then pass "$1"; else fail "$1" "got:  $2" "want: $3"; fi; }
# has WHAT FILE TEXT: FILE holds TEXT (a fixed string)
has() {
  if grep -F -q -e "$3" "$2"; then pass "$1"; else
    fail "$1" "$(basename "$2") lacks: $3" "it holds: $(head -c 600 "$2")"; fi
}

# split_record LOG DIR: QEMU's record of the card's and the port's register
# accesses between each pair of markers (B0 and E0 written to port 3E0 by
# backend-case.sh) into DIR/record.1, record.2, ... one access a line:
# "out C0D4 FF000032 4", "in C0D7 0 1".
split_record() {
  awk -v dir="$2" '
    function hex(s) { sub(/^0x/, "", s); sub(/^0+/, "", s); return s == "" ? "0" : toupper(s) }
    / addr 0x3e0 value 0xb0 / { n++; inside = 1; printf "" > (dir "/record." n); next }
    / addr 0x3e0 value 0xe0 / { inside = 0; next }
    inside && /name .(rtl8139|parallel).$/ {
      for (i = 1; i < NF; i++) v[$i] = $(i + 1)
      op = ($1 ~ /write$/) ? "out" : "in"
      print op, hex(v["addr"]), hex(v["value"]), v["size"] > (dir "/record." n)
    }' "$1"
}

# The same from the program's --trace ("out C0D4 <- FF000032 (4)",
# "in C0D7 -> 0 (1)"); its sleeps and the opening and closing of port
# access are not accesses.
trace_accesses() {
  awk '
    function hex(s) { sub(/^0+/, "", s); return s == "" ? "0" : toupper(s) }
    $3 == "out" || $3 == "in" { s = $7; gsub(/[()]/, "", s); print $3, hex($4), hex($6), s }' "$1"
}

# boot NAME VM-OPTIONS... -- CASES: boots the machine once, running each
# case line "NAME USER ARGS..." of the variable CASES through
# backend-case.sh, and splits QEMU's record by case.
boot() {
  local name=$1
  shift
  local vm_opts=()
  while [ "$1" != -- ]; do vm_opts+=("$1"); shift; done
  shift
  dir=$root/build/vm/backend/$name
  rm -rf "$dir" && mkdir -p "$dir/cases"
  local script="" line
  while read -r line; do
    [ -n "$line" ] && script+="bash $case_sh $dir/cases $line; "
  done <<<"$1"
  echo "== vm-tests: $name"
  if tools/vm.sh --dir "$dir" --timeout 600 "${vm_opts[@]}" -- bash -c "$script" \
    >"$dir/vm.out" 2>&1; then
    pass "$name: the machine ran the cases ($(cat "$dir/machine"))"
  else
    fail "$name: the machine ran the cases" "$(tail -n 20 "$dir/vm.out")"
  fi
  split_record "$dir/ports.log" "$dir/cases"
}

# same_traffic WHAT CASE-NUMBER CASE-NAME: QEMU's record of the case equals
# the accesses of the program's trace, and they are not none.
same_traffic() {
  local c=$dir/cases
  trace_accesses "$c/$3.trace" >"$c/$3.accesses" 2>/dev/null
  if [ ! -s "$c/$3.accesses" ]; then
    fail "$1: the trace shows accesses" "$c/$3.trace"
  elif diff "$c/record.$2" "$c/$3.accesses" >"$c/$3.diff" 2>&1; then
    pass "$1: QEMU's record equals the trace ($(wc -l <"$c/$3.accesses") accesses)"
  else
    fail "$1: QEMU's record equals the trace" "$(head -n 12 "$c/$3.diff")" \
      "(QEMU < > trace; all in $c/$3.diff)"
  fi
}

# no_traffic WHAT CASE-NUMBER: QEMU saw no access to the card or the port.
no_traffic() {
  local f=$dir/cases/record.$2
  if [ ! -f "$f" ]; then fail "$1: no port touched" "no record of the case"
  else check "$1: no port touched" "$(head -n 3 "$f")" ""; fi
}

code() { cat "$dir/cases/$1.code" 2>/dev/null; }

# A raw image whose bytes need bits set: the write erases, programs them
# and fails to verify, since the data lines read 0.
mkdir -p build/vm/backend
printf '\x02\x00\x3B\xE4' >build/vm/backend/image.bin

# -- one card at C000 and the parallel port at 378
T="$tarnwick --trace $root/build/vm/backend/card-and-port/cases"
boot card-and-port -- "
ports root $tarnwick ports
signature root $T/signature.trace signature
write root $T/write.trace --force write $root/build/vm/backend/image.bin
refused nobody $tarnwick --rtl-base c000 --epp-port 378 signature
"
c=$dir/cases
check "ports: exit code" "$(code ports)" 0
has "ports: the card" "$c/ports.out" "10ec:8139  I/O base c000"
has "ports: the parallel port" "$c/ports.out" "parport0  data register 378"
check "ports: start.ini" "$(tail -n 3 "$c/ports.out")" \
  "$(printf '[TARNWICK]\nRTL8139ADDR=c000;\nEPPADDR=378;')"
no_traffic "ports" 1
check "signature: exit code (no chip answers)" "$(code signature)" 3
has "signature: the ports found" "$c/signature.err" \
  "using the RTL8139 at I/O C000 and the parallel port at 378"
has "signature: no chip" "$c/signature.err" "no chip answers"
same_traffic "signature" 2 signature
check "forced write: exit code (the chip does not verify)" "$(code write)" 1
same_traffic "forced write" 3 write
check "as nobody: exit code" "$(code refused)" 3
has "as nobody: the reason" "$c/refused.err" \
  "port access was refused: The kernel refused direct port I/O (ioperm: Operation not permitted). Run as root (or give the program CAP_SYS_RAWIO)."
no_traffic "as nobody" 4

# -- two cards
boot two-cards --cards 2 -- "
signature root $tarnwick signature
"
c=$dir/cases
check "two cards: exit code" "$(code signature)" 3
has "two cards: the reason" "$c/signature.err" "2 RTL8139 cards found; choose one with --rtl-base"
check "two cards: both listed" "$(grep -c '10ec:8139  I/O base' "$c/signature.err")" 2
no_traffic "two cards" 1

# -- no parallel port
boot no-port --no-parallel -- "
signature root $tarnwick signature
"
c=$dir/cases
check "no port: exit code" "$(code signature)" 3
has "no port: the reason" "$c/signature.err" "no parallel port found"
has "no port: the listing" "$c/signature.err" "10ec:8139  I/O base c000"
no_traffic "no port" 1

# -- a checkout under /tmp, which the guest has a fresh tmpfs of its own on:
# the machine's scripts and kernel copied into one there, which runs a
# command in its folder that reads the checkout and writes its build
# folder, while the host's other files under /tmp stay out of sight.
tmp=$(mktemp -d /tmp/tarnwick-vm-test.XXXXXX)
trap 'rm -rf "$tmp"' EXIT
x=$tmp/checkout
mkdir -p "$x/tools/vm" "$x/build/vm"
cp tools/vm.sh "$x/tools/"
cp tools/vm/init "$x/tools/vm/"
cp -a build/vm/kernel "$x/build/vm/"
[ ! -f build/vm/accel ] || cp build/vm/accel "$x/build/vm/"
echo "the host's" >"$tmp/outside"
echo "== vm-tests: checkout-in-tmp ($x)"
out=$(cd "$x" && tools/vm.sh --no-record --timeout 600 -- bash -c '
  pwd; head -n 1 tools/vm/init; echo written >build/from-guest
  [ -e ../outside ] && echo "sees the host'"'"'s /tmp" || echo "its own /tmp"' 2>&1)
check "checkout under /tmp: the command ran in it" "$out" \
  "$(printf '%s\n#!/bin/sh\nits own /tmp' "$x")"
check "checkout under /tmp: the build folder written" \
  "$(cat "$x/build/from-guest" 2>&1)" written

# -- two cards and two parallel ports: two boards in one tarnwick, side by
# side, each on its own thread with only its own ports opened to it
cat >build/vm/backend/two-boards.sh <<'EOF'
# In the guest: the boards file `ports` suggests, then a forced write on
# every board of it at once, each board traced into its own file.
set -e
tarnwick=$1 out=$2 image=$3
"$tarnwick" ports | sed '1,/^No start.ini to suggest/d' >"$out/boards.ini"
exec "$tarnwick" --boards "$out/boards.ini" --board all \
  --trace "$out/{board}.trace" --force write "$image"
EOF
boot two-boards --cards 2 --parallel 2 -- "
boards root bash $root/build/vm/backend/two-boards.sh $tarnwick $root/build/vm/backend/two-boards/cases $root/build/vm/backend/image.bin
"
c=$dir/cases
check "two boards: exit code (neither chip verifies)" "$(code boards)" 1
has "two boards: both said" "$c/boards.out" "write on 2 boards: board1 exit 1, board2 exit 1"
# Each board's accesses in QEMU's record (its card's four register ports
# and its parallel port) equal its trace; none reaches another port.
boards=$(awk -F' *= *' '/^\[/ { gsub(/[][]/, ""); name = $0 }
  $1 == "rtl-base" { rtl = $2 } $1 == "epp-port" { print name, rtl, $2 }' \
  "$c/boards.ini")
check "two boards: the boards file ports suggests" "$(echo "$boards" | wc -l)" 2
: >"$c/record.mine"
while read -r name rtl epp; do
  ports=$(printf '%X %X %X %X %X' $((0x$rtl + 0xD4)) $((0x$rtl + 0xD5)) \
    $((0x$rtl + 0xD6)) $((0x$rtl + 0xD7)) $((0x$epp)))
  awk -v ports=" $ports " 'index(ports, " " $2 " ")' "$c/record.1" \
    >"$c/record.$name"
  cat "$c/record.$name" >>"$c/record.mine"
  same_traffic "two boards: $name ($rtl, $epp)" "$name" "$name"
done <<<"$boards"
check "two boards: no access beyond the boards' ports" \
  "$(wc -l <"$c/record.mine")" "$(wc -l <"$c/record.1")"
# How often the record turns from one board's card to the other's: the
# threads ran at once.
turns=$(grep -E '^(out|in) C[0-9A-F]D[4-7] ' "$c/record.1" |
  awk '{ card = substr($2, 1, length($2) - 2) }
    card != last && last != "" { n++ } { last = card } END { print n + 0 }')
echo "two boards: QEMU's record turns from one card to the other $turns times"

echo "vm-tests: $passed passed, $failed failed"
[ $failed -eq 0 ]
