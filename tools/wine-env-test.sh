#!/usr/bin/env bash
# Tests what tools/wine-env.sh decides before any Windows program runs, on
# any machine, with stand-ins for Wine's loaders:
#
#   - whether this machine runs 32-bit programs, from the kernel's answer
#     to executing the 32-bit loader: an ELF file for another machine (ARM)
#     and a text file without "#!" are refused by every x86 kernel
#     (ENOEXEC; a shell, or anything that starts programs with execvp, would
#     run the text file as a script); a loader that runs says yes, also one
#     that fails printing "Exec format error"; a missing one is reported;
#   - a prefix the 64-bit loader made is kept unless the 32-bit loader runs,
#     and a step of making a prefix that fails is named, with its output.
#
#   tools/wine-env-test.sh        (a few seconds; run by tools/test.sh)
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
work=$root/build/wine-env-test
rm -rf "$work" && mkdir -p "$work/bin"

passed=0 failed=0
check() {  # check WHAT GOT WANT
  if [ "$2" = "$3" ]; then echo "ok: $1"; passed=$((passed + 1)); else
    echo "FAILED: $1"; echo "  got:  $2"; echo "  want: $3"
    failed=$((failed + 1)); fi
}
check_has() {  # check_has WHAT TEXT PIECE
  case $2 in
    *"$3"*) echo "ok: $1"; passed=$((passed + 1)) ;;
    *) echo "FAILED: $1"; echo "  no \"$3\" in:"; echo "$2" | sed 's/^/    /'
      failed=$((failed + 1)) ;;
  esac
}

# Stand-ins for the 32-bit loader, each started with --version.
loaders=$work/loaders
mkdir -p "$loaders"
# An ELF header for 32-bit ARM (e_machine 0x28); its byte 8 is not 0 so
# that no binfmt_misc emulator claims it.
printf '\177ELF\1\1\1\0\1\0\0\0\0\0\0\0\2\0\50\0\1\0\0\0' >"$loaders/arm-elf"
printf 'echo wine-8.0\n' >"$loaders/no-hash-bang"
printf '#!/bin/sh\necho wine-8.0\n' >"$loaders/runs"
printf '#!/bin/sh\necho "$0: Exec format error" >&2\nexit 126\n' \
  >"$loaders/says-exec-format-error"
