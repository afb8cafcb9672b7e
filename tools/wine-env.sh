# shellcheck shell=bash
# The Wine test environment. Source it from a bash test script:
#
#   . tools/wine-env.sh
#   wine_env_setup "$build_dir/wine" || exit 1   # prefix, locales, display
#   trap wine_env_teardown EXIT                   # stop what setup started
#   wine_run 936 60 "$dir/Tarnwick.exe"           # run under code page 936
#
# Functions (each documented where it is defined):
#   wine_env_setup DIR        everything below, once per test session
#   wine_env_teardown         end the session (for `trap ... EXIT`)
#   wine_run CP SECS EXE ARG  run a Windows program under code page 936/1252
#   wine_path PATH            Unix path -> Windows path (Z:\...)
#   wine_env_screenshot FILE  PNG of the whole X screen
#   wine_env_locales, wine_env_prefix DIR, wine_env_fonts,
#   wine_env_display_start, wine_env_display_stop, wine_env_display_ok
#                             the single steps, for callers that need one
#
# Everything is idempotent and every wait is bounded. Safe to source from
# scripts running with `set -euo pipefail`. Needs the packages of
# tools/install-deps.sh (wine, wine32:i386, xvfb, x11-utils,
# fonts-wqy-microhei, imagemagick, locales); generating a missing locale needs
# root.
#
# One environment directory (the argument of wine_env_setup) holds:
#   prefix/     the Wine prefix, made here on first use (64-bit; runs both
#               32- and 64-bit programs when wine32 is installed)
#   lock        held for the whole session, so that tests sharing the prefix
#               (ctest -j, two build trees given the same directory) take
#               turns instead of sharing one wineserver and display
#   xvfb.*      log, display number and pid of the Xvfb started here, if any
#
# Settings read from the environment (all optional):
#   WINE_ENV_LOCK_WAIT   seconds to wait for the lock (default 900)
#   WINE_ENV_XVFB_SIZE   screen of a started Xvfb (default 1280x1024x24)
#   DISPLAY              used as it is when an X server answers there

# State of the current session (set by wine_env_setup).
WINE_ENV_DIR=""
WINE_ENV_LOCK_FD=""
WINE_ENV_XVFB_PID=""

# Quiet Wine: no debug channels, and no prompts to install Mono or Gecko.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

_wine_env_log() { echo "wine-env: $*" >&2; }

# Runs a command with a time limit in seconds (0: none), killing it 5 s
# after that. It gets stdin from /dev/null and never sees the session lock,
# so that a process outliving the session cannot keep the lock held.
_wine_env_bounded() {
  local secs=$1
  shift
  if [ -n "$WINE_ENV_LOCK_FD" ]; then
    timeout -k 5 "$secs" "$@" </dev/null {WINE_ENV_LOCK_FD}>&-
  else
    timeout -k 5 "$secs" "$@" </dev/null
  fi
}

# Makes sure zh_CN.UTF-8 and en_US.UTF-8 exist. Wine takes its ANSI code
# page from LC_CTYPE, and only from a locale that has been generated: with
# zh_CN.UTF-8 missing it reports 936 but cannot convert file names.
wine_env_locales() {
  local missing="" name
  for name in zh_CN.UTF-8 en_US.UTF-8; do
    # grep without -q reads all its input: no SIGPIPE under pipefail.
    locale -a 2>/dev/null | grep -x "${name/UTF-8/utf8}" >/dev/null ||
      missing="$missing $name"
  done
  [ -z "$missing" ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    _wine_env_log "locales missing:$missing (run tools/install-deps.sh as root)"
    return 1
  fi
  _wine_env_log "generating locales:$missing"
  for name in $missing; do
    # Listed in /etc/locale.gen too, so that a later locale-gen keeps it.
    if ! grep -qx "$name UTF-8" /etc/locale.gen 2>/dev/null; then
      sed -i "s/^# *$name UTF-8\$/$name UTF-8/" /etc/locale.gen 2>/dev/null ||
        true
      grep -qx "$name UTF-8" /etc/locale.gen 2>/dev/null ||
        echo "$name UTF-8" >>/etc/locale.gen
    fi
  done
  _wine_env_bounded 300 locale-gen >/dev/null || {
    _wine_env_log "locale-gen failed"
    return 1
  }
}

# Writes the font replacements that draw 宋体/SimSun (and its relatives)
# with WenQuanYi Micro Hei into the registry of $WINEPREFIX. Without them
# Chinese text is drawn as empty boxes. The .reg file must be UTF-16.
wine_env_fonts() {
  local reg="$WINEPREFIX/tarnwick-fonts.reg" font="WenQuanYi Micro Hei" name
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
    for name in SimSun 宋体 NSimSun 新宋体 SimHei 黑体; do
      printf '"%s"="%s"\r\n' "$name" "$font"
    done
  } | { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE; } >"$reg"
  _wine_env_bounded 60 wine regedit /S "$reg" >/dev/null 2>&1 || {
    _wine_env_log "importing the font replacements failed"
    return 1
  }
}

