#!/bin/bash
# The Windows build of the command line under Wine, on real ports through
# its port-access libraries (the simulated ones: the board in the library's
# folder): which library it takes, the simulated InpOut DLL driving a whole
# write and a selftest, --port-library, and a library whose driver does not
# start, which is told as such.
#
#   port_library_test.sh BUILD_DIR DIST INPOUT_DLL
set -u
build=$1 dist=$2 inpout=$3

. "$(dirname "$0")/../tools/wine-env.sh"
wine_env_skip_unless_runs "${TARNWICK_PE_BITS:?32 or 64, set by ctest}"
wine_env_setup "${TARNWICK_WINE_DIR:-$build/wine}" || exit 1
trap wine_env_teardown EXIT

root="$build/port-library-test"
rm -rf "$root"
inpout_name=$(basename "$inpout")
passed=0 failed=0
check() {  # check WHAT CONDITION...
  local what=$1
  shift
  if "$@"; then passed=$((passed + 1)); else
    echo "FAILED: $what (exit $code)"; echo "$out" | sed 's/^/  | /'
    failed=$((failed + 1)); fi
}
has() { [[ $out == *"$1"* ]]; }
lacks() { [[ $out != *"$1"* ]]; }
# folder NAME FILE...: a folder with the program and FILEs.
folder() {
  mkdir -p "$root/$1"
  cp "$dist/tarnwick-cli.exe" "${@:2}" "$root/$1/"
  echo "$root/$1"
}
# run DIR ARG...: sets code and out (standard output and error).
run() {
  local dir=$1
  shift
  (cd "$dir" && wine_run 1252 60 ./tarnwick-cli.exe "$@" >"$root/out" 2>&1)
  code=$?
  out=$(tr -d '\r' <"$root/out")
}

none=$(folder none)
run "$none" signature
check "no library: exit 3" [ $code -eq 3 ]
check "no library: what was looked for" has "(looked for WINIO.dll and $inpout_name)"
check "no library: where to get them" has "https://www.highrez.co.uk/"

inpout_dir=$(folder inpout "$inpout")
printf 'trace = board.txt\n' >"$inpout_dir/simboard.ini"
run "$inpout_dir" signature
check "signature through InpOut" has "$(printf '30H=1E,\t31H=51,\t32H=FF')"
check "the library named" has "$inpout_name (InpOut)"
printf ':0300000002003BC0\r\n:04003B00E4F5A02226\r\n:00000001FF\r\n' \
  >"$inpout_dir/fw.hex"
run "$inpout_dir" write fw.hex -q
check "write through InpOut" [ $code -eq 0 ]
{ printf '\x02\x00\x3B'; head -c $((0x3B - 3)) /dev/zero | tr '\0' '\377'
  printf '\xE4\xF5\xA0\x22'; head -c $((4096 - 0x3F)) /dev/zero | tr '\0' '\377'
} >"$root/want.bin"
check "the chip beside the library" cmp -s "$inpout_dir/simchip.bin" "$root/want.bin"
run "$inpout_dir" verify fw.hex
check "verify through InpOut" has "verify: 4096 bytes compared, 0 differ"
# Each run opened port access and released it (the library unloaded).
opens=$(grep -c '  open$' "$inpout_dir/board.txt")
closes=$(grep -c '  close$' "$inpout_dir/board.txt")
check "port access released by each run ($opens opened, $closes closed)" \
  [ "$opens $closes" = "3 3" ]
printf 'chip = absent\n' >"$inpout_dir/simboard.ini"
run "$inpout_dir" selftest --hold 0
check "selftest through InpOut" has "all 8 data lines read back as driven"

both=$(folder both "$dist/WINIO.dll" "$inpout")
run "$both" signature
check "WINIO.dll first" has "WINIO.dll (WinIo)"
run "$both" signature --port-library "$inpout_name"
check "--port-library $inpout_name" has "$inpout_name (InpOut)"
run "$both" signature --port-library nothere.dll
check "--port-library of a missing file" has "no library "
run "$both" signature --port-library 'C:\windows\system32\version.dll'
check "--port-library of another DLL" has "offers neither the WinIo functions"

printf 'driver = fails\n' >"$both/simboard.ini"
run "$both" signature
check "WinIo's driver not started: exit 3" [ $code -eq 3 ]
check "WinIo's driver not started, told" \
  has "WINIO.dll loaded, but its driver did not start (InitializeWinIo failed)"
check "WinIo's driver not started, no refusal" lacks "refused"
run "$both" signature --port-library "$inpout_name"
check "InpOut's driver not started, told" \
  has "$inpout_name loaded, but its driver did not start (IsInpOutDriverOpen is false)"
check "InpOut's driver not started, no refusal" lacks "refused"

echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
