#!/usr/bin/env bash
# Installs the package into a fresh minimal Debian 12 root with apt-get, as a user would on a
# new machine, and runs it there: apt must find everything it needs, and the program must
# start. The bare root is made once with debootstrap (needs root and the Debian mirror) and
# kept as build/fresh-root.tar; every check unpacks a new copy of it.
# Usage: tools/package-check.sh PACKAGE.deb
set -euo pipefail
deb=$(realpath "$1")
top=$(cd "$(dirname "$0")/.." && pwd)
[ "$(id -u)" -eq 0 ] || { echo "package-check: needs root (debootstrap and chroot)"; exit 1; }
bare=$top/build/fresh-root.tar
if [ ! -s "$bare" ]; then
  staging=$(mktemp -d)
  echo "package-check: making a minimal Debian 12 root (once)"
  debootstrap --variant=minbase bookworm "$staging/root" http://deb.debian.org/debian > "$staging/log" 2>&1 \
    || { tail -n 20 "$staging/log"; rm -rf "$staging"; exit 1; }
  tar -C "$staging/root" -cf "$bare.part" . && mv "$bare.part" "$bare"
  rm -rf "$staging"
fi

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
tar -C "$root" -xf "$bare"
cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
cp "$deb" "$root/tmp/"
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/tmp/home LANG=C.UTF-8 "$@"; }

in_root test ! -e /usr/lib/x86_64-linux-gnu/libX11.so.6 \
  || { echo "package-check: the root is not fresh (it has Xlib)"; exit 1; }
in_root apt-get update -qq
DEBIAN_FRONTEND=noninteractive in_root apt-get install -y -qq "/tmp/$(basename "$deb")" > "$root/install.log" 2>&1 \
  || { tail -n 20 "$root/install.log"; exit 1; }
passed=0 failed=0
check() {
  if [ "$2" -eq 0 ]; then passed=$((passed + 1)); echo "  ok   $1"; else failed=$((failed + 1)); echo "  FAIL $1"; fi
}
check "apt-get installed it with its dependencies" "$(in_root dpkg-query -W -f='${Status}' vapryx | grep -q 'install ok installed'; echo $?)"
check "vapryx --help runs" "$(in_root vapryx --help | grep -q -- --register; echo $?)"
check "the hack is where XScreenSaver looks" "$(in_root /usr/libexec/xscreensaver/vapryx --version | grep -q '^vapryx '; echo $?)"
in_root mkdir -p /tmp/home
check "vapryx --register writes a new ~/.xscreensaver" \
  "$(in_root vapryx --register > /dev/null && grep -q '"Vapryx" vapryx --root' "$root/tmp/home/.xscreensaver"; echo $?)"
echo "package-check: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
