#!/bin/bash
# vbsrun holds the engine alone and hands a command line that needs the emulated host
# (--xap) over to vbsrun-xap: beside it in the build tree, in ../lib/tallis once
# installed. The hand-over keeps the arguments, the output and the exit status; a
# missing vbsrun-xap is a clear error, and everything else still works without it.
# Needs VBSRUN and VBSRUN_XAP (the two programs).
set -u
fail=0
check() { # description, then a command that must succeed
    local what=$1; shift
    if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; fail=1; fi
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin" "$work/lib/tallis" "$work/elsewhere/alone"
cp "$VBSRUN" "$work/bin/vbsrun"
cp "$VBSRUN_XAP" "$work/lib/tallis/vbsrun-xap"
cp "$VBSRUN" "$work/elsewhere/alone/vbsrun"

cat > "$work/host.vbs" <<'VBS'
ref = xap.NewDevice("Lamp", "A1")
xap.SetDeviceStatus "A1", 2
SendIR "12"
WScript.Echo "status " & DeviceStatus("A1") & " args " & WScript.Arguments.Count & " " & WScript.Arguments(1)
WScript.Quit 7
VBS
printf 'WScript.Echo "plain " & (1 + 2)\n' > "$work/plain.vbs"

# Installed layout: bin/vbsrun finds ../lib/tallis/vbsrun-xap; the result is what
# vbsrun-xap gives run directly (output, messages to standard error, exit status).
"$work/bin/vbsrun" --timeout 5000 --xap "$work/host.vbs" one "two words" >"$work/out1" 2>"$work/err1"
status1=$?
"$VBSRUN_XAP" --timeout 5000 --xap "$work/host.vbs" one "two words" >"$work/out2" 2>"$work/err2"
status2=$?
check "installed hand-over exit status 7" test "$status1" = 7
check "same exit status as vbsrun-xap" test "$status1" = "$status2"
check "installed hand-over output" grep -qx "status 2 args 2 two words" "$work/out1"
check "same output as vbsrun-xap" cmp -s "$work/out1" "$work/out2"
check "the host's xAP messages on standard error" grep -q "^\[xap\]" "$work/err1"

# Options after --xap are read by vbsrun-xap with the same rules.
"$work/bin/vbsrun" --xap --bogus "$work/host.vbs" >/dev/null 2>"$work/err3"
check "usage error after --xap is status 2" test $? = 2
check "usage error after --xap names the option" grep -q "unknown option --bogus" "$work/err3"

# Build-tree layout: vbsrun-xap beside vbsrun.
"$VBSRUN" --xap "$work/host.vbs" x y >"$work/out4" 2>/dev/null
check "build-tree hand-over" test $? = 7
check "build-tree hand-over output" grep -qx "status 2 args 2 y" "$work/out4"

# Without vbsrun-xap: --xap fails with a reason, the rest works as before.
"$work/elsewhere/alone/vbsrun" --xap "$work/host.vbs" >"$work/out5" 2>"$work/err5"
check "missing vbsrun-xap is status 1" test $? = 1
check "missing vbsrun-xap is named" grep -q "vbsrun-xap" "$work/err5"
check "missing vbsrun-xap prints nothing else" test ! -s "$work/out5"
check "a script without --xap runs alone" bash -c "'$work/elsewhere/alone/vbsrun' '$work/plain.vbs' | grep -qx 'plain 3'"
check "--help lists --xap without vbsrun-xap" bash -c "'$work/elsewhere/alone/vbsrun' --help | grep -q -- '--xap'"

exit $fail
