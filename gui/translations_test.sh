#!/usr/bin/env bash
# Every text the program shows has its Chinese translation: lupdate, run
# over the program's sources into a copy of the .ts file, finds no text
# that is new or unfinished there (translations/README says how to add one).
#
#   translations_test.sh LUPDATE SOURCE_DIR TS_FILE
set -euo pipefail
lupdate=$1 src=$2 ts=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$ts" "$work/copy.ts"
mapfile -t sources < <(find "$src" -maxdepth 1 \( -name '*.cpp' -o -name '*.h' \) \
  ! -name '*_test.cpp' | sort)
"$lupdate" -no-obsolete -locations none "${sources[@]}" -ts "$work/copy.ts" \
  >"$work/lupdate.log" 2>&1 || { cat "$work/lupdate.log"; exit 1; }
if grep -q 'type="unfinished"' "$work/copy.ts"; then
  echo "texts without a translation in $ts:"
  grep -B2 'type="unfinished"' "$work/copy.ts" | grep '<source>' | sed 's/^ */  /'
  exit 1
fi
texts=$(grep -c '<source>' "$work/copy.ts")
[ "$texts" -gt 100 ] || { echo "only $texts texts found: is lupdate reading the sources?"; exit 1; }
echo "all $texts texts translated"
