#!/usr/bin/env bash
# The Debian package DEB that `make package` built from BUILD: its file list, its control
# fields and dependencies, a stripped program that runs from the unpacked tree, a man page
# that documents every option the program has, and a valid menu entry with its icons.
# Usage: tests/package/check.sh BUILD DEB
set -uo pipefail
build=$(realpath "$1")
deb=$(realpath "$2")
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0 failures=0
check() {  # check NAME STATUS
  if [ "$2" -eq 0 ]; then passed=$((passed + 1)); else failures=$((failures + 1)); echo "FAIL: $1"; fi
}

[ -f "$deb" ] || { echo "FAIL: no package $2"; exit 1; }

version=$("$build/vapryx" --version | awk '{print $2}')
check "file name carries the program's version ($version)" \
  "$([ "$(basename "$deb")" = "vapryx_${version}_amd64.deb" ] && echo 0 || echo 1)"
field() { dpkg-deb -f "$deb" "$1"; }
check "control: package, version, architecture" \
  "$([ "$(field Package)" = vapryx ] && [ "$(field Version)" = "$version" ] && [ "$(field Architecture)" = amd64 ] && echo 0 || echo 1)"
depends=$(field Depends)
missing=""
for lib in libc6 libstdc++6 libpango-1.0-0 libpangocairo-1.0-0 libcairo2 libfontconfig1 libx11-6 libxext6 fonts-dejavu-core; do
  echo "$depends" | tr ',' '\n' | awk '{print $1}' | grep -q -F -x "$lib" || missing="$missing $lib"
done
check "depends on what it links (from shlibdeps) and the stand-in font:$missing" "$([ -z "$missing" ] && echo 0 || echo 1)"
check "no development package among the dependencies" "$(echo "$depends" | grep -q -- -dev && echo 1 || echo 0)"

dpkg-deb -c "$deb" | awk '{print $6 ($1 ~ /^l/ ? " -> " $8 : "")}' | grep -v '/$' | sort > "$work/files"
cat > "$work/expected" <<'LIST'
./usr/bin/vapryx -> ../libexec/xscreensaver/vapryx
./usr/libexec/xscreensaver/vapryx
./usr/share/applications/vapryx.desktop
./usr/share/doc/vapryx/README.md
./usr/share/doc/vapryx/copyright
./usr/share/icons/hicolor/128x128/apps/vapryx.png
./usr/share/icons/hicolor/16x16/apps/vapryx.png
./usr/share/icons/hicolor/256x256/apps/vapryx.png
./usr/share/icons/hicolor/32x32/apps/vapryx.png
./usr/share/icons/hicolor/48x48/apps/vapryx.png
./usr/share/icons/hicolor/64x64/apps/vapryx.png
./usr/share/man/man6/vapryx.6.gz
./usr/share/xscreensaver/config/vapryx.xml
LIST
check "file list: $(diff "$work/expected" "$work/files" | grep '^[<>]' | tr '\n' ' ')" \
  "$(cmp -s "$work/expected" "$work/files" && echo 0 || echo 1)"

dpkg-deb -x "$deb" "$work/root"
hack="$work/root/usr/libexec/xscreensaver/vapryx"
check "the program is stripped and runs: --version, --help" \
  "$(file "$hack" > "$work/file"; grep -q ', stripped' "$work/file" && [ "$("$hack" --version)" = "vapryx $version" ] && "$hack" --help > "$work/help" && grep -q -- --register "$work/help" && echo 0 || echo 1)"
check "settings file is res/vapryx.xml" \
  "$(cmp -s "$source_dir/res/vapryx.xml" "$work/root/usr/share/xscreensaver/config/vapryx.xml" && echo 0 || echo 1)"

# The menu entry runs the program by the name on PATH and shows the icon, at every size.
entry="$work/root/usr/share/applications/vapryx.desktop"
check "menu entry validates: $(desktop-file-validate "$entry" 2>&1 | head -n 3 | tr '\n' ' ')" \
  "$(desktop-file-validate "$entry" > /dev/null 2>&1 && grep -q -x 'Exec=vapryx' "$entry" && grep -q -x 'Icon=vapryx' "$entry" && [ -e "$work/root/usr/bin/vapryx" ] && echo 0 || echo 1)"
wrong=""
for size in 16 32 48 64 128 256; do
  icon="$work/root/usr/share/icons/hicolor/${size}x$size/apps/vapryx.png"
  file -b "$icon" 2>&1 | grep -q "^PNG image data, $size x $size," || wrong="$wrong $size"
done
check "an icon of each size, a PNG of that size:$wrong" "$([ -z "$wrong" ] && echo 0 || echo 1)"

# Every option --help names has its own entry in the man page, which reads without warnings.
man=$(zcat "$work/root/usr/share/man/man6/vapryx.6.gz" | sed 's/\\-/-/g; s/\\f[BIRP]//g')
undocumented=""
for option in $("$hack" --help | grep -o -E -- '--[a-z0-9-]+' | sort -u); do
  grep -q -E -- "^\.BI? $option( |\$)" <<< "$man" || undocumented="$undocumented $option"  # no pipe: grep -q ends early
done
check "man page documents every option:$undocumented" "$([ -z "$undocumented" ] && echo 0 || echo 1)"
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$work/root/usr/share/man/man6/vapryx.6.gz" 2>&1 > /dev/null)
check "man page renders without warnings: $warnings" "$([ -z "$warnings" ] && echo 0 || echo 1)"
check "man page carries the version" "$(grep -q "vapryx $version" <<< "$man" && echo 0 || echo 1)"

echo "package: $passed passed, $failures failed"
[ "$failures" -eq 0 ]
