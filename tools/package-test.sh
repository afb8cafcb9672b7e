#!/usr/bin/env bash
# Tests the packages tools/package.sh wrote, as a user meets them:
#
#   - the checksum file, and the version of every package against the
#     project's (the top CMakeLists.txt);
#   - the .deb: its control fields and file list, lintian without errors,
#     and an install and removal in a throwaway Debian root (debootstrap
#     --variant=minbase bookworm, cached as a tar file in build/package-test/)
#     where `tarnwick --version`, `man tarnwick` and the completion of
#     `tarnwick wr<TAB>` work and nothing of the package stays behind;
#   - the desktop program's .deb (tools/package-test-gui.sh): its files and
#     metadata, and an install with its Qt dependencies through apt in a
#     Debian root (packages fetched once, then kept);
#   - each zip: its file list and texts (the licence among them); unpacked,
#     tarnwick-cli.exe under Wine on the shipped simulated board (signature,
#     a write, a read back),
#     and Tarnwick.exe started with the simulated WINIO.dll copied beside it
#     until its window shows. The 64-bit zip always; the 32-bit one where
#     this machine runs 32-bit programs.
#
#   tools/package-test.sh [PACKAGE_DIR]    (default build/packages)
#
# Needs root (chroot) and what tools/install-deps.sh installs.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
packages=$(realpath "${1:-build/packages}")
work=$root/build/package-test
mkdir -p "$work"

failed=0
check() {  # check WHAT GOT WANT
  if [ "$2" = "$3" ]; then echo "ok: $1"; else
    echo "FAILED: $1"; echo "  got:  $2"; echo "  want: $3"; failed=1; fi
}
check_has() {  # check_has WHAT TEXT PIECE
  case $2 in
    *"$3"*) echo "ok: $1" ;;
    *) echo "FAILED: $1"; echo "  no \"$3\" in:"; echo "$2" | sed 's/^/    /' |
      head -n 20; failed=1 ;;
  esac
}

version=$(sed -n 's/^project(Tarnwick VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
arch=$(dpkg --print-architecture)
deb=$packages/tarnwick_${version}_$arch.deb
echo "== package-test: version $version in $packages"

check "checksums" "$(cd "$packages" && sha256sum --quiet -c SHA256SUMS 2>&1;
  LC_ALL=C sort -k2 SHA256SUMS | sed 's/.* //' | tr '\n' ' ')" \
  "tarnwick-$version-win32.zip tarnwick-$version-win64.zip tarnwick-gui_${version}_$arch.deb tarnwick_${version}_$arch.deb "

# ---- The Debian package ----------------------------------------------------

fields=$(dpkg-deb -f "$deb" Package Version Architecture Section)
check "control fields" "$fields" "$(printf 'Package: tarnwick\nVersion: %s\nArchitecture: %s\nSection: electronics' "$version" "$arch")"
depends=$(dpkg-deb -f "$deb" Depends)
check_has "dependencies computed from the binary" "$depends" "libc6 (>= "
check_has "dependencies computed from the binary" "$depends" "libstdc++6 (>= "
description=$(dpkg-deb -f "$deb" Description)
check_has "the description tells the privilege" "$description" \
  "as root, or give it the CAP_SYS_RAWIO capability"

# Files (not folders) with their modes and owners.
check "files of the .deb" "$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $1, $2, $6}')" \
  "-rwxr-xr-x root/root ./usr/bin/tarnwick
-rw-r--r-- root/root ./usr/share/bash-completion/completions/tarnwick
-rw-r--r-- root/root ./usr/share/doc/tarnwick/README.md.gz
-rw-r--r-- root/root ./usr/share/doc/tarnwick/changelog.gz
-rw-r--r-- root/root ./usr/share/doc/tarnwick/copyright
-rw-r--r-- root/root ./usr/share/man/man1/tarnwick.1.gz"

echo "-- lintian"
if lintian_out=$(lintian --fail-on error "$deb" 2>&1); then
  echo "ok: lintian finds no errors"
else
  echo "FAILED: lintian finds errors"; failed=1
fi
[ -z "$lintian_out" ] || echo "$lintian_out" | sed 's/^/  lintian: /'

