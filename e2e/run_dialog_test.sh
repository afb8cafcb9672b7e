#!/bin/bash
# Runs a driver program (dialog_e2e, jobs_e2e) under Wine against the
# program in DIST, inside a Wine virtual desktop so that windows have frames
# and captions.
#
#   run_dialog_test.sh BUILD_DIR NAME CODEPAGE DRIVER DIST
#
# Case folders go to BUILD_DIR/e2e-runs/NAME, pictures (PNG) to
# BUILD_DIR/e2e-screens/NAME. The driver's exit code does not come through
# the desktop process, so its last line decides: it must read
# "N passed, 0 failed" with N above 0. The Wine prefix lives in
# BUILD_DIR/wine unless TARNWICK_WINE_DIR names another directory.
set -u

build=$1 name=$2 codepage=$3 driver=$4 dist=$5

. "$(dirname "$0")/../tools/wine-env.sh"
wine_env_skip_unless_runs "${TARNWICK_PE_BITS:?32 or 64, set by ctest}"
trap wine_env_teardown EXIT
if ! wine_env_setup "${TARNWICK_WINE_DIR:-$build/wine}"; then
  echo "0 passed, 1 failed"
  exit 1
fi

work="$build/e2e-runs/$name"
screens="$build/e2e-screens/$name"
rm -rf "$work" "$screens"
mkdir -p "$work" "$screens"

out=$(wine_run "$codepage" 300 explorer "/desktop=tarnwick-e2e,1024x768" \
  "$driver" "$(wine_path "$dist")" "$(wine_path "$work")" \
  "$(wine_path "$screens")" "$codepage" 2>"$work/stderr.txt")
rc=$?
out=${out//$'\r'/}
echo "$out"

for bmp in "$screens"/*.bmp; do
  [ -e "$bmp" ] || continue
  if convert "$bmp" "${bmp%.bmp}.png"; then
    rm -f "$bmp"
    echo "picture: ${bmp%.bmp}.png"
  fi
done

summary=$(echo "$out" | grep -E '^[0-9]+ passed, [0-9]+ failed$' | tail -n 1)
if [ -z "$summary" ]; then
  echo "no summary line from the driver (exit code $rc$([ $rc -eq 124 ] &&
    echo ', timed out')); its stderr:"
  tail -n 20 "$work/stderr.txt"
  exit 1
fi
read -r p _ f _ <<<"$summary"
[ "$p" -gt 0 ] && [ "$f" -eq 0 ]
