#!/usr/bin/env bash
# Runs a Windows build's Wine tests in the test virtual machine
# (tools/vm.sh), whose kernel runs 32-bit programs: for machines whose own
# kernel runs none. The build must be made first (tools/test.sh makes it).
#
#   tools/vm-wine.sh PRESET [TEST...]
#
# Without TEST names, every test of build/PRESET; with them, just those. The guest's Wine prefix (build/vm/wine) is made on first use
# and kept. The run's files are in build/vm/wine-PRESET/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
preset=${1:?usage: tools/vm-wine.sh PRESET [TEST...]}
shift
[ -f "build/$preset/CTestTestfile.cmake" ] ||
  { echo "vm-wine: build/$preset is not built" >&2; exit 2; }
select=()
if [ $# -gt 0 ]; then
  regex=$(printf '|%s' "$@")
  select=(-R "^(${regex:1})\$")
fi
exec tools/vm.sh --dir "build/vm/wine-$preset" --no-record --memory 3072 \
  --timeout 5400 -- bash tools/vm/wine-tests.sh "build/$preset" "${select[@]}"
