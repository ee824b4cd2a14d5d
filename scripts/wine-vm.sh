#!/usr/bin/env bash
# Runs the tests under Wine in a fully emulated Debian 12 amd64 machine (qemu, TCG), for hosts
# whose kernel runs no 32-bit x86 user code (Wine's 32-bit loader: "Exec format error").
# Everything in it comes from Debian's packages; it is 20 to 50 times slower than Wine on the host.
#
#   wine-vm.sh build       the guest's root from Debian's packages (debootstrap), then its disk
#                          image, in build/vm/; only what changed is done again
#   wine-vm.sh run CMD..   boots the guest, runs CMD with this checkout shared at the same path,
#                          powers off; prints CMD's output and returns its status
#
# Every run starts from the same image (-snapshot): the guest's own writes are thrown away, only
# those to the shared checkout stay. No network is used at run time.
set -euo pipefail
share=${WINE_VM_SHARE:-$(cd "$(dirname "$0")/.." && pwd)}
here=$share/build/vm
root=$here/root                 # debootstrap folder (the image's contents)
img=$here/root.ext4             # what the VM boots from
mem=${WINE_VM_MEM:-6G} smp=${WINE_VM_SMP:-2}
# TCG (qemu 7.2) reads the stack of a 32-bit iret as the kernel would: with SMAP on, every
# Wine process dies on its first return from a signal ("supervisor read access in user mode").
cpu=${WINE_VM_CPU:-max,-smap}

# What the tests under Wine need at run time (scripts/deps.sh), and a kernel to boot.
packages=(wine wine32:i386 libwine:i386 xvfb xdotool x11-utils imagemagick fonts-ipafont-gothic
          cmake python3 python3-yaml bc time icoutils procps util-linux fontconfig
          locales linux-image-amd64 initramfs-tools kmod)

