#!/usr/bin/env bash
# vapryx.scr is a self-contained 64-bit GUI executable with its icon, description and
# version details. Usage: saver_binary_test.sh PATH-TO-vapryx.scr
set -u
scr=$1
passed=0 failed=0
check() { if eval "$2"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAIL: $1"; fi; }

headers=$(x86_64-w64-mingw32-objdump -p "$scr")
resources=$(x86_64-w64-mingw32-windres -i "$scr" -O rc 2>/dev/null)
check "a 64-bit PE"                   'x86_64-w64-mingw32-objdump -f "$scr" | grep -q "file format pei-x86-64"'
check "the Windows GUI subsystem"     'grep -q "Subsystem.*(Windows GUI)" <<< "$headers"'
allowed='^(KERNEL32|USER32|GDI32|ADVAPI32|COMCTL32|COMDLG32|msvcrt)\.dll$'
check "imports system DLLs only"      '! grep "DLL Name:" <<< "$headers" | sed "s/.*DLL Name: //" | grep -v -i -E "$allowed"'
check "icon group 133"                'grep -q "^133 14 /\* RT_GROUP_ICON \*/" <<< "$resources"'
check "string 1 is the description"   'grep -q "1, \"Vapryx Screen Saver\"" <<< "$resources"'
check "version information"           'grep -q "VERSIONINFO" <<< "$resources" && grep -q "\"FileDescription\", \"Vapryx Screen Saver\"" <<< "$resources"'
echo "vapryx.scr: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
