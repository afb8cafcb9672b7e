#!/usr/bin/env bash
# Builds the 32-bit Windows program and runs it under Wine on the simulated
# board (the WINIO.dll beside it); the 64-bit one where this machine runs no
# 32-bit programs. The board keeps its chip in simchip.bin
# and its settings in simboard.ini, in the same folder as the program.
# With no X display at hand, the program runs on a virtual one and a
# screenshot of it is saved; Ctrl-C ends it.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh
. tools/wine-env.sh
preset=win32
if ! wine_env_host_32bit; then
  preset=win64
  echo "Running the 64-bit program: $TARNWICK_HOST_32BIT_WHY."
fi
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"

had_display=no
wine_env_display_ok && had_display=yes
trap wine_env_teardown EXIT
trap "exit 130" INT TERM
wine_env_setup "$PWD/build/wine"

dist="$PWD/build/$preset/dist"
echo "Program folder: $dist"
cd "$dist"
# Wine's own desktop window gives the dialog a frame and caption even when
# no window manager runs.
wine_run 936 0 explorer /desktop=Tarnwick,700x480 Tarnwick.exe &
program=$!
if [ "$had_display" = no ]; then
  echo "No X display: Tarnwick runs on a virtual display ($DISPLAY)."
  # The screenshot once its window shows in Wine's desktop.
  shown=no deadline=$((SECONDS + 120))
  while [ $SECONDS -lt $deadline ] && kill -0 "$program" 2>/dev/null; do
    if xwininfo -root -tree 2>/dev/null |
      grep -F '"Tarnwick": ("tarnwick.exe"' >/dev/null; then
      shown=yes
      break
    fi
    sleep 0.5
  done
  if [ $shown = yes ]; then
    sleep 1  # for it to finish painting: a picture, not a test
    wine_env_screenshot "$dist/screen.png" || true
    echo "Screenshot: $dist/screen.png. Press Ctrl-C to end it."
  else
    echo "Its window did not show within 2 minutes." >&2
  fi
fi
wait "$program" || true
