#!/bin/bash
# The command line loads its port-access library at run time: it imports
# from none (so that it starts without one), it looks up WinIo's four
# functions, and every InpOut name it looks up is exported under that
# plain name (no stdcall decoration) by the simulated InpOut DLL, which
# exports InpOut's functions and nothing else.
#
#   port_library_names.sh OBJDUMP PROGRAM INPOUT_DLL
set -u
objdump=$1 program=$2 dll=$3
want="DlPortReadPortUchar DlPortReadPortUlong DlPortReadPortUshort
  DlPortWritePortUchar DlPortWritePortUlong DlPortWritePortUshort Inp32
  IsInpOutDriverOpen IsXP64Bit Out32"
want=$(echo $want)
failed=0
fail() { echo "FAILED: $*"; failed=1; }

imports=$("$objdump" -p "$program" |
  awk '/DLL Name:/ { print tolower($3) }' | sort | xargs)
echo "the program imports from: $imports"
for library in winio.dll inpout32.dll inpoutx64.dll; do
  case " $imports " in *" $library "*) fail "it imports from $library" ;; esac
done

exports=$("$objdump" -p "$dll" | awk '
  /\[Ordinal\/Name Pointer\] Table/ { table = 1; next }
  table && NF == 0 { table = 0 }
  table { print $3 }' | sort | xargs)
echo "exported by $(basename "$dll"): $exports"
[ "$exports" = "$want" ] || fail "want exactly: $want"

looked_up=$(grep -a -o -E \
  'DlPort[A-Za-z]+|Inp32|Out32|IsInpOutDriverOpen|IsXP64Bit' "$program" |
  sort -u | xargs)
echo "InpOut names in the program: $looked_up"
for name in IsInpOutDriverOpen DlPortWritePortUlong; do
  case " $looked_up " in *" $name "*) ;; *) fail "it does not look up $name" ;; esac
done
for name in $looked_up; do
  case " $exports " in *" $name "*) ;; *) fail "$name is not exported" ;; esac
done
for name in InitializeWinIo ShutdownWinIo GetPortVal SetPortVal; do
  grep -q -a -F "$name" "$program" || fail "it does not look up $name"
done
[ $failed -eq 0 ]
