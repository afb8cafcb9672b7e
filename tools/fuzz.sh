#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, ASan and UBSan; preset `fuzz`)
# and runs each for SECONDS (default 60) from its seed corpus. Fails on any
# crash, hang (10 s for one input), leak or sanitizer report; the input at
# fault is kept in build/fuzz/findings/ and the run's log beside it.
#
#   tools/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
case $seconds in
  '' | *[!0-9]*) echo "usage: tools/fuzz.sh [SECONDS]" >&2; exit 2 ;;
esac

# target binary (under build/fuzz) and its committed seed corpus
targets=(
  "image/intel_hex_fuzz image/fuzz_corpus"
  "config/port_config_fuzz config/fuzz_corpus"
)

echo "== fuzz: build"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

findings="$PWD/build/fuzz/findings"
rm -rf "$findings"
mkdir -p "$findings"
# libFuzzer adds what it finds to the corpus it is given: a copy, so that
# the committed seeds stay as they are.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failed=0
for entry in "${targets[@]}"; do
  read -r binary seeds <<<"$entry"
  name=$(basename "$binary")
  corpus="$work/$name"
  mkdir -p "$corpus"
  cp "$seeds"/* "$corpus"/
  log="$findings/$name.log"
  echo "== fuzz: $name for ${seconds} s"
  if "build/fuzz/$binary" "$corpus" -max_total_time="$seconds" -timeout=10 \
      -artifact_prefix="$findings/$name-" -print_final_stats=1 \
      >"$log" 2>&1; then
    grep -E '^Done [0-9]+ runs' "$log" || true
  else
    echo "fuzz: $name FAILED; the end of $log:" >&2
    tail -n 40 "$log" >&2
    failed=1
  fi
done
if [ $failed -ne 0 ]; then
  echo "== fuzz: failures; inputs in $findings" >&2
  exit 1
fi
echo "== fuzz: no findings"