# The host's own Debian mirror (deb822 sources or a sources.list line), for debootstrap.
host_mirror() {
  local uri
  uri=$(awk '/^URIs:/ {u=$2} /^Suites:/ && / bookworm( |$)/ {print u; exit}' /etc/apt/sources.list.d/*.sources 2>/dev/null)
  [ -n "$uri" ] || uri=$(awk '$1 == "deb" && $3 == "bookworm" {print $2; exit}' /etc/apt/sources.list 2>/dev/null)
  [ -n "$uri" ] || { echo "wine-vm: no Debian 12 mirror in this host's apt sources" >&2; return 1; }
  echo "$uri"
}

in_root() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
              DEBIAN_FRONTEND=noninteractive LC_ALL=C "$@"; }

build() {
  if ! command -v qemu-system-x86_64 >/dev/null || ! command -v debootstrap >/dev/null; then
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends qemu-system-x86 debootstrap
  fi
  mkdir -p "$here"
  if [ ! -f "$root/.debootstrap-done" ]; then
    rm -rf "$root"
    debootstrap --variant=minbase --arch=amd64 bookworm "$root" "$(host_mirror)"
    touch "$root/.debootstrap-done"
  fi
  # The host's sources (updates, security), so that the guest's Wine is the host's.
  rm -f "$root/etc/apt/sources.list"
  cp /etc/apt/sources.list.d/*.sources "$root/etc/apt/sources.list.d/" 2>/dev/null ||
    cp /etc/apt/sources.list "$root/etc/apt/sources.list"
  mountpoint -q "$root/proc" || mount -t proc proc "$root/proc"
  trap 'umount "$root/proc" 2>/dev/null || true' EXIT
  grep -qx i386 "$root/var/lib/dpkg/arch" 2>/dev/null || in_root dpkg --add-architecture i386
  in_root apt-get update -qq
  in_root apt-get install -y -qq --no-install-recommends "${packages[@]}"
  in_root apt-get clean
  # Wine maps file names through the locale (see deps.sh): the tests' two languages.
  for loc in ja_JP en_US; do
    in_root locale -a | grep -qix "$loc\.utf8" || in_root localedef -i "$loc" -c -f UTF-8 "$loc.UTF-8"
  done
  # The initramfs is made in a chroot, which cannot see the VM's devices: the disk's and the
  # shared folders' modules are named.
  local mods=$root/etc/initramfs-tools/modules
  if ! grep -qx 9pnet_virtio "$mods"; then
    printf '%s\n' virtio_pci virtio_blk ext4 9p 9pnet_virtio virtio_console >> "$mods"
    in_root update-initramfs -u
  fi
  umount "$root/proc"; trap - EXIT
  # Written only when it changed: a newer one remakes the image.
  local init; init=$(mktemp)
  cat > "$init" <<'EOF'
#!/bin/bash
# PID 1 of the guest: mounts what the tests need, runs /xfer/cmd, records its status, powers off.
PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
mount -t proc proc /proc 2>/dev/null; mount -t sysfs sys /sys 2>/dev/null
mount -t devtmpfs dev /dev 2>/dev/null
mkdir -p /dev/pts /dev/shm /xfer "$WINE_VM_SHARE"
mount -t devpts devpts /dev/pts; mount -t tmpfs -o mode=1777 shm /dev/shm
mount -t tmpfs -o mode=1777 tmp /tmp; mount -t tmpfs run /run
mount -t 9p -o trans=virtio,version=9p2000.L,msize=524288 xfer /xfer
# cache=loose: Wine makes and reads thousands of small files in its prefix; without caching
# every lookup is a round trip to the host (wineboot: 122 s with cache=mmap, 91 s with loose).
mount -t 9p -o trans=virtio,version=9p2000.L,msize=524288,cache=${WINE_VM_CACHE:-loose} share "$WINE_VM_SHARE"
hostname wine-vm; ip link set lo up 2>/dev/null || ifconfig lo up 2>/dev/null
out=/dev/hvc0; [ -c "$out" ] || out=/dev/console
export HOME=/root USER=root LOGNAME=root SHELL=/bin/bash LANG=C.UTF-8 TERM=dumb
[ -f /xfer/cwd ] && cd "$(cat /xfer/cwd)"
bash /xfer/cmd </dev/null >"$out" 2>&1
echo $? > /xfer/rc
sync
echo o > /proc/sysrq-trigger
sleep 10
EOF
  cmp -s "$init" "$root/sbin/wine-vm-init" || install -m 755 "$init" "$root/sbin/wine-vm-init"
  rm -f "$init"
  # The image is remade when the root changed; 2 GiB free for the guest's /var, /root etc.
  if [ ! -f "$img" ] || [ -n "$(find "$root/var/lib/dpkg/status" "$root/usr/lib/locale" "$root/sbin/wine-vm-init" -newer "$img")" ]; then
    local mb; mb=$(du -sm --exclude=./proc "$root" | cut -f1)
    rm -f "$img"
    mke2fs -q -t ext4 -L wine-vm -d "$root" "$img" "$((mb + 2048))M"
  fi
  echo "wine-vm: $img ready ($(du -sh "$img" | cut -f1) used)"
}

run() {
  [ -f "$img" ] || { echo "wine-vm: no image; run: $0 build" >&2; exit 1; }
  local rc; xfer=$(mktemp -d /tmp/wine-vm.XXXXXX)
  trap 'rm -rf "$xfer"' EXIT
  printf '%q ' "$@" > "$xfer/cmd"; echo >> "$xfer/cmd"
  case "$PWD" in "$share"|"$share"/*) echo "$PWD" > "$xfer/cwd" ;; esac
  # Kernel and initramfs come from the guest root, so that the modules match; panic=1 with
  # -no-reboot ends qemu rather than leave a dead guest running.
  qemu-system-x86_64 -accel tcg,thread=multi -cpu "$cpu" -smp "$smp" -m "$mem" \
    -nodefaults -no-user-config -display none -no-reboot \
    -kernel "$root/vmlinuz" -initrd "$root/initrd.img" \
    -append "root=/dev/vda rw console=ttyS0 panic=1 quiet loglevel=3 init=/sbin/wine-vm-init WINE_VM_SHARE=$share ${WINE_VM_APPEND:-}" \
    -drive file="$img",format=raw,if=virtio,snapshot=on \
    -virtfs local,path="$share",mount_tag=share,security_model=passthrough,id=share \
    -virtfs local,path="$xfer",mount_tag=xfer,security_model=passthrough,id=xfer \
    -serial file:"$here/last-boot.log" \
    -device virtio-serial -chardev stdio,id=out,signal=off -device virtconsole,chardev=out \
    </dev/null
  rc=$(cat "$xfer/rc" 2>/dev/null) || { echo "wine-vm: the guest ended without a status (see $here/last-boot.log)" >&2; return 1; }
  return "$rc"
}

case "${1:-}" in
  build) build ;;
  run) shift; [ $# -gt 0 ] || { echo "usage: wine-vm.sh run CMD..." >&2; exit 2; }; run "$@" ;;
  *) echo "usage: wine-vm.sh build | run CMD..." >&2; exit 2 ;;
esac
