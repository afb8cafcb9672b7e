#!/bin/bash
# Checks that two builds of the desktop program carry the same resources:
# every resource (type, name, language) of one is in the other with the
# same bytes. Needs wrestool (icoutils).
#
#   resources_match.sh REFERENCE_EXE EXE
set -u
ref=$1 exe=$2
if [ ! -f "$ref" ]; then
  echo "missing $ref: build it first (the other Windows preset)"
  exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for side in ref exe; do
  mkdir "$work/$side"
  if ! wrestool -x --raw -o "$work/$side" "${!side}"; then
    echo "wrestool could not read ${!side}"
    exit 1
  fi
done
count=$(find "$work/ref" -type f | wc -l)
if [ "$count" -eq 0 ]; then
  echo "no resources found in $ref"
  exit 1
fi
# Output names hold the program's name; compare the resources alone.
for side in ref exe; do
  (cd "$work/$side" && for f in *; do mv "$f" "${f#*.exe_}"; done)
done
if ! diff -r "$work/ref" "$work/exe"; then
  echo "the resources of $exe differ from those of $ref"
  exit 1
fi
echo "$count resources, the same in both"