# Makes the Wine prefix DIR if it is not complete, and exports WINEPREFIX.
# A prefix counts as complete once the marker file is written at the end;
# one made before wine32 was installed cannot start 32-bit programs, so it
# is made anew when wine32 is present now but the prefix lacks its 32-bit
# system files. Takes about 20 s when it makes one.
wine_env_prefix() {
  local dir=$1 marker=$1/.tarnwick-prefix-ready start=$SECONDS
  export WINEPREFIX=$dir
  if [ -f "$marker" ]; then
    if [ ! -x /usr/lib/wine/wine ] ||
      [ -f "$dir/drive_c/windows/syswow64/kernel32.dll" ]; then
      return 0
    fi
    _wine_env_log "prefix $dir predates wine32; making it anew"
  fi
  _wine_env_bounded 30 wineserver -k >/dev/null 2>&1 || true
  rm -rf "$dir"
  mkdir -p "$dir"
  _wine_env_log "making Wine prefix $dir"
  if ! { _wine_env_bounded 180 wineboot -i >/dev/null 2>&1 &&
    _wine_env_bounded 60 wineserver -w >/dev/null 2>&1 &&
    wine_env_fonts &&
    _wine_env_bounded 60 wineserver -w >/dev/null 2>&1; }; then
    _wine_env_log "making the prefix failed"
    return 1
  fi
  date >"$marker"
  _wine_env_log "prefix ready in $((SECONDS - start)) s"
}

