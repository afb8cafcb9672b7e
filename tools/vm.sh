#!/usr/bin/env bash
# Runs a command as root in a virtual machine: Debian's own kernel (unpacked
# from the linux-image-amd64 package into build/vm/kernel) under QEMU, with
# an emulated RTL8139 card and a parallel port at 378, this machine's root
# shared read-only with fresh tmpfs folders on /tmp, /run and /root, and
# over them the checkout read-only and its build folder writable, each at
# its own path (wherever the checkout is, /tmp and /root included). The
# guest kernel has what this machine's may lack: port I/O and 32-bit
# programs. Prints the command's standard output and error and exits with
# its exit code.
#
#   tools/vm.sh [OPTIONS] [--] COMMAND [ARG...]
#
#   --dir DIR        the run's folder (default build/vm/last, emptied
#                    first): command, stdout, stderr, exit-code,
#                    console.log (the guest's console) and ports.log
#                    (QEMU's record of every port and memory-mapped
#                    register access, reads and writes)
#   --cards N        RTL8139 cards (default 1; the first at I/O C000)
#   --no-parallel    no parallel port
#   --parallel N     N parallel ports, 0 to 2 (default 1): at 378, then 278
#   --no-record      no ports.log (it slows long runs down)
#   --timeout SECS   the guest is stopped after SECS (default 300); exit 124
#   --memory MB      guest memory (default 2048)
#
# The command runs in the current folder (inside the checkout, or outside
# /tmp, /run and /root, which are the guest's own), with a minimal
# environment; pass variables with `env`.
# Exit codes besides the command's: 124 out of time, 125 the machine did
# not run the command (its console log is shown).
#
# KVM is used where /dev/kvm works, software emulation otherwise;
# TARNWICK_VM_ACCEL=tcg forces software emulation, =kvm forbids it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build"
vm="$build/vm"

dir="$vm/last" cards=1 parallel=1 record=yes timeout_secs=300 memory=2048
while [ $# -gt 0 ]; do
  case $1 in
    --dir) dir=$2; shift 2 ;;
    --cards) cards=$2; shift 2 ;;
    --no-parallel) parallel=0; shift ;;
    --parallel) parallel=$2; shift 2 ;;
    --no-record) record=no; shift ;;
    --timeout) timeout_secs=$2; shift 2 ;;
    --memory) memory=$2; shift 2 ;;
    --) shift; break ;;
    -*) echo "vm: unknown option $1" >&2; exit 2 ;;
    *) break ;;
  esac
