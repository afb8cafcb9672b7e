#!/bin/bash
# Runs a Windows build's Wine tests inside the test virtual machine
# (tools/vm.sh), whose kernel runs 32-bit programs where this machine's may
# not. The guest's Wine prefix is its own, build/vm/wine, made on first use
# (5-7 minutes under software emulation) and kept.
#
#   wine-tests.sh BUILD_DIR [CTEST OPTIONS...]
set -uo pipefail
if ! grep -q 'tarnwick_run=' /proc/cmdline; then
  echo "wine-tests: runs in the test virtual machine only (tools/vm-wine.sh)" >&2
  exit 125
fi
root="$(cd "$(dirname "$0")/../.." && pwd)"
build=$1
shift
export TARNWICK_WINE_DIR=$root/build/vm/wine
# Every bound of the Wine session and of the tests' own runs ten times
# longer under software emulation, where the guest is 10-20 times slower
# than this machine and more when the machine is busy; ctest's limits are
# ten times the tests' (tarnwick_wine_test in CMakeLists.txt).
case " $(cat /proc/cmdline) " in
  *" tarnwick_accel=tcg "*) export TARNWICK_WINE_TIME_SCALE=10 ;;
  *) export TARNWICK_WINE_TIME_SCALE=2 ;;
esac

. "$root/tools/wine-env.sh"
start=$SECONDS
if ! wine_env_host_32bit; then
  echo "wine-tests: $TARNWICK_HOST_32BIT_WHY" >&2
  exit 1
fi
# The prefix first, so that no test's time limit pays for it.
trap wine_env_teardown EXIT
wine_env_setup "$TARNWICK_WINE_DIR" || exit 1
wine_env_teardown
echo "wine-tests: Wine ready in $((SECONDS - start)) s (bounds times $TARNWICK_WINE_TIME_SCALE)"
start=$SECONDS
ctest --test-dir "$build" --output-on-failure "$@"
code=$?
echo "wine-tests: tests took $((SECONDS - start)) s"
exit $code
