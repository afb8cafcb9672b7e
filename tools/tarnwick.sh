#!/usr/bin/env bash
# Builds the command-line programmer natively (installing what is missing)
# and runs it with the arguments given, e.g.
#   tools/tarnwick.sh --sim board signature
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
(
  cd "$root"
  tools/install-deps.sh >/dev/null
  cmake --preset native >/dev/null
  cmake --build --preset native --target tarnwick >/dev/null
)
exec "$root/build/native/cli/tarnwick" "$@"
