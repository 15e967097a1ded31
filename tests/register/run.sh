#!/usr/bin/env bash
# vapryx --register and --unregister on real-looking preferences files: the one
# XScreenSaver's settings program writes, one listing Vapryx already, one with it turned
# off, none, one it cannot read, one it cannot make sense of, a link and a link to nothing,
# a folder it cannot write, and one that another program saves while it is being edited.
# Usage: tests/register/run.sh VAPRYX
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
real="$here/written-by-settings.xscreensaver"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
# A copy the other user can reach, wherever the build is (root's home, say).
cp "$1" "$work/vapryx" && chmod 755 "$work/vapryx"
vapryx=$work/vapryx
passed=0 failures=0
check() {  # check NAME STATUS
  if [ "$2" -eq 0 ]; then passed=$((passed + 1)); else failures=$((failures + 1)); echo "FAIL: $1"; fi
}
entry=$'\t\t\t\t"Vapryx" vapryx --root\t\t\t    \\n\\'

# As a user other than root where we are root, so that modes are obeyed.
as_user() {
  if [ "$(id -u)" -eq 0 ]; then setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; else "$@"; fi
}
home() {  # home NAME: a fresh home folder the user owns
  mkdir -p "$work/$1"
  [ "$(id -u)" -eq 0 ] && chown 65534:65534 "$work/$1"
  echo "$work/$1"
}
register() {  # register HOME [--unregister]: runs it, output in HOME.out, status in rc
  as_user env HOME="$1" "$vapryx" "${2:---register}" > "$1.out" 2>&1 < /dev/null
  rc=$?
}
one_line() { [ "$(grep -c . "$1")" -eq 1 ]; }

# The file XScreenSaver's settings program wrote: one line added after the last entry,
# the rest byte for byte, a backup of the old file, its mode kept; a second run changes nothing.
h=$(home real)
cp "$real" "$h/.xscreensaver" && chmod 600 "$h/.xscreensaver" && chown --reference="$h" "$h/.xscreensaver"
register "$h"
added=$(diff "$real" "$h/.xscreensaver" | grep -c '^>')
removed=$(diff "$real" "$h/.xscreensaver" | grep -c '^<')
check "real file: exit 0, one line added, none removed ($(cat "$h.out"))" \
  "$([ $rc -eq 0 ] && [ "$added" -eq 1 ] && [ "$removed" -eq 0 ] && echo 0 || echo 1)"
check "real file: the line added is the entry, after the last program" \
  "$(grep -B1 -F -x -- "$entry" "$h/.xscreensaver" | head -n1 | grep -q squirtorus && echo 0 || echo 1)"
check "real file: backup is the old file, mode 600 kept" \
  "$(cmp -s "$real" "$h/.xscreensaver.vapryx-backup" && [ "$(stat -c %a "$h/.xscreensaver")" = 600 ] && echo 0 || echo 1)"
cp "$h/.xscreensaver" "$work/after-first"
register "$h"
check "second run: exit 0, says it is there, file unchanged" \
  "$([ $rc -eq 0 ] && grep -q already "$h.out" && cmp -s "$work/after-first" "$h/.xscreensaver" && echo 0 || echo 1)"
check "no temporary file left" "$([ "$(ls -A "$h" | grep -c vapryx-[0-9])" -eq 0 ] && echo 0 || echo 1)"
register "$h" --unregister
check "--unregister: exit 0, the file as XScreenSaver wrote it, byte for byte ($(cat "$h.out"))" \
  "$([ $rc -eq 0 ] && cmp -s "$real" "$h/.xscreensaver" && echo 0 || echo 1)"
register "$h" --unregister
check "--unregister again: exit 0, says there is no line, file unchanged" \
  "$([ $rc -eq 0 ] && grep -q "no line" "$h.out" && cmp -s "$real" "$h/.xscreensaver" && echo 0 || echo 1)"

# Already there, turned off by the user: left as it is.
h=$(home off)
sed "/^\t*maze --root/a -\t\t\t\t\"Vapryx\" vapryx --root\t\t\t    \\\\n\\\\" "$real" > "$h/.xscreensaver"
cp "$h/.xscreensaver" "$work/off.copy"
register "$h"
check "turned off: exit 0, says so, untouched, no backup" \
  "$([ $rc -eq 0 ] && grep -q "turned off" "$h.out" && cmp -s "$work/off.copy" "$h/.xscreensaver" && [ ! -e "$h/.xscreensaver.vapryx-backup" ] && echo 0 || echo 1)"
register "$h" --unregister
check "turned off: --unregister leaves the user's line" \
  "$([ $rc -eq 0 ] && cmp -s "$work/off.copy" "$h/.xscreensaver" && echo 0 || echo 1)"

# No file: a minimal one with the entry, and nothing to back up.
h=$(home none)
register "$h"
check "no file: exit 0, a file holding the entry" \
  "$([ $rc -eq 0 ] && grep -q -F -x -- "$entry" "$h/.xscreensaver" && [ ! -e "$h/.xscreensaver.vapryx-backup" ] && echo 0 || echo 1)"
