#!/bin/bash
# vbsrun loads only what the engine needs: no Qt and no libsystemd (the emulated host
# is vbsrun-xap's), and ICU only once a script asks for a locale beyond the built-in
# table; such locales still work. Needs VBSRUN.
set -u
fail=0
check() { # description, then a command that must succeed
    local what=$1; shift
    if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; fail=1; fi
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

needed=$(readelf -d "$VBSRUN" | grep NEEDED)
check "vbsrun links no Qt" bash -c "! grep -q Qt6 <<<'$needed'"
check "vbsrun links no libsystemd" bash -c "! grep -q systemd <<<'$needed'"
check "vbsrun links no ICU" bash -c "! grep -q icu <<<'$needed'"

# What the process has mapped, read by the script itself through a file it opens
# while it runs (/proc/self is the script's own process).
cat > "$work/maps.vbs" <<'VBS'
Function Mapped(part)
    Set fso = CreateObject("Scripting.FileSystemObject")
    Set f = fso.OpenTextFile("/proc/self/maps")
    Mapped = InStr(f.ReadAll, part) > 0
    f.Close
End Function
WScript.Echo "before " & Mapped("libicu")
WScript.Echo SetLocale(1041) & " " & GetLocale() & " " & MonthName(1, True)
WScript.Echo "after " & Mapped("libicu")
SetLocale "de-ch"
WScript.Echo GetLocale() & " " & FormatNumber(1234.5) & " " & WeekdayName(1)
VBS
"$VBSRUN" "$work/maps.vbs" > "$work/out" 2>&1
check "the script ran" test $? = 0
check "no ICU before a CLDR locale" grep -qx "before False" "$work/out"
check "a CLDR locale (Japanese)" grep -qx "1033 1041 1月" "$work/out"
check "ICU once one was asked for" grep -qx "after True" "$work/out"
check "a CLDR locale by tag (Swiss German)" grep -qx "2055 1’234.50 Sonntag" "$work/out"
[ $fail = 0 ] || cat "$work/out"
exit $fail