# The mirror apt uses here: the first non-security one of sources.list(.d).
apt_mirror() {
  local url
  url=$(cat /etc/apt/sources.list.d/*.sources 2>/dev/null |
    sed -n 's/^URIs:[[:space:]]*//p' | tr ' ' '\n' | grep -v security |
    head -n 1 || true)
  [ -n "$url" ] || url=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list \
    2>/dev/null | awk '$1 == "deb" && !/security/ {
      for (i = 2; i <= NF; i++) if ($i ~ /^[a-z]+:\/\//) { print $i; exit } }')
  echo "${url:-http://deb.debian.org/debian}"
}

# A fresh Debian root in $work/debian-root, unpacked from the cached tar
# file (made with debootstrap first, about half a minute).
debian_root() {
  local cache=$work/bookworm-minbase-man-db.tar dir=$work/debian-root
  if [ ! -f "$cache" ]; then
    echo "-- making a Debian root with debootstrap ($(apt_mirror))"
    rm -rf "$dir"
    debootstrap --variant=minbase --include=man-db bookworm "$dir" \
      "$(apt_mirror)" >"$work/debootstrap.log" 2>&1 || {
      tail -n 20 "$work/debootstrap.log"; return 1; }
    tar -C "$dir" -cf "$cache.part" . && mv "$cache.part" "$cache"
  fi
  rm -rf "$dir"
  mkdir -p "$dir"
  tar -C "$dir" -xf "$cache"
}

# Runs a shell command inside the Debian root, with a plain environment.
in_root() {
  chroot "$work/debian-root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin \
    HOME=/root LANG=C.UTF-8 TERM=dumb /bin/bash -c "$1"
}

# What the package may touch outside dpkg's and man-db's own records.
root_files() {
  (cd "$work/debian-root" && find usr etc opt -xdev | LC_ALL=C sort)
}

echo "-- install and removal in a Debian root"
debian_root
before=$(root_files)
cp "$deb" "$work/debian-root/tmp/"
if in_root "dpkg -i /tmp/$(basename "$deb")" >"$work/dpkg-install.log" 2>&1; then
  echo "ok: dpkg -i"
else
  echo "FAILED: dpkg -i"; sed 's/^/  /' "$work/dpkg-install.log"; failed=1
fi
rm "$work/debian-root/tmp/$(basename "$deb")"

# The installed program, always on a simulated board in the root.
check "tarnwick --version" "$(in_root 'tarnwick --sim /tmp/board --version' 2>&1)" \
  "tarnwick $version"
check "tarnwick signature" "$(in_root 'tarnwick --sim /tmp/board signature' 2>&1)" \
  "$(printf '30H=1E,\t31H=51,\t32H=FF\n89C51: 4 KB of flash, programmed at 12 V')"
man_page=$(in_root 'MANPAGER=cat MANWIDTH=80 man tarnwick' 2>&1)
check_has "man tarnwick" "$man_page" "tarnwick - read, program, erase and identify"
check_has "man tarnwick: exit codes" "$man_page" "EXIT STATUS"
check_has "man tarnwick: version" "$man_page" "tarnwick $version"

# Completion as bash runs it on <TAB>: the words typed, the one completed.
completion=$(in_root '
  . /usr/share/bash-completion/completions/tarnwick
  mkdir -p /tmp/c/boards && cd /tmp/c && : >firmware.hex
  complete_words() {
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMPREPLY=()
    _tarnwick; echo "$* -> ${COMPREPLY[*]}"
  }
  complete -p tarnwick
  complete_words tarnwick wr
  complete_words tarnwick --sim boards signature --q
  complete_words tarnwick --part 89
  complete_words tarnwick write fi
  complete_words tarnwick --sim b' 2>&1)
check "completion" "$completion" "complete -F _tarnwick tarnwick
tarnwick wr -> write
tarnwick --sim boards signature --q -> --quiet
tarnwick --part 89 -> 89c51 89c52
tarnwick write fi -> firmware.hex
tarnwick --sim b -> boards"

in_root 'rm -rf /tmp/board /tmp/c'
if in_root 'dpkg -r tarnwick && dpkg -P tarnwick' >"$work/dpkg-remove.log" 2>&1; then
  echo "ok: dpkg -r, dpkg -P"
else
  echo "FAILED: dpkg -r, dpkg -P"; sed 's/^/  /' "$work/dpkg-remove.log"; failed=1
fi
check "nothing left after the removal" "$(diff <(echo "$before") <(root_files))" ""
check "dpkg forgot the package" \
  "$(in_root 'dpkg-query -W -f="\${Status}" tarnwick' 2>&1)" \
  "dpkg-query: no packages found matching tarnwick"

# ---- The desktop program's Debian package ------------------------------------

. tools/package-test-gui.sh

# ---- The Windows zips -------------------------------------------------------

# The machine a PE file is built for: 014c (x86) or 8664 (x86-64).
pe_machine() {
  local at
  at=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  od -An -tx2 -j$((at + 4)) -N2 "$1" | tr -d ' '
}

# Static checks of one zip; unpacks it to $work/<preset>.
check_zip() {  # check_zip PRESET MACHINE
  local preset=$1 machine=$2 name=tarnwick-$version-$1
  local zip=$packages/$name.zip dir=$work/$1
  echo "-- $name.zip"
  check "$preset: files of the zip" "$(unzip -Z1 "$zip" | LC_ALL=C sort)" \
    "$name/
$name/LICENSE.txt
$name/README.txt
$name/THIRD-PARTY.txt
$name/Tarnwick.exe
$name/simulated-board/
$name/simulated-board/WINIO.dll
$name/simulated-board/simboard.ini
$name/start.ini
$name/tarnwick-cli.exe"
  rm -rf "$dir"
  mkdir -p "$dir"
  unzip -q "$zip" -d "$dir"
  dir=$dir/$name
  local f
  for f in Tarnwick.exe tarnwick-cli.exe simulated-board/WINIO.dll; do
    check "$preset: $f is for $machine" "$(pe_machine "$dir/$f")" "$machine"
  done
  for f in LICENSE.txt README.txt THIRD-PARTY.txt start.ini simulated-board/simboard.ini; do
    check "$preset: $f has CR LF line ends" \
      "$(grep -c $'\r$' "$dir/$f")" "$(wc -l <"$dir/$f")"
  done
  # The programs take the first place a key stands anywhere in the file.
  check "$preset: start.ini names each key once, at its line" \
    "$(grep -o 'RTL8139ADDR=[^;]*;\|EPPADDR=[^;]*;' "$dir/start.ini")" \
    "RTL8139ADDR=c000;
EPPADDR=378;"
  local readme
  readme=$(tr -d '\r' <"$dir/README.txt")
  check_has "$preset: README.txt tells where WINIO.dll goes" "$readme" \
    "Where it goes: put WINIO.dll and its driver file(s) in THIS folder"
  check_has "$preset: README.txt is for this build" "$readme" \
    "Tarnwick $version for Windows, ${preset#win}-bit"
  check_has "$preset: README.txt says the licence" "$readme" \
    "(SPDX: GPL-2.0-or-later)"
  check_has "$preset: LICENSE.txt holds the GPL" "$(tr -d '\r' <"$dir/LICENSE.txt")" \
    "GNU GENERAL PUBLIC LICENSE"
}

# The unpacked programs of one zip under Wine.
run_zip() {  # run_zip PRESET
  local preset=$1 dir=$work/$1/tarnwick-$version-$1 out code
  cd "$dir"
  out=$(wine_run 1252 60 ./tarnwick-cli.exe --sim simulated-board signature \
    2>&1 | tr -d '\r')
  check "$preset: signature of the shipped simulated board" "$out" \
    "$(printf '30H=1E,\t31H=51,\t32H=FF\n89C51: 4 KB of flash, programmed at 12 V')"
  printf ':0300000002003BC0\r\n:04003B00E4F5A02226\r\n:00000001FF\r\n' >fw.hex
  out=$(wine_run 1252 60 ./tarnwick-cli.exe --sim simulated-board write fw.hex \
    --quiet 2>&1 | tr -d '\r') && code=0 || code=$?
  check "$preset: write" "$code:$out" "0:"
  out=$(wine_run 1252 60 ./tarnwick-cli.exe read back.bin --sim simulated-board \
    --quiet 2>&1 | tr -d '\r') && code=0 || code=$?
  check "$preset: read" "$code:$out" "0:"
  { printf '\x02\x00\x3B'; head -c $((0x3B - 3)) /dev/zero | tr '\0' '\377'
    printf '\xE4\xF5\xA0\x22'; head -c $((4096 - 0x3F)) /dev/zero | tr '\0' '\377'
  } >want.bin
  check "$preset: read back what was written" "$(cmp back.bin want.bin 2>&1)" ""

  # The desktop program with the simulated board beside it: its main
  # window (caption "Tarnwick") must appear.
  cp simulated-board/WINIO.dll simulated-board/simboard.ini .
  wine_run 936 90 ./Tarnwick.exe >"$work/$preset-desktop.log" 2>&1 &
  local program=$! shown=no deadline=$((SECONDS + 60))
  while [ $SECONDS -lt $deadline ] && kill -0 "$program" 2>/dev/null; do
    if xwininfo -root -tree 2>/dev/null | grep -q '"Tarnwick": ("tarnwick.exe"'; then
      shown=yes
      break
    fi
    sleep 0.5
  done
  [ $shown = no ] || wine_env_screenshot "$work/$preset-desktop.png" || true
  check "$preset: Tarnwick.exe shows its window" "$shown" yes
  wineserver -k >/dev/null 2>&1 || true
  wait "$program" 2>/dev/null || true
  cd "$root"
}

check_zip win64 8664
check_zip win32 014c

echo "-- the zips under Wine"
. tools/wine-env.sh
trap wine_env_teardown EXIT
if wine_env_setup "${TARNWICK_WINE_DIR:-$root/build/wine}"; then
  run_zip win64
  if wine_env_host_32bit; then
    run_zip win32
  else
    echo "skipped: win32 under Wine: $TARNWICK_HOST_32BIT_WHY"
  fi
else
  echo "FAILED: no Wine session"; failed=1
fi

if [ $failed -ne 0 ]; then
  echo "== package-test: FAILED"
  exit 1
fi
echo "== package-test: all passed"