done
[ $# -gt 0 ] || { sed -n '2,/^set -e/p' "$0" | sed '$d; s/^# \{0,1\}//' >&2; exit 2; }

vm_log() { echo "vm: $*" >&2; }

# The kernel image and the modules the guest loads, unpacked from the
# package linux-image-amd64 depends on. Downloaded once (about 70 MB) and
# kept; the package itself is not kept.
modules=(virtio_ring virtio virtio_pci_modern_dev virtio_pci_legacy_dev
  virtio_pci netfs fscache 9pnet 9pnet_virtio 9p parport parport_pc)
kernel_unpack() {
  local k=$vm/kernel
  [ -f "$k/vmlinuz" ] && return 0
  local pkg
  pkg=$(apt-cache depends linux-image-amd64 2>/dev/null |
    sed -n 's/^ *Depends: \(linux-image-[^ ]*\)$/\1/p' | head -n 1)
  if [ -z "$pkg" ]; then
    apt-get update -q >/dev/null
    pkg=$(apt-cache depends linux-image-amd64 |
      sed -n 's/^ *Depends: \(linux-image-[^ ]*\)$/\1/p' | head -n 1)
  fi
  [ -n "$pkg" ] || { vm_log "no kernel package behind linux-image-amd64"; return 1; }
  vm_log "unpacking the kernel of $pkg"
  local tmp=$vm/kernel.tmp
  rm -rf "$tmp" && mkdir -p "$tmp/deb" "$tmp/files"
  # apt's download user must be able to write there.
  chmod 777 "$tmp/deb"
  (cd "$tmp/deb" && timeout 600 apt-get download -q "$pkg" >/dev/null) ||
    { vm_log "apt-get download $pkg failed"; return 1; }
  local m f patterns=('./boot/vmlinuz-*')
  for m in "${modules[@]}"; do patterns+=("*/$m.ko"); done
  dpkg-deb --fsys-tarfile "$tmp"/deb/*.deb |
    tar -x -C "$tmp/files" --wildcards "${patterns[@]}"
  mkdir -p "$tmp/kernel/modules"
  mv "$tmp"/files/boot/vmlinuz-* "$tmp/kernel/vmlinuz"
  for m in "${modules[@]}"; do
    f=$(find "$tmp/files/lib/modules" -name "$m.ko" | head -n 1)
    [ -n "$f" ] || { vm_log "module $m missing from $pkg"; return 1; }
    mv "$f" "$tmp/kernel/modules/"
  done
  echo "$pkg" >"$tmp/kernel/package"
  rm -rf "$k" && mv "$tmp/kernel" "$k" && rm -rf "$tmp"
}

# The initramfs: busybox, the modules and tools/vm/init; made anew when
# any of them is newer.
initramfs_pack() {
  local out=$vm/initramfs.cpio.gz init=$root/tools/vm/init
  local busybox=/bin/busybox
  if [ -f "$out" ] && [ "$out" -nt "$init" ] && [ "$out" -nt "$busybox" ] &&
    [ "$out" -nt "$vm/kernel/vmlinuz" ]; then
    return 0
  fi
  [ "$(dpkg-query -W -f='${Status}' busybox-static 2>/dev/null)" = \
    "install ok installed" ] ||
    { vm_log "busybox-static is not installed"; return 1; }
  local tmp=$vm/initramfs.tmp a
  rm -rf "$tmp" && mkdir -p "$tmp"/{bin,proc,sys,dev,mnt,modules}
  cp "$busybox" "$tmp/bin/busybox"
  for a in sh mount insmod chroot poweroff cat cut echo base64 hostname mkdir ln sync; do
    ln -s busybox "$tmp/bin/$a"
  done
  cp "$vm"/kernel/modules/*.ko "$tmp/modules/"
  cp "$init" "$tmp/init"
  chmod 755 "$tmp/init"
  (cd "$tmp" && find . | "$busybox" cpio -o -H newc 2>/dev/null | gzip -1) >"$out.new"
  mv "$out.new" "$out" && rm -rf "$tmp"
}

# qemu ACCEL SECS LOG APPEND [QEMU OPTIONS...]: boots the guest with
# accelerator ACCEL (kvm or tcg), its console going to LOG and the kernel
# command line APPEND, stopping it after SECS. Returns QEMU's exit code
# (124: out of time).
qemu() {
  local accel=$1 secs=$2 log=$3 append=$4 cpu=qemu64
  [ "$accel" = tcg ] || cpu=max
  shift 4
  timeout -k 10 "$secs" qemu-system-x86_64 \
    -machine pc -accel "$accel" -cpu "$cpu" -smp 2 -m "$memory" \
    -nodefaults -display none -no-reboot -monitor none -serial "file:$log" \
    -kernel "$vm/kernel/vmlinuz" -initrd "$vm/initramfs.cpio.gz" \
    -append "console=ttyS0 quiet panic=-1 $append" "$@" </dev/null
}

# The accelerator: kvm where /dev/kvm opens and a guest boots under it
# within 20 s (a KVM inside another virtual machine may hang a guest at
# its start), tcg (software emulation) otherwise. The boot test is made
# once per boot of this machine and remembered in build/vm/accel.
accel_choose() {
  case ${TARNWICK_VM_ACCEL:-auto} in
    tcg | kvm) echo "$TARNWICK_VM_ACCEL"; return 0 ;;
    auto) ;;
    *) vm_log "TARNWICK_VM_ACCEL must be tcg, kvm or auto"; return 1 ;;
  esac
  if [ ! -r /dev/kvm ] || [ ! -w /dev/kvm ]; then echo tcg; return 0; fi
  local memo=$vm/accel boot_id accel=tcg
  boot_id=$(cat /proc/sys/kernel/random/boot_id)
  if [ -f "$memo" ] && [ "$(sed -n 1p "$memo")" = "$boot_id" ]; then
    sed -n 2p "$memo"
    return 0
  fi
  if qemu kvm 20 "$vm/accel-test.log" "" >/dev/null 2>&1 &&
    grep -q 'booted, no command' "$vm/accel-test.log"; then
    accel=kvm
  else
    vm_log "/dev/kvm is there but a guest does not boot under it: software emulation"
  fi
  printf '%s\n%s\n' "$boot_id" "$accel" >"$memo"
  echo $accel
}

mkdir -p "$vm"
# One run at a time prepares the kernel, the initramfs and the accelerator.
exec {lock}>"$vm/lock"
flock -w 900 "$lock" || { vm_log "another run holds $vm/lock"; exit 125; }
kernel_unpack
initramfs_pack
accel=$(accel_choose)
exec {lock}>&-

cwd=$(pwd)
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
case $dir in
  "$build"/*) ;;
  *) vm_log "--dir must lie under $build, which the guest can write"; exit 2 ;;
esac
rm -f "$dir"/{command,stdout,stderr,exit-code,console.log,ports.log,qemu.log}
{
  echo "cd $(printf '%q' "$cwd") || exit 125"
  printf '%q ' "$@"
  echo
} >"$dir/command"

devices=(-device rtl8139,netdev=n0 -netdev user,id=n0,restrict=on)
for ((i = 2; i <= cards; i++)); do
  devices+=(-device "rtl8139,netdev=n$i" -netdev "user,id=n$i,restrict=on")
done
[ "$cards" -ge 1 ] || devices=()
case $parallel in
  0 | 1 | 2) ;;
  *) vm_log "--parallel takes 0, 1 or 2"; exit 2 ;;
esac
if [ "$parallel" -ge 1 ]; then
  devices+=(-chardev null,id=par0 -device isa-parallel,chardev=par0,iobase=0x378)
fi
if [ "$parallel" -ge 2 ]; then
  devices+=(-chardev null,id=par1
    -device isa-parallel,chardev=par1,index=1,iobase=0x278,irq=5)
fi
trace=()
if [ $record = yes ]; then
  trace=(-trace "enable=memory_region_ops_*,file=$dir/ports.log")
fi
b64() { printf '%s' "$1" | base64 -w 0; }

# What the guest's /init mounts and runs (tools/vm/init).
words="tarnwick_checkout=$(b64 "$root") tarnwick_build=$(b64 "$build")"
words+=" tarnwick_run=$(b64 "$dir") tarnwick_accel=$accel"
start=$SECONDS
code=0
qemu "$accel" "$timeout_secs" "$dir/console.log" "$words" \
  -virtfs local,path=/,mount_tag=hostroot,security_model=none,readonly=on,multidevs=remap \
  -virtfs "local,path=$root,mount_tag=checkout,security_model=none,readonly=on,multidevs=remap" \
  -virtfs "local,path=$build,mount_tag=build,security_model=none,multidevs=remap" \
  "${devices[@]}" "${trace[@]}" >"$dir/qemu.log" 2>&1 || code=$?
echo "$accel $((SECONDS - start)) s" >"$dir/machine"

if [ $code -eq 124 ]; then
  vm_log "the machine did not end within $timeout_secs s (see $dir/console.log)"
  exit 124
fi
if [ ! -f "$dir/exit-code" ]; then
  vm_log "the machine did not run the command (QEMU exit $code); its console:"
  tail -n 30 "$dir/console.log" "$dir/qemu.log" >&2 || true
  exit 125
fi
cat "$dir/stdout"
cat "$dir/stderr" >&2
exit "$(cat "$dir/exit-code")"
