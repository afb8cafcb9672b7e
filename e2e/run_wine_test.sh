#!/bin/bash
# Runs a Windows test program under Wine, once per argument, in a fresh
# folder holding copies of the given files (the program first), so that no
# test sees another's board files. The folder's name is Chinese, which puts
# the program's own path through the GBK conversions.
#
#   run_wine_test.sh BUILD_DIR NAME CODEPAGE PROGRAM [FILE...] -- ARG...
#
# CODEPAGE is the ANSI code page to run with (936 or 1252). Each run must end
# with a "N passed, N failed" line and exit 0; the last line printed here
# sums the runs the same way. The Wine prefix lives in BUILD_DIR/wine unless
# TARNWICK_WINE_DIR names another directory.
set -u

build=$1 name=$2 codepage=$3
shift 3
files=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
  files+=("$1")
  shift
done
shift # the --

. "$(dirname "$0")/../tools/wine-env.sh"
if ! wine_env_setup "${TARNWICK_WINE_DIR:-$build/wine}"; then
  echo "0 passed, 1 failed"
  exit 1
fi
trap wine_env_teardown EXIT

root="$build/e2e-runs/$name"
dir="$root/测试板"
rm -rf "$root"
mkdir -p "$dir"
cp "${files[@]}" "$dir/"
program="$dir/$(basename "${files[0]}")"

passed=0 failed=0
for arg in "$@"; do
  p=0 f=0
  out=$(wine_run "$codepage" 120 "$program" "$arg")
  rc=$?
  out=${out//$'\r'/}
  echo "$out"
  summary=$(echo "$out" | grep -E '^[0-9]+ passed, [0-9]+ failed$' | tail -n 1)
  if [ -n "$summary" ]; then
    read -r p _ f _ <<<"$summary"
    passed=$((passed + p))
    failed=$((failed + f))
  fi
  if [ $rc -ne 0 ] && [ "$f" -eq 0 ]; then
    echo "[  FAILED  ] $(basename "$program") $arg exited with $rc" \
      "$([ $rc -eq 124 ] && echo '(timed out)')"
    failed=$((failed + 1))
  fi
done
echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
