# shellcheck shell=bash
# The Wine environment of the end-to-end tests and tools/run.sh. Source it
# from a bash script:
#
#   . tools/wine-env.sh
#   trap wine_env_teardown EXIT                   # stop what setup starts
#   wine_env_setup "$build_dir/wine" || exit 1   # lock, prefix, display
#   wine_run 936 60 "$dir/Tarnwick.exe"           # run under code page 936
#
#   wine_env_host_32bit       true when this machine runs 32-bit programs
#   wine_env_skip_unless_runs BITS   exit 77 (ctest's skip) with the reason
#                             when a BITS-bit program cannot run here
#   wine_env_setup DIR        prepare a session (see there)
#   wine_env_teardown         end it (for `trap ... EXIT`)
#   wine_run CP SECS EXE ARG  run a Windows program under code page 936/1252
#   wine_path PATH            Unix path -> Windows path (Z:\...)
#   wine_env_display_ok       true when an X server answers on $DISPLAY
#   wine_env_screenshot FILE  PNG of the whole X screen
#   wine_env_seconds SECS     SECS times TARNWICK_WINE_TIME_SCALE (below)
#
# Every wait is bounded; TARNWICK_WINE_TIME_SCALE (default 1) multiplies
# the bounds, wine_run's included. Safe to source from scripts running with
# `set -euo pipefail`. Needs what tools/install-deps.sh installs, the
# zh_CN.UTF-8 and en_US.UTF-8 locales included.
#
# The session's directory (the argument of wine_env_setup) holds:
#   prefix/  the Wine prefix, made here on first use (64-bit; runs both 32-
#            and 64-bit programs when wine32 is installed)
#   lock     held for the whole session, so that tests sharing the prefix
#            (ctest -j, two build trees given the same directory) take turns
#            instead of sharing one wineserver and display
#   xvfb.*   log, display number and pid of the Xvfb started here, if any

# State of the current session (set by wine_env_setup).
WINE_ENV_DIR=""
WINE_ENV_WINE=(wine)  # the loader command (see _wine_env_wine)
WINE_ENV_LOCK_FD=""
WINE_ENV_XVFB_PID=""

# Quiet Wine: no debug channels, and no prompts to install Mono or Gecko.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

_wine_env_log() { echo "wine-env: $*" >&2; }

# Wine's two loaders. The `wine` command is the 32-bit one's script once
# wine32 is installed, so on a kernel that runs no 32-bit programs it fails
# for 64-bit programs too: there the 64-bit loader is called directly.
# TARNWICK_WINE_LOADER32 names another file for the check below to start as
# the 32-bit loader: a file the kernel refuses (see README.md) makes this
# machine answer as one that runs no 32-bit programs.
WINE_ENV_LOADER32=${TARNWICK_WINE_LOADER32:-/usr/lib/wine/wine}
WINE_ENV_LOADER64=/usr/lib/wine/wine64
WINE_ENV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Every bound below is multiplied by TARNWICK_WINE_TIME_SCALE (default 1):
# the test virtual machine sets it for software emulation (tools/vm/
# wine-tests.sh). Prints SECONDS times the scale (0 stays 0: no bound), for
# the tests' own bounds too.
wine_env_seconds() {
  echo $(($1 * ${TARNWICK_WINE_TIME_SCALE:-1}))
}

# The path of tools/exec-probe.c built into build/tools/ (made when missing
# or older than its source); fails, saying why, when it cannot be built.
_wine_env_probe() {
  local src=$WINE_ENV_ROOT/tools/exec-probe.c
  local bin=$WINE_ENV_ROOT/build/tools/exec-probe
  if [ ! -x "$bin" ] || [ "$src" -nt "$bin" ]; then
    mkdir -p "${bin%/*}" &&
      cc -std=c11 -O2 -Wall -Wextra -Werror -o "$bin.$$" "$src" &&
      mv -f "$bin.$$" "$bin" || {
      rm -f "$bin.$$"
      _wine_env_log "cannot build $bin from $src (a C compiler: tools/install-deps.sh installs it)"
      return 1
    }
  fi
  echo "$bin"
}

