#!/usr/bin/env bash
# vapryx --register and --unregister on real-looking preferences files: the one
# XScreenSaver's settings program writes, one listing Vapryx already, one with it turned
# off, none, one it cannot read, one it cannot make sense of, a link and a link to nothing,
# a folder it cannot write, and one that another program saves while it is being edited;
# in a Wayland session, the autostart entry instead.
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
# An X session, whatever session runs the tests.
x11=(env -u WAYLAND_DISPLAY -u XDG_SESSION_TYPE -u XDG_CONFIG_HOME)
register() {  # register HOME [OPTION...]: runs it (--register unless told), output in HOME.out, status in rc
  local h=$1
  shift
  [ $# -gt 0 ] || set -- --register
  as_user "${x11[@]}" HOME="$h" "$vapryx" "$@" > "$h.out" 2>&1 < /dev/null
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
as_user "${x11[@]}" HOME="$h" ASAN_OPTIONS=detect_leaks=0 strace -f -o /dev/null -e trace=fsync -e inject=fsync:delay_exit=1000000 \
  "$vapryx" --register > "$h.out" 2>&1 < /dev/null &
editor=$!
for _ in $(seq 100); do ls -A "$h" | grep -q 'vapryx-[0-9]' && break; sleep 0.1; done
{ cat "$real"; echo "saved-meanwhile: True"; } > "$h/.xscreensaver.new" && mv "$h/.xscreensaver.new" "$h/.xscreensaver"
wait "$editor"; rc=$?
check "saved while being edited: exit 0, the other save kept, the entry added ($(cat "$h.out"))" \
  "$([ $rc -eq 0 ] && grep -q '^saved-meanwhile: True$' "$h/.xscreensaver" && grep -q -F -x -- "$entry" "$h/.xscreensaver" && echo 0 || echo 1)"

# Not with other options in an X session: what it registers is the plain command.
h=$(home x11-options)
register "$h" --register --color=ff0000
check "--register with another option exits 1 in an X session, writing nothing" \
  "$([ $rc -eq 1 ] && [ -z "$(ls -A "$h")" ] && echo 0 || echo 1)"

# A Wayland session: an autostart entry that runs --idle with the settings given, which
# desktop-file-validate accepts and whose Exec line reads back as the arguments given.
exec_words() {  # exec_words FILE: the Exec key's arguments, one a line, read by the rules
  python3 - "$1" <<'PY'
import re, sys
value = next(l[5:] for l in open(sys.argv[1]).read().split("\n") if l.startswith("Exec="))
value = re.sub(r"\\(.)", lambda m: {"s": " ", "n": "\n", "t": "\t", "r": "\r"}.get(m[1], m[1]), value)
words, word, quoted, i, started = [], "", False, 0, False
while i < len(value):
    c = value[i]
    if quoted and c == "\\": word, i = word + value[i + 1], i + 1
    elif c == '"': quoted, started = not quoted, True
    elif c == " " and not quoted:
        if started: words.append(word)
        word, started = "", False
    else: word, started = word + c, True
    i += 1
words.append(word)
print("\n".join(w.replace("%%", "%") for w in words))
PY
}
# session variable | XDG_CONFIG_HOME under the home | our copy on PATH | options
while IFS='|' read -r session config onpath options; do
  h=$(home "wayland-$session-$config") name="$session${config:+, XDG_CONFIG_HOME}"
  entry_file=$h/${config:-.config}/autostart/vapryx.desktop
  eval "given=($options)"
  path=/usr/bin:/bin program=$vapryx
  # A copy on the user's own PATH is named by its path: a login's PATH is the system's.
  [ "$onpath" = yes ] && path=$work:$path program=$(realpath "$vapryx")
  as_user env -u WAYLAND_DISPLAY -u XDG_SESSION_TYPE -u XDG_CONFIG_HOME "$session" PATH="$path" HOME="$h" \
    ${config:+XDG_CONFIG_HOME="$h/$config"} "$vapryx" --register "${given[@]}" > "$h.out" 2>&1 < /dev/null
  rc=$?
  idle=300; for ((i = 0; i < ${#given[@]}; i++)); do [ "${given[i]}" = --idle ] && idle=${given[i+1]}; done
  expected=$(printf '%s\n' "$program" --idle "$idle"; for ((i = 0; i < ${#given[@]}; i += 2)); do
    [ "${given[i]}" = --idle ] || printf '%s\n' "${given[i]}=${given[i+1]}"; done)
  check "$name: exit 0, two lines, the second the exec line ($(head -c 300 "$h.out"))" \
    "$([ $rc -eq 0 ] && [ "$(wc -l < "$h.out")" -eq 2 ] && grep -q -F -- "exec $program --idle $idle" "$h.out" && echo 0 || echo 1)"
  check "$name: the entry is valid, where it belongs, and nothing else is written" \
    "$(desktop-file-validate "$entry_file" > /dev/null 2>&1 && [ "$(find "$h" -type f | wc -l)" -eq 1 ] && echo 0 || echo 1)"
  check "$name: its Exec line reads back as the command: $(exec_words "$entry_file" 2>&1 | tr '\n' ' ')" \
    "$([ "$(exec_words "$entry_file" 2>&1)" = "$expected" ] && echo 0 || echo 1)"
done <<'ROWS'
WAYLAND_DISPLAY=wayland-1||no|--idle 600 --color orange --text '~ "Hi" #1 100%' --font 'DejaVu Sans:bold'
XDG_SESSION_TYPE=wayland|conf|yes|
ROWS
# What systemd's reader of autostart entries takes otherwise than the rules: refused.
h=$(home wayland-refused)
as_user env -u XDG_CONFIG_HOME WAYLAND_DISPLAY=wayland-1 HOME="$h" "$vapryx" --register --text 'cost $5' \
  > "$h.out" 2>&1 < /dev/null
rc=$?
check "a '\$' in a value: exit 1, one line, nothing written ($(cat "$h.out"))" \
  "$([ $rc -eq 1 ] && one_line "$h.out" && [ -z "$(find "$h" -type f)" ] && echo 0 || echo 1)"

# Ours is replaced and removed; a file of that name that is not ours stays byte for byte.
h=$(home wayland-again)
wayland() { as_user env -u XDG_CONFIG_HOME WAYLAND_DISPLAY=wayland-1 HOME="$h" "$vapryx" "$@" > "$h.out" 2>&1 < /dev/null; rc=$?; }
entry_file=$h/.config/autostart/vapryx.desktop
wayland --register --volume 2 && wayland --register --idle 60
check "ours again, other options: exit 0, replaced ($(cat "$h.out"))" \
  "$([ $rc -eq 0 ] && grep -q replaced "$h.out" && grep -q -x "Exec=.* --idle 60" "$entry_file" && echo 0 || echo 1)"
wayland --unregister
check "--unregister: exit 0, ours removed" "$([ $rc -eq 0 ] && [ ! -e "$entry_file" ] && echo 0 || echo 1)"
printf '[Desktop Entry]\nType=Application\nName=My saver\nExec=vapryx --idle 30\n' > "$entry_file"
cp "$entry_file" "$work/theirs"
for option in --register --unregister; do
  wayland "$option"
  check "not ours: $option exits 1 with one line, the file byte for byte" \
    "$([ $rc -eq 1 ] && one_line "$h.out" && cmp -s "$work/theirs" "$entry_file" && echo 0 || echo 1)"
done

# A home folder whose name holds a line break: the message names it on one line.
h=$(home $'line\nbreak')
register "$h"
check "a home with a line break in its name: exit 0, one line, the break written \\x0a" \
  "$([ $rc -eq 0 ] && one_line "$h.out" && grep -q 'line\\x0abreak' "$h.out" && echo 0 || echo 1)"

echo "register: $passed passed, $failures failed"
[ "$failures" -eq 0 ]
