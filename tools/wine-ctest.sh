#!/usr/bin/env bash
# Runs ctest on the Windows build, on a private Xvfb display (some tests make windows).
# A wineserver started by a test would inherit ctest's output pipe and keep it open, so
# ctest would never finish: the server is started first, with its output elsewhere, and
# stopped afterwards whatever happens.
set -euo pipefail
build=$1; shift
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/tools/wine-env.sh"
source "$top/tools/wine-display.sh"
trap stop_wine_display EXIT
start_wine_display 800x600 plain "$WINE_ROOT"
ctest --test-dir "$build" --output-on-failure "$@"