# Starts the 32-bit loader with --version through the probe and prints the
# probe's answer (its first line: "exit 0", "errno ENOEXEC ...", ...; then
# the loader's output). Fails when the probe cannot be built.
_wine_env_start_loader32() {
  local probe
  probe=$(_wine_env_probe) || return 1
  "$probe" "$(wine_env_seconds 60)" "$WINE_ENV_LOADER32" --version
}

# Whether this machine runs 32-bit programs, checked once: decided by the
# kernel's answer to executing the 32-bit loader (tools/exec-probe.c), not
# by what a shell prints. The result is exported as TARNWICK_HOST_32BIT
# (yes or no) with the reason in TARNWICK_HOST_32BIT_WHY, so that
# tools/test.sh checks once for every test it runs. Only the kernel's
# refusal of the loader's format (ENOEXEC) counts as no; a loader that is
# missing or fails otherwise is a broken installation, reported and counted
# as yes so that the 32-bit tests run and fail naming it. Setting
# TARNWICK_HOST_32BIT (and its reason) beforehand answers for the check:
# TARNWICK_HOST_32BIT=no runs the tests as a machine without 32-bit
# programs would (TARNWICK_WINE_LOADER32, above, does so through the check).
_wine_env_check_32bit() {
  if [ -n "${TARNWICK_HOST_32BIT:-}" ]; then
    [ "$TARNWICK_HOST_32BIT" = yes ] ||
      : "${TARNWICK_HOST_32BIT_WHY:=TARNWICK_HOST_32BIT=$TARNWICK_HOST_32BIT says this machine runs no 32-bit programs}"
    export TARNWICK_HOST_32BIT TARNWICK_HOST_32BIT_WHY="${TARNWICK_HOST_32BIT_WHY:-}"
    return 0
  fi
  local out result
  TARNWICK_HOST_32BIT=yes TARNWICK_HOST_32BIT_WHY=""
  if out=$(_wine_env_start_loader32); then
    result=${out%%$'\n'*}
    case $result in
      "exit 0") ;;
      "errno ENOEXEC "*)
        TARNWICK_HOST_32BIT=no
        TARNWICK_HOST_32BIT_WHY="this machine's kernel runs no 32-bit programs (it refuses to execute $WINE_ENV_LOADER32: ENOEXEC, Exec format error; boot it with ia32_emulation=on)"
        ;;
      "errno ENOENT "*)
        _wine_env_log "$WINE_ENV_LOADER32 is missing (wine32:i386; tools/install-deps.sh installs it)"
        ;;
      *)
        _wine_env_log "$WINE_ENV_LOADER32 --version: $result; its output:"
        printf '%s\n' "${out#"$result"}" | sed '/^$/d; s/^/  /' >&2
        ;;
    esac
  fi
  export TARNWICK_HOST_32BIT TARNWICK_HOST_32BIT_WHY
}

# True when this machine runs 32-bit programs (see _wine_env_check_32bit).
wine_env_host_32bit() {
  _wine_env_check_32bit
  [ "$TARNWICK_HOST_32BIT" = yes ]
}

# For a test of a BITS-bit (32 or 64) Windows build: when such a program
# cannot run on this machine, says why and exits 77, which the Windows
# builds' tests declare as their skip code. Only the kernel's lack of
# 32-bit programs is a skip; anything else missing fails the test.
wine_env_skip_unless_runs() {
  [ "$1" = 32 ] || return 0
  wine_env_host_32bit && return 0
  echo "skipped: $TARNWICK_HOST_32BIT_WHY"
  exit 77
}

# The command that starts Wine's loader, as words to put before a Windows
# program and its arguments: the `wine` command where 32-bit programs run,
# the 64-bit loader (which then starts only 64-bit programs) where they do
# not. Prints one word a line.
_wine_env_wine() {
  if wine_env_host_32bit; then
    echo wine
  else
    printf '%s\n' env "WINELOADER=$WINE_ENV_LOADER64" "$WINE_ENV_LOADER64"
  fi
}

# Replaces the calling (sub)shell with a command that does not inherit the
# session lock, so that a process outliving the session (a wineserver, an
# Xvfb) cannot keep the lock held. Every process the session starts is
# started through it, in a subshell: ( _wine_env_exec command... ).
_wine_env_exec() {
  [ -z "$WINE_ENV_LOCK_FD" ] || exec {WINE_ENV_LOCK_FD}>&-
  exec "$@"
}

