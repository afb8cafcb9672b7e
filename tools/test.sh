#!/usr/bin/env bash
# Installs whatever the build and the tests need, builds every configuration
# and runs every test: the native core tests, the same under AddressSanitizer
# and UndefinedBehaviorSanitizer, a minute of each fuzz target, and the
# 32-bit and 64-bit Windows programs under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh

jobs=$(nproc)
# One Wine prefix serves both Windows builds.
export TARNWICK_WINE_DIR="$PWD/build/wine"
for preset in native asan; do
  echo "== $preset: build and test"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
done

tools/fuzz.sh 60

for preset in win32 win64; do
  echo "== $preset: build and test under Wine"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --test-dir "build/$preset" --output-on-failure
done
echo "== all tests passed"
