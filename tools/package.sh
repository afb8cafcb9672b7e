#!/usr/bin/env bash
# Builds the release configurations and writes the packages a user installs
# to build/packages/ (anything older there is removed):
#
#   tarnwick_<version>_<arch>.deb   the command line for Debian and Ubuntu
#   tarnwick-gui_<version>_<arch>.deb  its desktop program (Qt 6)
#   tarnwick-<version>-win32.zip    the Windows programs, 32 and 64 bit,
#   tarnwick-<version>-win64.zip    each in a folder ready to unzip
#   SHA256SUMS                      their checksums (sha256sum -c SHA256SUMS)
#
# The version is the CMake project's (the top CMakeLists.txt). Files in the
# packages carry the time of the last commit, not that of the build.
#
#   tools/package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

tools/install-deps.sh >/dev/null

out=$root/build/packages
stage=$root/build/package-stage
jobs=$(nproc)
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null || date +%s)
export SOURCE_DATE_EPOCH

# The value of a CMake cache entry of a configured build folder.
cache_value() {  # cache_value BUILD_DIR NAME
  sed -n "s/^$2:[A-Z]*=//p" "$1/CMakeCache.txt"
}

# Gives every file and folder under DIR the usual modes and the commit's
# time.
normalize() {  # normalize DIR
  chmod -R u+rwX,go+rX,go-w "$1"
  find "$1" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
}

# The Debian package, from `cmake --install` of the release build.
make_deb() {
  echo "== package: tarnwick for Debian"
  # Debian's hardening flags: the program runs as root or with the right
  # to drive any I/O port.
  export DEB_BUILD_MAINT_OPTIONS=hardening=+all
  cmake --preset release \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
  cmake --build --preset release -j "$jobs" --target tarnwick tarnwick-gui
  local build=$root/build/release
  # The package's root (with its DEBIAN folder) where dpkg-shlibdeps
  # expects it, beside a debian/control for it to read.
  local version arch root_dir=$stage/debian/tarnwick
  version=$(cache_value "$build" CMAKE_PROJECT_VERSION)
  arch=$(dpkg --print-architecture)
  rm -rf "$stage/debian"
  # The desktop program's files are its own package's (make_gui_deb).
  DESTDIR=$root_dir cmake --install "$build" --prefix /usr \
    --component Unspecified >/dev/null
  mkdir -m 755 "$root_dir/DEBIAN"
  printf 'Source: tarnwick\n\nPackage: tarnwick\nArchitecture: any\n\nPackage: tarnwick-gui\nArchitecture: any\n' \
    >"$stage/debian/control"
  strip --strip-unneeded --remove-section=.comment --remove-section=.note \
    "$root_dir/usr/bin/tarnwick"

  # Compressed as Debian wants them: the manual page, the README, and a
  # changelog (this is a native package: changelog.gz).
  local doc=$root_dir/usr/share/doc/tarnwick
  gzip -9n "$root_dir/usr/share/man/man1/tarnwick.1" "$doc/README.md"
  changelog "$version" >"$doc/changelog.gz"

  # Dependencies from the libraries the binary links.
  local depends
  depends=$(cd "$stage" && dpkg-shlibdeps -O debian/tarnwick/usr/bin/tarnwick |
    sed -n 's/^shlibs:Depends=//p')
  [ -n "$depends" ] || { echo "package: no dependencies found" >&2; exit 1; }

  normalize "$root_dir"
  (cd "$root_dir" && find usr -type f | LC_ALL=C sort | xargs md5sum) \
    >"$root_dir/DEBIAN/md5sums"
  sed -e "s/@VERSION@/$version/" -e "s/@ARCH@/$arch/" \
    -e "s/@INSTALLED_SIZE@/$(du -sk --exclude=DEBIAN "$root_dir" | cut -f1)/" \
    -e "s/@DEPENDS@/$depends/" packaging/deb/control.in \
    >"$root_dir/DEBIAN/control"
  normalize "$root_dir/DEBIAN"
  dpkg-deb --root-owner-group -Zxz --build "$root_dir" \
    "$out/tarnwick_${version}_${arch}.deb" >/dev/null
  echo "package: $out/tarnwick_${version}_${arch}.deb"
}

# The Debian changelog of a release, compressed.
changelog() {  # changelog VERSION
  {
    echo "tarnwick ($1) unstable; urgency=medium"
    echo
    echo "  * Release $1. The changes are in the project's history."
    echo
    echo " -- Tarnwick developers <dev@tarnwick.invalid>  $(LC_ALL=C date -u -R -d "@$SOURCE_DATE_EPOCH")"
  } | gzip -9n
}

