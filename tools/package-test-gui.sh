# shellcheck shell=bash
# The desktop program's .deb (tarnwick-gui), tested as a user meets it;
# sourced by tools/package-test.sh, whose check helpers, Debian root and
# variables ($packages, $version, $arch, $work) it uses:
#
#   - its control fields and file list, lintian without errors, its desktop
#     entry, AppStream metadata and polkit policy as the tools read them;
#   - an install with apt in a throwaway Debian root (with Qt and what Qt
#     needs: 92 packages, 69 MB to fetch, 275 MB installed), where
#     `tarnwick-gui --version` runs, no library is missing, and the purge
#     with its dependencies leaves nothing of it behind.
#
# apt's package lists (80 MB) and the packages it fetched are kept in
# build/package-test/apt-cache and used again: only the first run, one a
# day after the lists were fetched, or one after Debian replaced a package
# downloads (the lists, and what changed).

gui_deb=$packages/tarnwick-gui_${version}_$arch.deb
echo "-- tarnwick-gui_${version}_$arch.deb"

fields=$(dpkg-deb -f "$gui_deb" Package Version Architecture Section)
check "gui: control fields" "$fields" "$(printf 'Package: tarnwick-gui\nVersion: %s\nArchitecture: %s\nSection: electronics' "$version" "$arch")"
depends=$(dpkg-deb -f "$gui_deb" Depends)
check_has "gui: depends on the command line of its release" "$depends" \
  "tarnwick (= $version)"
check_has "gui: dependencies computed from the binary" "$depends" "libqt6widgets6 (>= "
check_has "gui: recommends pkexec for real hardware" \
  "$(dpkg-deb -f "$gui_deb" Recommends)" "pkexec"

check "gui: files of the .deb" "$(dpkg-deb -c "$gui_deb" | awk '$1 !~ /^d/ {print $1, $2, $6}')" \
  "-rwxr-xr-x root/root ./usr/bin/tarnwick-gui
-rw-r--r-- root/root ./usr/share/applications/invalid.tarnwick.Tarnwick.desktop
-rw-r--r-- root/root ./usr/share/doc/tarnwick-gui/changelog.gz
-rw-r--r-- root/root ./usr/share/doc/tarnwick-gui/copyright
-rw-r--r-- root/root ./usr/share/icons/hicolor/256x256/apps/invalid.tarnwick.Tarnwick.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/scalable/apps/invalid.tarnwick.Tarnwick.svg
-rw-r--r-- root/root ./usr/share/man/man1/tarnwick-gui.1.gz
-rw-r--r-- root/root ./usr/share/metainfo/invalid.tarnwick.Tarnwick.metainfo.xml
-rw-r--r-- root/root ./usr/share/polkit-1/actions/invalid.tarnwick.tarnwick.policy"

if lintian_out=$(lintian --fail-on error "$gui_deb" 2>&1); then
  echo "ok: gui: lintian finds no errors"
else
  echo "FAILED: gui: lintian finds errors"; failed=1
fi
[ -z "$lintian_out" ] || echo "$lintian_out" | sed 's/^/  lintian: /'

gui_files=$work/gui-files
rm -rf "$gui_files"
dpkg-deb -x "$gui_deb" "$gui_files"
if out=$(bash packaging/gui/metadata_test.sh \
    "$gui_files/usr/share/applications/invalid.tarnwick.Tarnwick.desktop" \
    "$gui_files/usr/share/metainfo/invalid.tarnwick.Tarnwick.metainfo.xml" \
    "$gui_files/usr/share/polkit-1/actions/invalid.tarnwick.tarnwick.policy" 2>&1); then
  echo "ok: gui: desktop entry, AppStream metadata, polkit policy"
else
  echo "FAILED: gui: metadata"; echo "$out" | sed 's/^/  /'; failed=1
fi
check "gui: the metadata's release is this version" \
  "$(grep -o "release version=\"$version\"" "$gui_files/usr/share/metainfo/invalid.tarnwick.Tarnwick.metainfo.xml")" \
  "release version=\"$version\""
check_has "gui: the copyright says the licence" \
  "$(cat "$gui_files/usr/share/doc/tarnwick-gui/copyright")" "License: GPL-2+"

echo "-- tarnwick-gui: install with apt and purge in a Debian root"
debian_root
before=$(root_files)
cache=$work/apt-cache
mkdir -p "$cache/archives" "$cache/lists"
apt_root=$work/debian-root
cp /etc/resolv.conf "$apt_root/etc/resolv.conf" 2>/dev/null || true
cp -a "$cache/lists/." "$apt_root/var/lib/apt/lists/"
rm -f "$apt_root/var/cache/apt/archives/"*.deb  # debootstrap's own
cp -a "$cache/archives/." "$apt_root/var/cache/apt/archives/"
cp "$packages/tarnwick_${version}_$arch.deb" "$gui_deb" "$apt_root/tmp/"
install_gui="DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends /tmp/tarnwick_${version}_$arch.deb /tmp/$(basename "$gui_deb")"
fresh=$(find "$cache/lists" -maxdepth 1 -name '*_Packages*' -mmin -1440 | head -n 1)
if { [ -n "$fresh" ] && in_root "$install_gui"; } >"$work/apt-install.log" 2>&1 ||
   in_root "apt-get update -q && $install_gui" >>"$work/apt-install.log" 2>&1; then
  echo "ok: apt installs tarnwick-gui and its dependencies"
else
  echo "FAILED: apt install"; tail -n 30 "$work/apt-install.log" | sed 's/^/  /'
  failed=1
fi
# What apt fetched stays for the next run.
cp -a "$apt_root/var/lib/apt/lists/." "$cache/lists/" 2>/dev/null || true
cp -a "$apt_root/var/cache/apt/archives/"*.deb "$cache/archives/" 2>/dev/null || true
rm -f "$apt_root/tmp/"*.deb

check "gui: tarnwick-gui --version" \
  "$(in_root 'QT_QPA_PLATFORM=offscreen tarnwick-gui --version 2>/dev/null')" \
  "tarnwick-gui $version"
check "gui: no library missing" \
  "$(in_root 'ldd /usr/bin/tarnwick-gui | grep "not found"' 2>&1)" ""
check_has "gui: its help, in Chinese under a Chinese locale" \
  "$(in_root 'LANG=zh_CN.UTF-8 LANGUAGE=zh_CN QT_QPA_PLATFORM=offscreen tarnwick-gui --help' 2>&1)" \
  "模拟编程板"
man_page=$(in_root 'MANPAGER=cat MANWIDTH=80 man tarnwick-gui' 2>&1)
check_has "man tarnwick-gui" "$man_page" "tarnwick-gui - desktop program"

if in_root 'apt-get purge -y -q --autoremove tarnwick-gui tarnwick' \
    >"$work/apt-remove.log" 2>&1; then
  echo "ok: apt purges tarnwick-gui, tarnwick and what they brought"
else
  echo "FAILED: apt purge"; tail -n 20 "$work/apt-remove.log" | sed 's/^/  /'
  failed=1
fi
check "gui: nothing left after the purge" \
  "$(diff <(echo "$before") <(root_files) | grep -v '^[0-9]' || true)" ""