printf '#!/bin/sh\ntouch "%s/started"\n' "$work" >"$loaders/leaves-a-mark"
chmod 755 "$loaders"/*

# decide LOADER [VAR=VALUE...]: the check's answer in a fresh shell, as
# "ANSWER | REASON | WHAT IT SAID ON STDERR".
decide() {
  local loader=$1
  shift
  env -u TARNWICK_HOST_32BIT -u TARNWICK_HOST_32BIT_WHY \
    TARNWICK_WINE_LOADER32="$loader" "$@" bash -c '
    set -euo pipefail
    . "$1/tools/wine-env.sh"
    wine_env_host_32bit && answer=yes || answer=no
    echo "$answer | $TARNWICK_HOST_32BIT_WHY | "' _ "$root" \
    </dev/null 2>"$work/stderr"
  tr '\n' ' ' <"$work/stderr" | sed 's/ $//'
}

echo "== wine-env-test: whether 32-bit programs run"
# What the loader is | the file | the answer | what the reason or the report
# says ("-": nothing is said)
while IFS='|' read -r what loader answer said; do
  got=$(decide "$loader")
  check "$what: $answer" "${got%% *}" "$answer"
  if [ "$said" = - ]; then check "$what: nothing said" "$got" "$answer |  | "
  else check_has "$what: said" "$got" "$said"; fi
done <<EOF
an ELF file for ARM|$loaders/arm-elf|no|it refuses to execute $loaders/arm-elf: ENOEXEC
a text file without #!, which a shell would run|$loaders/no-hash-bang|no|: ENOEXEC
a loader that runs|$loaders/runs|yes|-
a loader that runs, prints Exec format error, exits 126|$loaders/says-exec-format-error|yes|says-exec-format-error --version: exit 126; its output:
a missing loader|$work/missing|yes|$work/missing is missing
EOF
got=$(decide "$loaders/leaves-a-mark" TARNWICK_HOST_32BIT=no)
check "TARNWICK_HOST_32BIT=no: no, the loader not started" \
  "${got%% *}, $([ -e "$work/started" ] && echo started || echo not started)" \
  "no, not started"
check_has "TARNWICK_HOST_32BIT=no: the reason" "$got" \
  "TARNWICK_HOST_32BIT=no says this machine runs no 32-bit programs"

# A Wine that makes prefixes from stand-ins: `wine wineboot -i` writes a
# file, and fails as Wine does when BOOT says so: "timeout" (Wine's own
# 5-minute wait for the set-up ran out, the set-up goes on) or "fails";
# `wine regedit` fails when FAIL_REGEDIT is set; `wineserver` ends.
cat >"$work/bin/wine" <<'EOF'
#!/bin/sh
case $1 in
  wineboot) [ -d "$WINEPREFIX" ] || exit 2
    echo made >"$WINEPREFIX/system.reg"
    case ${BOOT:-} in
      timeout) echo "0024:err:environ:run_wineboot boot event wait timed out"
        echo "wine: could not load kernel32.dll, status c0000135"; exit 53 ;;
      fails) echo "wine: could not load kernel32.dll, status c0000135"; exit 53 ;;
    esac ;;
  regedit) [ -z "${FAIL_REGEDIT:-}" ] ||
    { echo "err:reg:import_file cannot read $3"; exit 3; } ;;
esac
EOF
printf '#!/bin/sh\n' >"$work/bin/wineserver"
chmod 755 "$work/bin"/*

# prefix LOADER [VAR=VALUE...]: with a prefix made by the 64-bit loader
# alone (complete, without the 32-bit system files), what making the
# session's prefix does: "kept" or "made" or "failed", and what it said.
prefix() {
  local loader=$1 dir=$work/session
  shift
  rm -rf "$dir" && mkdir -p "$dir/prefix"
  echo old >"$dir/prefix/old-file"
  date >"$dir/prefix/.tarnwick-prefix-ready"
  env -u TARNWICK_HOST_32BIT -u TARNWICK_HOST_32BIT_WHY \
    TARNWICK_WINE_LOADER32="$loader" PATH="$work/bin:$PATH" "$@" bash -c '
    set -euo pipefail
    . "$1/tools/wine-env.sh"
    WINE_ENV_DIR=$2 WINE_ENV_WINE=(wine)
    export WINEPREFIX=$2/prefix
    _wine_env_prefix && echo ok || echo failed' _ "$root" "$dir" \
    >"$work/out" 2>"$work/stderr"
  if [ "$(cat "$work/out")" = failed ]; then echo -n failed
  elif [ -f "$dir/prefix/old-file" ]; then echo -n kept
  elif [ -f "$dir/prefix/system.reg" ] && [ -f "$dir/prefix/.tarnwick-prefix-ready" ]
  then echo -n made
  else echo -n "neither kept nor made"; fi
  echo " | $(tr '\n' ' ' <"$work/stderr")"
}

echo "== wine-env-test: a prefix the 64-bit loader made"
got=$(prefix "$loaders/arm-elf")
check "no 32-bit programs: kept" "$got" "kept | "
got=$(prefix "$loaders/says-exec-format-error")
check "a 32-bit loader that fails: kept" "${got%% *}" kept
check_has "a 32-bit loader that fails: said so" "$got" "the prefix is kept"
got=$(prefix "$loaders/runs")
check "a 32-bit loader that runs: made anew" "${got%% *}" made
got=$(prefix "$loaders/runs" BOOT=timeout)
check "Wine's own wait for the set-up runs out: made" "${got%% *}" made
check_has "Wine's own wait for the set-up runs out: said so" "$got" \
  "Wine gave up waiting for the prefix's set-up after 5 minutes"
got=$(prefix "$loaders/runs" BOOT=fails)
check "wineboot fails otherwise: the prefix fails" "${got%% *}" failed
check_has "wineboot fails otherwise: named" "$got" \
  "making the prefix: wineboot -i: failed with exit code 53"
got=$(prefix "$loaders/runs" FAIL_REGEDIT=1)
check "a failing step: the prefix fails" "${got%% *}" failed
check_has "a failing step: named" "$got" \
  "making the prefix: importing the font replacements: failed with exit code 3"
check_has "a failing step: its output shown" "$got" "err:reg:import_file cannot read"

echo "wine-env-test: $passed passed, $failed failed"
[ $failed -eq 0 ]