# Runs a command with a time limit in seconds (0: none; scaled as
# wine_env_seconds says), killing it 5 s after that, with stdin from
# /dev/null. Returns its exit code (124: out of time).
_wine_env_bounded() {
  local secs
  secs=$(wine_env_seconds "$1")
  shift
  (_wine_env_exec timeout -k 5 "$secs" "$@" </dev/null)
}

# _wine_env_step WHAT SECONDS COMMAND...: one step of making the prefix or
# starting a session, bounded as _wine_env_bounded, its output kept in
# $WINE_ENV_DIR/step.log (Wine's error messages included). When it fails,
# says which step, how (exit code, or out of time) and its last output.
_wine_env_step() {
  local what=$1 secs=$2 start=$SECONDS code=0
  local log=$WINE_ENV_DIR/step.log
  shift 2
  WINEDEBUG=fixme-all,err+all _wine_env_bounded "$secs" "$@" >"$log" 2>&1 ||
    code=$?
  [ $code -eq 0 ] && return 0
  if [ $code -eq 124 ] || [ $code -eq 137 ]; then
    _wine_env_log "$what: out of time after $((SECONDS - start)) s (bound $(wine_env_seconds "$secs") s)"
  else
    _wine_env_log "$what: failed with exit code $code after $((SECONDS - start)) s"
  fi
  if [ -s "$log" ]; then
    _wine_env_log "its output (the last 25 lines of $log):"
    tail -n 25 "$log" | sed 's/^/  /' >&2
  else
    _wine_env_log "it printed nothing"
  fi
  return $code
}

# The Unix locale that gives Wine the ANSI code page CP: 936 (Simplified
# Chinese, GBK) or 1252 (Western). Prints nothing and fails for others.
_wine_env_locale_for() {
  case "$1" in
    936) echo zh_CN.UTF-8 ;;
    1252) echo en_US.UTF-8 ;;
    *) return 1 ;;
  esac
}

# True when the locales of both code pages exist. Wine takes its ANSI code
# page from LC_CTYPE, and only from a locale that has been generated: with
# zh_CN.UTF-8 missing it reports 936 but cannot convert file names.
_wine_env_locales_ok() {
  local cp name missing=""
  for cp in 936 1252; do
    name=$(_wine_env_locale_for "$cp")
    # grep without -q reads all its input: no SIGPIPE under pipefail.
    locale -a 2>/dev/null | grep -x "${name/UTF-8/utf8}" >/dev/null ||
      missing="$missing $name"
  done
  [ -z "$missing" ] && return 0
  _wine_env_log "locales missing:$missing (tools/install-deps.sh makes them)"
  return 1
}