# True when an X server answers on $DISPLAY (without x11-utils: when its
# socket exists).
wine_env_display_ok() {
  [ -n "${DISPLAY:-}" ] || return 1
  if command -v xdpyinfo >/dev/null; then
    timeout 5 xdpyinfo >/dev/null 2>&1 </dev/null
  else
    local n=${DISPLAY#*:}
    [ -S "/tmp/.X11-unix/X${n%%.*}" ]
  fi
}

# Uses $DISPLAY when an X server answers there; otherwise starts Xvfb on a
# free display number (chosen by Xvfb itself), waiting up to 15 s for it,
# and exports DISPLAY.
wine_env_display_start() {
  wine_env_display_ok && return 0
  local base="${WINE_ENV_DIR:-/tmp}/xvfb" deadline=$((SECONDS + 15))
  local size=${WINE_ENV_XVFB_SIZE:-1280x1024x24}
  rm -f "$base.display"
  if [ -n "$WINE_ENV_LOCK_FD" ]; then
    Xvfb -displayfd 3 -screen 0 "$size" -nolisten tcp 3>"$base.display" \
      </dev/null >"$base.log" 2>&1 {WINE_ENV_LOCK_FD}>&- &
  else
    Xvfb -displayfd 3 -screen 0 "$size" -nolisten tcp 3>"$base.display" \
      </dev/null >"$base.log" 2>&1 &
  fi
  WINE_ENV_XVFB_PID=$!
  echo "$WINE_ENV_XVFB_PID" >"$base.pid"
  while [ $SECONDS -lt $deadline ]; do
    if [ -s "$base.display" ]; then
      export DISPLAY=":$(tr -d '[:space:]' <"$base.display")"
      wine_env_display_ok && return 0
    fi
    kill -0 "$WINE_ENV_XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  _wine_env_log "Xvfb did not start (see $base.log)"
  wine_env_display_stop
  return 1
}

# Stops the Xvfb that wine_env_display_start started, if any (up to 5 s).
wine_env_display_stop() {
  [ -n "$WINE_ENV_XVFB_PID" ] || return 0
  local i
  kill "$WINE_ENV_XVFB_PID" 2>/dev/null || true
  for i in $(seq 50); do
    kill -0 "$WINE_ENV_XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  kill -9 "$WINE_ENV_XVFB_PID" 2>/dev/null || true
  wait "$WINE_ENV_XVFB_PID" 2>/dev/null || true
  rm -f "${WINE_ENV_DIR:-/tmp}/xvfb.pid"
  WINE_ENV_XVFB_PID=""
}

# Ends what a session that was killed before its teardown left behind: its
# Xvfb (by the pid it recorded, if that is still an Xvfb) and every process
# of the prefix. Called with the lock held, so nothing of it is in use.
_wine_env_clean_stale() {
  local pidfile="$WINE_ENV_DIR/xvfb.pid" pid
  if [ -f "$pidfile" ]; then
    pid=$(cat "$pidfile")
    if [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = Xvfb ]; then
      _wine_env_log "stopping Xvfb $pid left by an earlier session"
      kill "$pid" 2>/dev/null || true
    fi
    rm -f "$pidfile"
  fi
  if [ -f "$WINEPREFIX/.tarnwick-prefix-ready" ]; then
    _wine_env_bounded 30 wineserver -k >/dev/null 2>&1 || true
  fi
}

# Prepares everything for running Windows programs, in directory DIR
# (created if needed; the prefix is DIR/prefix): locales, the session lock
# (waits for another session using DIR to end), the prefix with its fonts,
# a display, and a wineserver whose system processes (services, explorer)
# hold no pipe of the caller, so that output captured from wine_run ends
# when the program ends. Exports WINEPREFIX and DISPLAY. Returns non-zero,
# after saying why on stderr, when something could not be set up.
wine_env_setup() {
  local dir=${1:?wine_env_setup needs a directory}
  mkdir -p "$dir" || return 1
  WINE_ENV_DIR=$(cd "$dir" && pwd)
  wine_env_locales || return 1
  exec {WINE_ENV_LOCK_FD}>"$WINE_ENV_DIR/lock"
  if ! flock -w "${WINE_ENV_LOCK_WAIT:-900}" "$WINE_ENV_LOCK_FD"; then
    _wine_env_log "another session holds $WINE_ENV_DIR/lock"
    exec {WINE_ENV_LOCK_FD}>&-
    WINE_ENV_LOCK_FD=""
    return 1
  fi
  export WINEPREFIX="$WINE_ENV_DIR/prefix"
  _wine_env_clean_stale
  wine_env_prefix "$WINEPREFIX" || return 1
  wine_env_display_start || return 1
  _wine_env_bounded 30 wineserver -p >/dev/null 2>&1 || true
  _wine_env_bounded 120 wine wineboot >/dev/null 2>&1 || {
    _wine_env_log "wineboot failed"
    return 1
  }
}

# Ends the session: stops every Windows process of the prefix and its
# wineserver, stops the Xvfb that setup started, and releases the lock.
# Safe to call more than once (it is meant for `trap wine_env_teardown EXIT`).
wine_env_teardown() {
  if [ -n "${WINEPREFIX:-}" ] && [ -n "$WINE_ENV_LOCK_FD" ]; then
    _wine_env_bounded 30 wineserver -k >/dev/null 2>&1 || true
    _wine_env_bounded 30 wineserver -w >/dev/null 2>&1 || true
  fi
  wine_env_display_stop
  if [ -n "$WINE_ENV_LOCK_FD" ]; then
    exec {WINE_ENV_LOCK_FD}>&-
    WINE_ENV_LOCK_FD=""
  fi
}

# The Unix locale that gives Wine the ANSI code page CP: 936 (Simplified
# Chinese, GBK) or 1252 (Western). Prints nothing and fails for others.
wine_env_locale_for() {
  case "$1" in
    936) echo zh_CN.UTF-8 ;;
    1252) echo en_US.UTF-8 ;;
    *) return 1 ;;
  esac
}

# wine_run CP SECONDS PROGRAM [ARGS...]
# Runs a Windows program (a Unix path to an .exe) with ANSI code page CP
# (936 or 1252), ending it after SECONDS. The program's stdout and stderr
# are the caller's. Returns the program's exit code; 124 means it ran out
# of time and was killed. To drive a dialog program, start it in the
# background (`wine_run 936 120 app.exe & app=$!`) and run the driver in
# the foreground; `wait $app` then gives the program's exit code.
wine_run() {
  local cp=$1 secs=$2 loc
  shift 2
  loc=$(wine_env_locale_for "$cp") || {
    _wine_env_log "unknown code page $cp (use 936 or 1252)"
    return 2
  }
  _wine_env_bounded "$secs" env LC_ALL="$loc" LANG="$loc" wine "$@"
}

# The Windows path of a Unix path (the Unix root is drive Z:), e.g. for
# program arguments: /tmp/x/a.bin -> Z:\tmp\x\a.bin
wine_path() {
  local p
  p=$(realpath -m "$1")
  printf 'Z:%s\n' "${p//\//\\}"
}

# Saves a PNG of the whole screen of $DISPLAY to FILE (ImageMagick).
# Windows have no frames: no window manager runs.
wine_env_screenshot() {
  timeout 20 import -display "$DISPLAY" -window root "$1" </dev/null
}