# The desktop program's package, from `cmake --install --component gui` of
# the release build make_deb made: a package of its own, so that the
# command line stays free of Qt and X for servers and scripts.
make_gui_deb() {
  echo "== package: tarnwick-gui for Debian"
  local build=$root/build/release version arch root_dir=$stage/debian/tarnwick-gui
  version=$(cache_value "$build" CMAKE_PROJECT_VERSION)
  arch=$(dpkg --print-architecture)
  rm -rf "$root_dir"
  DESTDIR=$root_dir cmake --install "$build" --prefix /usr --component gui \
    >/dev/null
  mkdir -m 755 "$root_dir/DEBIAN"
  strip --strip-unneeded --remove-section=.comment --remove-section=.note \
    "$root_dir/usr/bin/tarnwick-gui"
  gzip -9n "$root_dir/usr/share/man/man1/tarnwick-gui.1"
  changelog "$version" >"$root_dir/usr/share/doc/tarnwick-gui/changelog.gz"
  local depends
  depends=$(cd "$stage" && dpkg-shlibdeps -O debian/tarnwick-gui/usr/bin/tarnwick-gui |
    sed -n 's/^shlibs:Depends=//p')
  [[ $depends == *libqt6widgets6* ]] || {
    echo "package: no Qt in the dependencies found: $depends" >&2; exit 1; }
  normalize "$root_dir"
  (cd "$root_dir" && find usr -type f | LC_ALL=C sort | xargs md5sum) \
    >"$root_dir/DEBIAN/md5sums"
  sed -e "s/@VERSION@/$version/g" -e "s/@ARCH@/$arch/" \
    -e "s/@INSTALLED_SIZE@/$(du -sk --exclude=DEBIAN "$root_dir" | cut -f1)/" \
    -e "s/@DEPENDS@/$depends/" packaging/deb/control-gui.in \
    >"$root_dir/DEBIAN/control"
  normalize "$root_dir/DEBIAN"
  dpkg-deb --root-owner-group -Zxz --build "$root_dir" \
    "$out/tarnwick-gui_${version}_${arch}.deb" >/dev/null
  echo "package: $out/tarnwick-gui_${version}_${arch}.deb"
}

# Text for Windows: CR LF line ends, the version and word size filled in.
windows_text() {  # windows_text SOURCE DEST VERSION BITS
  sed -e "s/@VERSION@/$3/g" -e "s/@BITS@/$4/g" -e 's/$/\r/' "$1" >"$2"
}

# The zip of one Windows build (preset win32 or win64): the programs at the
# top of a folder named like the zip, the simulated board in a subfolder.
make_zip() {  # make_zip PRESET BITS
  local preset=$1 bits=$2
  echo "== package: Windows $bits-bit"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs" --target Tarnwick tarnwick \
    winio_sim
  local build=$root/build/$preset version strip name dir
  version=$(cache_value "$build" CMAKE_PROJECT_VERSION)
  strip=$(cache_value "$build" CMAKE_STRIP)
  name=tarnwick-$version-$preset
  dir=$stage/$name
  rm -rf "$dir"
  mkdir -p "$dir/simulated-board"
  cp "$build/dist/Tarnwick.exe" "$build/dist/tarnwick-cli.exe" "$dir/"
  cp "$build/dist/WINIO.dll" "$dir/simulated-board/"
  "$strip" "$dir/Tarnwick.exe" "$dir/tarnwick-cli.exe" \
    "$dir/simulated-board/WINIO.dll"
  local text
  for text in README.txt THIRD-PARTY.txt start.ini; do
    windows_text "packaging/windows/$text" "$dir/$text" "$version" "$bits"
  done
  windows_text LICENSE "$dir/LICENSE.txt" "$version" "$bits"
  windows_text packaging/windows/simboard.ini \
    "$dir/simulated-board/simboard.ini" "$version" "$bits"
  normalize "$dir"
  (cd "$stage" && find "$name" | LC_ALL=C sort |
    TZ=UTC zip -X -q -9 "$out/$name.zip" -@)
  echo "package: $out/$name.zip"
}

rm -rf "$out" "$stage"
mkdir -p "$out" "$stage"
make_deb
make_gui_deb
make_zip win32 32
make_zip win64 64
(cd "$out" && sha256sum -- *.deb *.zip >SHA256SUMS)
echo "== package: done; $out:"
(cd "$out" && ls -l)
