#!/usr/bin/env python3
"""Every command line XScreenSaver's settings dialog can make from res/vapryx.xml is one
vapryx accepts: each widget at its low, default and high value, each select option, each
boolean both ways, strings empty, long and full of shell characters.

Usage: tests/settings_file_test.py VAPRYX res/vapryx.xml"""
import re
import shlex
import subprocess
import sys
import xml.etree.ElementTree as ET

vapryx, path = sys.argv[1], sys.argv[2]
root = ET.parse(path).getroot()
failures = []

def check(ok, what):
    if not ok:
        failures.append(what)

check(root.tag == "screensaver" and root.get("name") == "vapryx", "root element names vapryx")
description = (root.find("_description").text or "").strip() if root.find("_description") is not None else ""
check(description, "a description")
# As the framework's own pages end theirs: xscreensaver-settings takes the last paragraph
# for the author line, and lays the text out as wide as its longest line.
check(re.fullmatch(r"Written by [^\n;]+; \d{4}\.", description.split("\n\n")[-1]),
      "the description ends with a paragraph 'Written by NAME; YEAR.'")
check(max(len(line) for line in description.splitlines() or [""]) <= 80,
      "description lines of at most 80 characters")
commands = root.findall("command")
check(len(commands) == 1 and commands[0].get("arg") == "--root", "one <command arg=\"--root\"/>")

# Each widget's choices, as the arguments they add (None: the widget adds nothing).
STRINGS = ["", "smoke", "it's \"quoted\" $HOME `x` \\ ;", "Rauch \u00e4\u00f6\u00fc", "W" * 150]
COLOURS = ["", "ff8000", "#FF8000", "0,128,255", "orange", "sky blue"]
widgets = []
for element in root.iter():
    tag = element.tag
    if tag in ("screensaver", "command", "hgroup", "vgroup", "_description", "option"):
        continue
    choices = []
    if tag == "number":
        arg = element.get("arg")
        check(arg is not None and arg.count("%") == 1, f"{element.get('id')}: one % in arg")
        low, high = int(element.get("low")), int(element.get("high"))
        default = int(element.get("default"))
        check(low <= default <= high, f"{element.get('id')}: default within low..high")
        for value in (low, default, high):
            choices.append(shlex.split(arg.replace("%", str(value))))
    elif tag == "boolean":
        choices = [shlex.split(element.get(a)) if element.get(a) else None
                   for a in ("arg-set", "arg-unset")]
        check(any(choices), f"{element.get('id')}: a boolean that sets something")
    elif tag == "select":
        options = element.findall("option")
        check(sum(o.get("arg-set") is None for o in options) == 1,
              f"{element.get('id')}: exactly one default option (no arg-set)")
        choices = [shlex.split(o.get("arg-set")) if o.get("arg-set") else None for o in options]
    elif tag == "string":
        arg = element.get("arg")
        check(arg is not None and arg.count("%") == 1, f"{element.get('id')}: one % in arg")
        values = COLOURS if element.get("id") == "color" else STRINGS
        # The value is passed shell-quoted; an empty one may be passed or left out.
        choices = [None] + [shlex.split(arg.replace("%", shlex.quote(v))) for v in values]
    else:
        failures.append(f"<{tag}> is a widget this test does not know: teach it")
        continue
    widgets.append((element.get("id"), choices))

def accepts(args):
    # As the daemon starts a hack: /bin/sh -c "exec <command line>".
    line = " ".join(shlex.quote(a) for a in [vapryx, "--root"] + args + ["--version"])
    run = subprocess.run(["/bin/sh", "-c", "exec " + line], capture_output=True, text=True,
                         timeout=30)
    return run.returncode == 0, run.stderr.strip()

# One widget at a time over the others' first choices, then all first and all last.
lines = []
for i, (name, choices) in enumerate(widgets):
    for choice in choices:
        args = []
        for j, (_, others) in enumerate(widgets):
            picked = choice if i == j else others[0]
            args += picked or []
        lines.append(args)
for pick in (0, -1):
    lines.append([a for _, choices in widgets for a in (choices[pick] or [])])

for args in lines:
    ok, stderr = accepts(args)
    check(ok, f"refused: {' '.join(args)}: {stderr}")

for failure in failures:
    print("FAIL:", failure)
print(f"settings file: {len(lines)} command lines, {len(failures)} failures")
sys.exit(1 if failures else 0)
