#!/usr/bin/env bash
# The xap tool, xaphub and vbsrun as a user meets them: --help and --version, unknown and
# inapplicable options refused with status 2, a missing script named with its reason,
# the loopback broadcast when there is no network, listen's filters, the word when no hub
# relays anything, the stop heartbeat on leaving, "no answer" from a query, and a
# subnet broadcast sent from the interface that carries it (a veth pair with a
# private address inside the scene's own network namespace).
source "$(dirname "$0")/../integration/scene.sh"
: "${VBSRUN:?}" "${VERSION:?}"

scene_begin

# expect_status N COMMAND...: COMMAND ends with status N.
expect_status() {
  local wanted=$1 status=0
  shift
  "$@" > "$SCENE_DIR/last.out" 2> "$SCENE_DIR/last.err" || status=$?
  [ "$status" -eq "$wanted" ] || scene_fail "$* ended with $status, not $wanted: $(cat "$SCENE_DIR/last.err")"
}

for tool in "$XAP" "$XAPHUB" "$VBSRUN"; do
  expect_status 0 "$tool" --help
  grep -q "Usage" "$SCENE_DIR/last.out" || scene_fail "$tool --help does not print its usage on standard output"
  grep -q "Exit status" "$SCENE_DIR/last.out" || scene_fail "$tool --help does not document its exit status"
  [ "$("$tool" --version)" = "$(basename "$tool") $VERSION" ] || scene_fail "$tool --version"
  expect_status 2 "$tool" --no-such-option
done
expect_status 2 "$XAP" send --class A.B --section S k=v --count 3
grep -q -- "--count does not apply to send" "$SCENE_DIR/last.err" || scene_fail "send --count: $(cat "$SCENE_DIR/last.err")"
for bad in "send --class A.B --section S k=v --text x" "send --class A.B --section S k=v --role x" \
           "send --class A.B --section S k=v --all" "listen --text x" "query echo --role x" "query role --text x" \
           "listen --count 0" "listen --timeout soon" "listen --filter novalue" "query who" "frobnicate"; do
  # shellcheck disable=SC2086
  expect_status 2 "$XAP" $bad
done
# The hub's usage errors, each with its message (status 2 before anything is bound).
for bad in "--port:--port needs a value" "-p 0:the port must be a number from 1 to 65535" \
           "--port 65536:the port must be a number from 1 to 65535" "-p 12ab:the port must be a number from 1 to 65535" \
           "-m 0:the client limit must be a number from 1 to 65535" "-q extra:unknown option extra" \
           "--:unknown option --" "-x:unknown option -x"; do
  # shellcheck disable=SC2086
  expect_status 2 "$XAPHUB" ${bad%%:*}
  grep -qx -- "xaphub: ${bad#*:}.*" "$SCENE_DIR/last.err" || scene_fail "xaphub ${bad%%:*}: $(cat "$SCENE_DIR/last.err")"
done
expect_status 2 "$VBSRUN" --timeout soon x.vbs
expect_status 1 "$VBSRUN" "$SCENE_DIR/missing.vbs"
grep -q "missing.vbs: cannot read the script file: No such file or directory" "$SCENE_DIR/last.err" \
  || scene_fail "vbsrun gives no reason: $(cat "$SCENE_DIR/last.err")"

# Without a network (no route but loopback's) the default broadcast cannot be reached:
# the tool says so and keeps to this computer instead of ending.
expect_status 0 "$XAP" listen --timeout 1 --no-heartbeats
grep -q "sending to 127.255.255.255, this computer only" "$SCENE_DIR/last.err" \
  || scene_fail "no fallback to the loopback broadcast: $(cat "$SCENE_DIR/last.err")"

# No hub: the listener says so, and a query says it had no answer.
expect_status 0 "$XAP" listen --broadcast "$SCENE_BROADCAST" --timeout 6
grep -q "no xAP hub relayed anything to this listener in 5 s" "$SCENE_DIR/last.err" || scene_fail "no word about the missing hub"
expect_status 1 "$XAP" query echo --broadcast "$SCENE_BROADCAST" --timeout 1
grep -q "^xap: no answer in 1 s$" "$SCENE_DIR/last.err" || scene_fail "query without an answer: $(cat "$SCENE_DIR/last.err")"

# With a hub: filters, and the stop heartbeat of a listener that leaves.
scene_start_hub
scene_listen beats --class "xap-hbeat.*" --summary
scene_listen by_target --target "vyn.kitchen.>" --summary --no-heartbeats
scene_listen by_item --filter command=topled --summary --no-heartbeats
xap_cmd send --class Audrey.Cmd --target vyn.kitchen.unit --section Audrey.Cmd Command=TopLed Value=1 || scene_fail "send"
xap_cmd send --class Audrey.Cmd --target vyn.den.unit --section Audrey.Cmd Command=Text Value=2 || scene_fail "send"
wait_for 5 grep -q "Value=2" "$SCENE_DIR/beats.out" "$SCENE_DIR/by_item.out" "$SCENE_DIR/by_target.out" || true
wait_for 5 grep -q "to vyn.kitchen.unit" "$SCENE_DIR/by_target.out" || scene_fail "the target filter let nothing through"
wait_for 5 grep -q "Command=TopLed" "$SCENE_DIR/by_item.out" || scene_fail "the item filter let nothing through"
sleep 0.3
! grep -q "vyn.den.unit" "$SCENE_DIR/by_target.out" || scene_fail "the target filter let another target through"
! grep -q "Command=Text" "$SCENE_DIR/by_item.out" || scene_fail "the item filter let another item through"
"$XAP" listen --broadcast "$SCENE_BROADCAST" --listen-port 50100 --timeout 0.5 > /dev/null 2>&1
wait_for 5 grep -q "^xap-hbeat.stopped from .*port 50100" "$SCENE_DIR/beats.out" \
  || scene_fail "no stop heartbeat from a leaving listener: $(cat "$SCENE_DIR/beats.out")"

# A subnet broadcast leaves from the interface whose subnet holds it.
ip link add tallis0 type veth peer name tallis1
ip addr add 10.203.0.1/24 dev tallis0
ip link set tallis0 up
ip link set tallis1 up
"$XAP" send --broadcast 10.203.0.255 --class Subnet.Test --section S k=v 2> "$SCENE_DIR/subnet.err" \
  || scene_fail "a subnet broadcast failed: $(cat "$SCENE_DIR/subnet.err")"
expect_status 0 "$XAP" listen --broadcast 10.203.0.255 --timeout 1 --no-heartbeats
echo "xap tool scene passed"
