#!/usr/bin/env bash
# Installs the Debian packages the build and the tests use, when they are missing.
# Usage: tools/install-deps.sh [group...]   groups: native, windows, gui, fresh, fuzz, web
# (default: all)
set -euo pipefail

native=(make cmake ninja-build pkg-config g++ googletest libbenchmark-dev libpng-dev
        libpango1.0-dev libcairo2-dev libfontconfig-dev fonts-dejavu-core fonts-liberation
        fonts-lohit-deva fonts-noto-color-emoji libharfbuzz-bin x11-common strace libx11-dev libxext-dev libxrender-dev xvfb xdotool
        python3 libgif-dev dpkg-dev file man-db imagemagick xscreensaver xscreensaver-data
        libwayland-dev wayland-protocols librust-wayland-protocols-dev plasma-wayland-protocols
        libdecor-0-dev libdecor-0-plugin-1-cairo sway weston grim wtype
        libsystemd-dev dbus kwin-wayland mutter desktop-file-utils python3-gi gir1.2-glib-2.0)
windows=(g++-mingw-w64-x86-64-posix wine wine64)
gui=(xvfb xdotool x11-utils imagemagick fonts-liberation fonts-wine
     xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils python3)
fresh=(debootstrap)
fuzz=(clang libclang-rt-14-dev)
web=(emscripten chromium imagemagick fonts-liberation fonts-dejavu-core fonts-noto-color-emoji)
# node and npm as Debian packages only where no node is installed: a machine may have its
# own (NodeSource's nodejs carries npm, and Debian's npm would conflict with it).
command -v node > /dev/null || web+=(nodejs)
command -v npm > /dev/null || web+=(npm)

groups=("$@")
[ ${#groups[@]} -eq 0 ] && groups=(native windows gui fresh fuzz web)

wanted=()
for g in "${groups[@]}"; do
  case "$g" in
    native)  wanted+=("${native[@]}") ;;
    windows) wanted+=("${windows[@]}") ;;
    gui)     wanted+=("${gui[@]}") ;;
    fresh)   wanted+=("${fresh[@]}") ;;
    fuzz)    wanted+=("${fuzz[@]}") ;;
    web)     wanted+=("${web[@]}") ;;
    *) echo "install-deps: unknown group '$g'" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${wanted[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive

# apt-get ARGS...: another package manager (unattended upgrades on a fresh desktop) may hold
# apt's locks for a while; `apt-get update` does not wait for them, so retry, for up to 15
# minutes in all. Any other failure is final.
apt_get() {
  local deadline=$((SECONDS + 900)) out
  until out=$("${sudo[@]}" apt-get -o DPkg::Lock::Timeout=60 "$@" 2>&1); do
    if ! grep -q -i 'could not get lock\|unable to lock\|unable to acquire' <<< "$out" ||
       [ $SECONDS -ge $deadline ]; then
      printf '%s\n' "$out" >&2
      return 1
    fi
    echo "install-deps: another package manager holds apt's lock; waiting for it" >&2
    sleep 5
  done
}

echo "install-deps: installing ${missing[*]}"
apt_get update -qq
apt_get install -y -qq --no-install-recommends "${missing[@]}"
