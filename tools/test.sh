#!/usr/bin/env bash
# Installs whatever the build and the tests need, builds every configuration
# and runs every test: the native core tests, the same under AddressSanitizer
# and UndefinedBehaviorSanitizer, a minute of each fuzz target, the
# 32-bit and 64-bit Windows programs under Wine, and the packages a user
# installs (tools/package.sh, then tools/package-test.sh).
#
# On a machine whose kernel runs no 32-bit programs the 32-bit program is
# still built and checked without running it; its run-time tests are
# reported as skipped, and the last lines say which did not run and why.
# There the command-line smoke test and the dialog test run in the test
# virtual machine (tools/vm.sh), whose kernel runs them; so does a check of
# the Linux port backend against a real kernel (tools/vm-tests.sh).
# Whether 32-bit programs run is decided by the kernel's answer to
# executing Wine's 32-bit loader (tools/wine-env.sh, tested first by
# tools/wine-env-test.sh). To take that path on a machine that runs them,
# name a file the kernel refuses as that loader (TARNWICK_WINE_LOADER32,
# see README.md), or set TARNWICK_HOST_32BIT=no to skip the check.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh

jobs=$(nproc)
# The native tests' scratch folders (GoogleTest's TempDir) in this
# checkout's build folder: two checkouts testing at once share none.
export TEST_TMPDIR="$PWD/build/test-tmp"
mkdir -p "$TEST_TMPDIR"
echo "== wine-env: what it decides before Wine runs"
tools/wine-env-test.sh
# One Wine prefix serves both Windows builds.
export TARNWICK_WINE_DIR="$PWD/build/wine"
# Whether 32-bit programs run here, checked once for every test below.
. tools/wine-env.sh
wine_env_host_32bit || echo "== note: $TARNWICK_HOST_32BIT_WHY"

for preset in native asan; do
  echo "== $preset: build and test"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
done

tools/fuzz.sh 60

# The Linux port backend against a real kernel, in a virtual machine.
echo "== vm: the real port backend in a virtual machine"
tools/vm-tests.sh

# Both Windows builds first: the 32-bit build's tests compare its program
# with the 64-bit one.
for preset in win64 win32; do
  echo "== $preset: build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done
summary=()
# Native tests that skip themselves say why (gui_e2e until tarnwick --json).
while IFS= read -r why; do summary+=("native: $why"); done < <(
  grep -h '^skipped: ' build/native/Testing/Temporary/LastTest.log || true)
for preset in win64 win32; do
  echo "== $preset: test under Wine"
  log="build/$preset/ctest-wine.log"
  ctest --test-dir "build/$preset" --output-on-failure 2>&1 | tee "$log"
  skipped=$(sed -n 's/^[[:space:]]*[0-9]* - \([^ ]*\) (Skipped)$/\1/p' "$log" | xargs)
  if [ -z "$skipped" ]; then
    summary+=("$preset: every test ran, under Wine on this machine")
  elif [ "$preset" = win32 ] && ! wine_env_host_32bit; then
    # The virtual machine's kernel runs 32-bit programs. Under software
    # emulation all of its tests would take this command past half an
    # hour, so it runs two here; tools/vm-wine.sh win32 runs them all.
    in_vm="cli_smoke dialog_e2e" rest=""
    for t in $skipped; do [[ " $in_vm " == *" $t "* ]] || rest+=" $t"; done
    echo "== $preset: $in_vm in the virtual machine"
    # shellcheck disable=SC2086  # test names
    tools/vm-wine.sh "$preset" $in_vm
    summary+=("$preset: in the virtual machine: $in_vm (here: $TARNWICK_HOST_32BIT_WHY); not run:${rest:- none}, too slow under emulation for this command (tools/vm-wine.sh win32 runs them); its checks that need no running ran here")
  else
    summary+=("$preset: did not run: $skipped: ${TARNWICK_HOST_32BIT_WHY:-see $log}")
  fi
done

# The packages a user installs (tools/package.sh), tested as a user meets
# them: the .deb in a throwaway Debian root, the zips unpacked under Wine.
echo "== packages: build and test"
tools/package.sh
tools/package-test.sh

echo "== all tests passed"
printf '== %s\n' "${summary[@]}"