register "$h" --unregister
check "no file: --unregister leaves no entry" \
  "$([ $rc -eq 0 ] && ! grep -q Vapryx "$h/.xscreensaver" && echo 0 || echo 1)"

# Unreadable, and unclear: exit 1, one line saying why, the file untouched.
h=$(home unreadable)
cp "$real" "$h/.xscreensaver" && chown --reference="$h" "$h/.xscreensaver" && chmod 000 "$h/.xscreensaver"
register "$h"
mode=$(stat -c %a "$h/.xscreensaver")
chmod 600 "$h/.xscreensaver"  # so that a test run as a normal user can compare it
check "unreadable: exit 1, one line, untouched" \
  "$([ $rc -eq 1 ] && one_line "$h.out" && grep -q "cannot read" "$h.out" && [ "$mode" = 0 ] && cmp -s "$real" "$h/.xscreensaver" && echo 0 || echo 1)"
h=$(home unclear)
printf 'timeout: 0:10:00\n<html>not preferences</html>\n' > "$h/.xscreensaver"
cp "$h/.xscreensaver" "$work/unclear.copy"
register "$h"
check "unclear: exit 1, one line naming line 2, untouched" \
  "$([ $rc -eq 1 ] && one_line "$h.out" && grep -q "line 2" "$h.out" && cmp -s "$work/unclear.copy" "$h/.xscreensaver" && echo 0 || echo 1)"

# A link to a managed dotfile stays a link; its target gets the entry.
h=$(home link)
mkdir "$h/dotfiles" && cp "$real" "$h/dotfiles/xscreensaver" && ln -s dotfiles/xscreensaver "$h/.xscreensaver"
[ "$(id -u)" -eq 0 ] && chown -R 65534:65534 "$h/dotfiles"
register "$h"
check "link: still a link, target has the entry, the backup beside the link" \
  "$([ $rc -eq 0 ] && [ -L "$h/.xscreensaver" ] && grep -q -F -x -- "$entry" "$h/dotfiles/xscreensaver" && cmp -s "$real" "$h/.xscreensaver.vapryx-backup" && [ ! -e "$h/dotfiles/xscreensaver.vapryx-backup" ] && echo 0 || echo 1)"
h=$(home dangling)
ln -s dotfiles/missing "$h/.xscreensaver"
register "$h"
check "link to nothing: exit 1, one line, still the same link, nothing made" \
  "$([ $rc -eq 1 ] && one_line "$h.out" && [ "$(readlink "$h/.xscreensaver")" = dotfiles/missing ] && [ "$(ls -A "$h" | wc -l)" -eq 1 ] && echo 0 || echo 1)"

# A folder the user cannot write: exit 1, the file as it was.
h=$(home readonly)
cp "$real" "$h/.xscreensaver" && chown --reference="$h" "$h/.xscreensaver" && chmod 555 "$h"
register "$h"
check "read-only folder: exit 1, one line, untouched" \
  "$([ $rc -eq 1 ] && one_line "$h.out" && cmp -s "$real" "$h/.xscreensaver" && echo 0 || echo 1)"
chmod 755 "$h"

# Another program saves the file while it is being edited (each of its syncs held back a
# second; a sanitizer build's leak check cannot run under strace): its save is kept and the
# entry added to it.
h=$(home concurrent)
cp "$real" "$h/.xscreensaver" && chown --reference="$h" "$h/.xscreensaver"
as_user env HOME="$h" ASAN_OPTIONS=detect_leaks=0 strace -f -o /dev/null -e trace=fsync -e inject=fsync:delay_exit=1000000 \
  "$vapryx" --register > "$h.out" 2>&1 < /dev/null &
editor=$!
for _ in $(seq 100); do ls -A "$h" | grep -q 'vapryx-[0-9]' && break; sleep 0.1; done
{ cat "$real"; echo "saved-meanwhile: True"; } > "$h/.xscreensaver.new" && mv "$h/.xscreensaver.new" "$h/.xscreensaver"
wait "$editor"; rc=$?
check "saved while being edited: exit 0, the other save kept, the entry added ($(cat "$h.out"))" \
  "$([ $rc -eq 0 ] && grep -q '^saved-meanwhile: True$' "$h/.xscreensaver" && grep -q -F -x -- "$entry" "$h/.xscreensaver" && echo 0 || echo 1)"

# Not with other options: what it registers is the plain command.
"$vapryx" --register --color ff0000 > /dev/null 2>&1 < /dev/null
check "--register with another option exits 1" "$([ $? -eq 1 ] && echo 0 || echo 1)"
"$vapryx" --unregister --seed 1 > /dev/null 2>&1 < /dev/null
check "--unregister with another option exits 1" "$([ $? -eq 1 ] && echo 0 || echo 1)"

# A home folder whose name holds a line break: the message names it on one line.
h=$(home $'line\nbreak')
register "$h"
check "a home with a line break in its name: exit 0, one line, the break written \\x0a" \
  "$([ $rc -eq 0 ] && one_line "$h.out" && grep -q 'line\\x0abreak' "$h.out" && echo 0 || echo 1)"

echo "register: $passed passed, $failures failed"
[ "$failures" -eq 0 ]
