#!/bin/bash
# Installs what the project needs on a fresh Debian 12 machine: the native
# toolchain, GoogleTest, CLI11 and nlohmann-json, Python (tests read the
# event stream and check checksums with it), Qt 6 with its translation
# tools, appstream, desktop-file-utils and libxml2-utils (the Linux desktop
# program and its metadata), xdotool (its end-to-end test), clang with libFuzzer (libclang-rt-14-dev) for the
# fuzz targets, the MinGW-w64 cross compilers (32 and 64 bit), Wine with its
# 32-bit half, Xvfb, a CJK font, ImageMagick for screenshots, icoutils to
# compare the Windows builds' resources, srecord (srec_cat) to check the
# image formats against a tool of its own, the
# zh_CN.UTF-8 and en_US.UTF-8 locales Wine takes its code page from, and
# QEMU and a static busybox for the test virtual machine (tools/vm.sh,
# which unpacks Debian's kernel package into the build folder itself).
#
# Idempotent: packages already installed are not asked for again, and when
# everything is in place it only checks (about a second) and touches nothing.
# Must run as root, or with sudo available.
set -euo pipefail

packages=(
  cmake ninja-build g++ libgtest-dev libgmock-dev libcli11-dev
  nlohmann-json3-dev python3
  # the Linux desktop program
  qt6-base-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
  appstream desktop-file-utils libxml2-utils xdotool
  clang libclang-rt-14-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64
  wine wine64 wine32:i386
  xvfb x11-utils fonts-wqy-microhei imagemagick icoutils srecord
  locales
  # tools/package.sh and the tests of its packages
  dpkg-dev lintian debootstrap zip unzip
  # the test virtual machine (tools/vm.sh)
  qemu-system-x86 busybox-static
)
locales_wanted=("zh_CN.UTF-8 UTF-8" "en_US.UTF-8 UTF-8")

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

is_installed() {
  [ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)" = "install ok installed" ]
}

# wine32 is an i386 package: the architecture must be known to dpkg first.
# (grep without -q reads all its input: no SIGPIPE failing a pipeline.)
if ! dpkg --print-foreign-architectures | grep -x i386 >/dev/null; then
  echo "install-deps: adding the i386 architecture"
  as_root dpkg --add-architecture i386
fi

missing=()
for p in "${packages[@]}"; do
  is_installed "$p" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  as_root apt-get update -q
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
else
  echo "install-deps: all packages present"
fi

# Locales: listed in /etc/locale.gen (so a later locale-gen keeps them) and
# compiled only when one is missing.
need_gen=0
for l in "${locales_wanted[@]}"; do
  if ! grep -qx "$l" /etc/locale.gen; then
    as_root sed -i "s/^# *${l}\$/${l}/" /etc/locale.gen
    grep -qx "$l" /etc/locale.gen || echo "$l" | as_root tee -a /etc/locale.gen >/dev/null
  fi
  name=${l%% *}                                   # zh_CN.UTF-8
  short=${name/UTF-8/utf8}                        # zh_CN.utf8
  locale -a 2>/dev/null | grep -x "$short" >/dev/null || need_gen=1
done
if [ $need_gen -eq 1 ]; then
  echo "install-deps: generating locales"
  as_root locale-gen
else
  echo "install-deps: locales present"
fi
