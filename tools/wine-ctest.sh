#!/usr/bin/env bash
# Runs ctest on the Windows build. A wineserver started by a test would inherit ctest's
# output pipe and keep it open, so ctest would never finish: start the server first, with
# its output elsewhere, and stop it afterwards whatever happens.
set -euo pipefail
build=$1; shift
source "$(dirname "$0")/wine-env.sh"
mkdir -p "$WINEPREFIX"
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
wineserver -p </dev/null >/dev/null 2>&1
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i </dev/null >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1 || true
ctest --test-dir "$build" --output-on-failure "$@"