# Makes the Wine prefix $WINEPREFIX if it is not complete. A prefix counts
# as complete once the marker file is written at the end; one made before
# wine32 was installed cannot start 32-bit programs, so it is made anew when
# the 32-bit loader runs now but the prefix lacks its 32-bit system files.
# Each step that fails is named, with its output (_wine_env_step). Its
# font replacements draw 宋体/SimSun (and relatives) with WenQuanYi Micro
# Hei; without them Chinese text shows as empty boxes. Takes about 20 s when
# it makes one (5-7 minutes under software emulation in the test virtual
# machine, tools/vm.sh).
_wine_env_prefix() {
  local dir=$WINEPREFIX start=$SECONDS font
  local marker=$dir/.tarnwick-prefix-ready reg=$dir/tarnwick-fonts.reg
  if [ -f "$marker" ]; then
    if ! wine_env_host_32bit ||
      [ -f "$dir/drive_c/windows/syswow64/kernel32.dll" ]; then
      return 0
    fi
    # Made by the 64-bit loader alone: made anew only when the 32-bit
    # loader is seen to run (not merely counted as running, above).
    local out
    if ! out=$(_wine_env_start_loader32) || [ "${out%%$'\n'*}" != "exit 0" ]; then
      _wine_env_log "prefix $dir has no 32-bit part, but $WINE_ENV_LOADER32 does not run: the prefix is kept"
      return 0
    fi
    _wine_env_log "prefix $dir predates wine32; making it anew"
  fi
  rm -rf "$dir"
  mkdir -p "$dir"
  _wine_env_log "making Wine prefix $dir"
  # The .reg file must be UTF-16.
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
    for font in SimSun 宋体 NSimSun 新宋体 SimHei 黑体; do
      printf '"%s"="WenQuanYi Micro Hei"\r\n' "$font"
    done
  } | { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE; } >"$reg"
  # Wine's first program in a new prefix starts the prefix's set-up and
  # waits for it 5 minutes at most; then it fails ("boot event wait timed
  # out", exit 53) while the set-up goes on. Under the test virtual
  # machine's software emulation on a busy machine the set-up takes longer
  # (measured: 5-7 minutes): the next step waits for it to end.
  if ! _wine_env_step "making the prefix: wineboot -i" 600 \
    "${WINE_ENV_WINE[@]}" wineboot -i; then
    grep -F 'boot event wait timed out' "$WINE_ENV_DIR/step.log" >/dev/null || {
      _wine_env_log "making the prefix failed"
      return 1
    }
    _wine_env_log "Wine gave up waiting for the prefix's set-up after 5 minutes; it goes on, and is waited for"
  fi
  if ! { _wine_env_step "making the prefix: waiting for its set-up to end" 300 \
      wineserver -w &&
    _wine_env_step "making the prefix: importing the font replacements" 120 \
      "${WINE_ENV_WINE[@]}" regedit /S "$reg" &&
    _wine_env_step "making the prefix: waiting for regedit to end" 120 \
      wineserver -w; }; then
    _wine_env_log "making the prefix failed"
    return 1
  fi
  date >"$marker"
  _wine_env_log "prefix ready in $((SECONDS - start)) s"
}

# True when an X server answers on $DISPLAY.
wine_env_display_ok() {
  [ -n "${DISPLAY:-}" ] &&
    timeout "$(wine_env_seconds 5)" xdpyinfo >/dev/null 2>&1 </dev/null
}

# Uses $DISPLAY when an X server answers there; otherwise starts Xvfb on a
# free display number (chosen by Xvfb itself), waiting up to 60 s for it
# (a few seconds, but more under software emulation in tools/vm.sh),
# and exports DISPLAY.
_wine_env_display_start() {
  wine_env_display_ok && return 0
  local base=$WINE_ENV_DIR/xvfb deadline=$((SECONDS + $(wine_env_seconds 60)))
  rm -f "$base.display"
  (_wine_env_exec Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp) \
    3>"$base.display" </dev/null >"$base.log" 2>&1 &
  WINE_ENV_XVFB_PID=$!
  echo "$WINE_ENV_XVFB_PID" >"$base.pid"
  while [ $SECONDS -lt $deadline ]; do
    if [ -s "$base.display" ]; then
      DISPLAY=":$(tr -d '[:space:]' <"$base.display")"
      export DISPLAY
      wine_env_display_ok && return 0
    fi
    kill -0 "$WINE_ENV_XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  _wine_env_log "Xvfb did not start (see $base.log)"
  return 1
}

# Stops the Xvfb this session started, if any (up to 5 s).
_wine_env_display_stop() {
  [ -n "$WINE_ENV_XVFB_PID" ] || return 0
  local deadline=$((SECONDS + $(wine_env_seconds 5)))
  kill "$WINE_ENV_XVFB_PID" 2>/dev/null || true
  while [ $SECONDS -lt $deadline ] &&
    kill -0 "$WINE_ENV_XVFB_PID" 2>/dev/null; do
    sleep 0.1
  done
  kill -9 "$WINE_ENV_XVFB_PID" 2>/dev/null || true
  wait "$WINE_ENV_XVFB_PID" 2>/dev/null || true
  rm -f "$WINE_ENV_DIR/xvfb.pid"
  WINE_ENV_XVFB_PID=""
}

# Ends what a session that was killed before its teardown left behind: its
# Xvfb (by the pid it recorded, if that is still an Xvfb) and every process
# of the prefix. Called with the lock held, so nothing of it is in use.
_wine_env_clean_stale() {
  local pidfile=$WINE_ENV_DIR/xvfb.pid pid
  if [ -f "$pidfile" ]; then
    pid=$(cat "$pidfile")
    if [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = Xvfb ]; then
      _wine_env_log "stopping Xvfb $pid left by an earlier session"
      kill "$pid" 2>/dev/null || true
    fi
    rm -f "$pidfile"
  fi
  if [ -d "$WINEPREFIX" ]; then
    _wine_env_bounded 30 wineserver -k >/dev/null 2>&1 || true
  fi
}

