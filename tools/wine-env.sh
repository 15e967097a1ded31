# Sourced by the scripts that run Windows programs: a private, quiet Wine.
# WINE_ROOT (default: build/wine beside this file) holds the prefix and temporary files.
_vapryx_top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINE_ROOT=${WINE_ROOT:-$_vapryx_top/build/wine}
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX=$WINE_ROOT/prefix
export TMPDIR=$WINE_ROOT/tmp
mkdir -p "$TMPDIR"
