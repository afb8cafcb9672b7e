#!/bin/bash
# Checks that the program imports from WINIO.dll, and the simulated
# WINIO.dll exports, exactly the four plain names of the port-access API
# (no stdcall decoration), so that any WINIO.dll offering that API can stand
# beside the program.
#
#   winio_names.sh OBJDUMP PROGRAM DLL
set -u
objdump=$1 program=$2 dll=$3
want="GetPortVal InitializeWinIo SetPortVal ShutdownWinIo"
imports=$("$objdump" -p "$program" | awk '
  /DLL Name:/ { from_winio = ($3 == "WINIO.dll") }
  from_winio && NF == 3 && $2 ~ /^[0-9]+$/ { print $3 }' | sort | xargs)
exports=$("$objdump" -p "$dll" | awk '
  /\[Ordinal\/Name Pointer\] Table/ { table = 1; next }
  table && NF == 0 { table = 0 }
  table { print $3 }' | sort | xargs)
echo "imported from WINIO.dll: $imports"
echo "exported by WINIO.dll:   $exports"
[ "$imports" = "$want" ] && [ "$exports" = "$want" ] || {
  echo "want: $want"
  exit 1
}