# Prepares a session in directory DIR (created if needed): checks the
# locales, takes the session lock (waiting up to 15 minutes for another
# session using DIR to end), makes the prefix DIR/prefix if needed, finds
# or starts a display, and starts a wineserver whose system processes
# (services, explorer) hold no pipe of the caller, so that output captured
# from wine_run ends when the program ends. Exports WINEPREFIX and DISPLAY.
# Returns non-zero, after saying why on stderr, when something could not
# be set up; wine_env_teardown (set as the EXIT trap before) then releases
# what was taken.
wine_env_setup() {
  local dir=${1:?wine_env_setup needs a directory}
  _wine_env_locales_ok || return 1
  if [ ! -x "$WINE_ENV_LOADER64" ]; then
    _wine_env_log "$WINE_ENV_LOADER64 is missing (wine64; tools/install-deps.sh installs it)"
    return 1
  fi
  _wine_env_check_32bit
  mapfile -t WINE_ENV_WINE < <(_wine_env_wine)
  mkdir -p "$dir" || return 1
  WINE_ENV_DIR=$(cd "$dir" && pwd)
  exec {WINE_ENV_LOCK_FD}>"$WINE_ENV_DIR/lock"
  if ! flock -w "$(wine_env_seconds 900)" "$WINE_ENV_LOCK_FD"; then
    _wine_env_log "another session holds $WINE_ENV_DIR/lock"
    exec {WINE_ENV_LOCK_FD}>&-
    WINE_ENV_LOCK_FD=""
    return 1
  fi
  export WINEPREFIX=$WINE_ENV_DIR/prefix
  _wine_env_clean_stale
  _wine_env_prefix || return 1
  _wine_env_display_start || return 1
  _wine_env_bounded 30 wineserver -p >/dev/null 2>&1 || true
  _wine_env_step "starting the prefix's system processes: wineboot" 120 \
    "${WINE_ENV_WINE[@]}" wineboot || return 1
}

# Ends the session: stops every Windows process of the prefix and its
# wineserver, stops the Xvfb that setup started, and releases the lock.
# Does nothing without the lock: safe to call more than once, and after a
# setup that failed.
wine_env_teardown() {
  [ -n "$WINE_ENV_LOCK_FD" ] || return 0
  if [ -n "${WINEPREFIX:-}" ]; then
    _wine_env_bounded 30 wineserver -k >/dev/null 2>&1 || true
    _wine_env_bounded 30 wineserver -w >/dev/null 2>&1 || true
  fi
  _wine_env_display_stop
  exec {WINE_ENV_LOCK_FD}>&-
  WINE_ENV_LOCK_FD=""
}

# wine_run CP SECONDS PROGRAM [ARGS...]
# Runs a Windows program (a Unix path to an .exe, or a Wine program such as
# explorer) with ANSI code page CP (936 or 1252), ending it after SECONDS
# (0: no limit). Its stdout and stderr are the caller's. Returns its exit
# code; 124 means it ran out of time and was killed.
wine_run() {
  local cp=$1 secs=$2 loc
  shift 2
  loc=$(_wine_env_locale_for "$cp") || {
    _wine_env_log "unknown code page $cp (use 936 or 1252)"
    return 2
  }
  _wine_env_bounded "$secs" env LC_ALL="$loc" LANG="$loc" \
    "${WINE_ENV_WINE[@]}" "$@"
}

# The Windows path of a Unix path (the Unix root is drive Z:), e.g. for
# program arguments: /tmp/x/a.bin -> Z:\tmp\x\a.bin
wine_path() {
  local p
  p=$(realpath -m "$1")
  printf 'Z:%s\n' "${p//\//\\}"
}

# Saves a PNG of the whole screen of $DISPLAY to FILE (ImageMagick).
wine_env_screenshot() {
  timeout "$(wine_env_seconds 20)" import -display "$DISPLAY" -window root "$1" \
    </dev/null
}
