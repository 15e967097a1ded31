#!/usr/bin/env bash
# Installs the Debian packages the build and the tests use, when they are missing.
# Usage: tools/install-deps.sh [group...]   groups: native, windows, gui, fresh, fuzz (default: all)
set -euo pipefail

native=(make cmake ninja-build g++ googletest libbenchmark-dev libpng-dev
        libfreetype-dev libfontconfig-dev fonts-dejavu-core fonts-liberation strace libx11-dev libxext-dev libxrender-dev xvfb xdotool
        python3 libgif-dev dpkg-dev file man-db imagemagick xscreensaver xscreensaver-data)
windows=(g++-mingw-w64-x86-64-posix wine wine64)
gui=(xvfb xdotool x11-utils imagemagick fonts-liberation fonts-wine)
fresh=(debootstrap)
fuzz=(clang libclang-rt-14-dev)

groups=("$@")
[ ${#groups[@]} -eq 0 ] && groups=(native windows gui fresh fuzz)

wanted=()
for g in "${groups[@]}"; do
  case "$g" in
    native)  wanted+=("${native[@]}") ;;
    windows) wanted+=("${windows[@]}") ;;
    gui)     wanted+=("${gui[@]}") ;;
    fresh)   wanted+=("${fresh[@]}") ;;
    fuzz)    wanted+=("${fuzz[@]}") ;;
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
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
