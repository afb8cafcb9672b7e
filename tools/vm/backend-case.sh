#!/bin/bash
# Runs one command of the real-port tests inside the test virtual machine
# (tools/vm.sh) and nowhere else: the commands it runs drive I/O ports.
#
#   backend-case.sh OUT NAME USER COMMAND [ARG...]
#
# Runs COMMAND as USER (root, or nobody with no capabilities), its output
# into OUT/NAME.out and OUT/NAME.err and its exit code into OUT/NAME.code.
# Before and after it writes a marker byte (B0, then E0) to port 3E0, where
# the virtual machine has no device: QEMU's record of port accesses then
# shows where this command's accesses begin and end.
set -u
if ! grep -q 'tarnwick_run=' /proc/cmdline; then
  echo "backend-case: not in the test virtual machine (tools/vm.sh):" \
    "refusing to touch I/O ports" >&2
  exit 125
fi
out=$1 name=$2 user=$3
shift 3

mark() {  # one byte to port 3E0 through /dev/port
  printf "\\$(printf %o "$1")" |
    dd of=/dev/port bs=1 seek=$((0x3E0)) count=1 status=none
}

mark 0xB0 || exit 125
case $user in
  root) "$@" ;;
  nobody) setpriv --reuid=nobody --regid=nogroup --clear-groups \
    --inh-caps=-all --bounding-set=-all "$@" ;;
  *) echo "backend-case: user root or nobody" >&2; false ;;
esac >"$out/$name.out" 2>"$out/$name.err"
echo $? >"$out/$name.code"
mark 0xE0 || exit 125
