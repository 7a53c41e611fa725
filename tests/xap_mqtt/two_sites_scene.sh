#!/usr/bin/env bash
# Two sites, one broker: each site is a network namespace with its own xAP LAN (the
# loopback interface), hub and bridge (Tunnel=1); the sites reach the broker, which
# runs at the north site, over a veth pair (10.203.0.0/24). A BSC command sent at the
# south site reaches the north LAN, heartbeats cross both ways, Home Assistant's
# command reaches the device once, and nothing loops.
#
# Programs: XAP_MQTT, XAPHUB, XAP (paths to the built binaries); mosquitto from Debian.
if [ -z "${SCENE_PRIVATE_NETWORK:-}" ]; then
  exec unshare --net -- env SCENE_PRIVATE_NETWORK=1 bash -c 'ip link set lo up && exec bash "$0" "$@"' "$0" "$@"
fi
set -euo pipefail
: "${XAP_MQTT:?}" "${XAPHUB:?}" "${XAP:?}"
DIR=$(mktemp -d /tmp/xap-mqtt-sites-XXXXXX)
PIDS=()
cleanup() {
  local pid
  for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  [ -n "${SCENE_KEEP:-}" ] || rm -rf "$DIR"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  for f in "$DIR"/*.log "$DIR"/*.out; do echo "--- $f"; tail -n 40 "$f"; done >&2
  exit 1
}
wait_for() {
  local deadline=$((SECONDS + $1)); shift
  until "$@" >/dev/null 2>&1; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.05
  done
}
count() { grep -c -- "$1" "$2" || true; }

# ---- the south site: a namespace of its own, joined to this one by veth ---------------
unshare --net -- sleep 600 &
SOUTH_PID=$!
PIDS+=("$SOUTH_PID")
south() { nsenter -t "$SOUTH_PID" -n -- "$@"; }
south_ready() { test "$(readlink /proc/$SOUTH_PID/ns/net)" != "$(readlink /proc/$$/ns/net)"; }
wait_for 5 south_ready || fail "no south namespace"
ip link add north-wan type veth peer name south-wan || fail "cannot create a veth pair"
ip link set south-wan netns "$SOUTH_PID"
ip addr add 10.203.0.1/24 dev north-wan
ip link set north-wan up
south ip link set lo up
south ip addr add 10.203.0.2/24 dev south-wan
south ip link set south-wan up
if ip route | grep -q '^default' || south ip route | grep -q '^default'; then fail "a namespace has a default route"; fi

# ---- the broker (north), reachable from both sites ------------------------------------
PORT=18840
printf 'listener %s 10.203.0.1\nallow_anonymous true\npersistence false\nuser root\n' "$PORT" > "$DIR/broker.conf"
mosquitto -c "$DIR/broker.conf" > "$DIR/broker.log" 2>&1 &
PIDS+=($!)
wait_for 5 grep -q "running" "$DIR/broker.log" || fail "the broker did not start"
mosquitto_sub -h 10.203.0.1 -p "$PORT" -t 'xap/tunnel/#' -v > "$DIR/tunnel.out" 2>&1 &
PIDS+=($!)

# ---- each site: hub, bridge, a listener -----------------------------------------------
# start_site NAME PREFIX...: PREFIX runs a program at the site ("env" here, nsenter
# there); it execs the program, so that $! is the program itself and cleanup ends it.
start_site() {
  local name=$1; shift
  "$@" "$XAPHUB" -v --state none > "$DIR/$name-hub.log" 2>&1 &
  PIDS+=($!)
  wait_for 5 grep -q "listening on" "$DIR/$name-hub.log" || fail "the $name hub did not start"
  "$@" "$XAP_MQTT" --host 10.203.0.1 --port "$PORT" --broadcast 127.255.255.255 --tunnel 1 --site "$name" \
      --source "tallis.xap-mqtt.$name" --client-id "bridge-$name" --heartbeat-interval 2 > "$DIR/$name-bridge.log" 2>&1 &
  PIDS+=($!)
  "$@" "$XAP" listen --broadcast 127.255.255.255 > "$DIR/$name.out" 2>&1 &
  PIDS+=($!)
  wait_for 5 grep -q "connected to" "$DIR/$name-bridge.log" || fail "the $name bridge did not connect"
}
start_site north env
start_site south nsenter -t "$SOUTH_PID" -n --

# 1. Heartbeats cross both ways (a hop further), and lose their port on the way.
wait_for 10 grep -q "^source=tallis.xap-mqtt.south$" "$DIR/north.out" || fail "no heartbeat of the south bridge in the north"
wait_for 10 grep -q "^source=tallis.xap-mqtt.north$" "$DIR/south.out" || fail "no heartbeat of the north bridge in the south"
grep -B3 -A4 "^source=tallis.xap-mqtt.south$" "$DIR/north.out" | grep -q "^hop=2$" || fail "the heartbeat's hop was not raised"
if grep -A3 "^source=tallis.xap-mqtt.south$" "$DIR/north.out" | grep -q "^port="; then fail "a heartbeat kept its port"; fi

# 2. A BSC command from the south reaches the north LAN.
south "$XAP" send --broadcast 127.255.255.255 --source acme.controller.south --class xAPBSC.cmd \
    --target acme.north.dev:Lamp --section output.state.1 id=01 state=off || fail "cannot send in the south"
wait_for 5 grep -q "^source=acme.controller.south$" "$DIR/north.out" || fail "the south's command did not reach the north"

# 3. A north device appears in Home Assistant once, through the north bridge only, and
# Home Assistant's command reaches the north LAN once.
"$XAP" send --broadcast 127.255.255.255 --source acme.north.dev:Lamp --uid FF.4E00:01 --class xAPBSC.info \
    --section output.state state=on || fail "cannot send in the north"
mosquitto_sub -h 10.203.0.1 -p "$PORT" -t 'xap/acme-north-dev/lamp/state' -C 1 -W 5 > "$DIR/state.out" 2>&1 || fail "no state for the north device"
grep -q "^ON$" "$DIR/state.out" || fail "the north device's state is not ON"
mosquitto_pub -h 10.203.0.1 -p "$PORT" -t 'xap/acme-north-dev/lamp/set' -m OFF
commands_from() { grep -A6 "^class=xAPBSC.cmd" "$2" | grep -c "^source=$1$" || true; }
north_commanded() { [ "$(commands_from tallis.xap-mqtt.north "$DIR/north.out")" -ge 1 ]; }
wait_for 5 north_commanded || fail "Home Assistant's command did not reach the north"
sleep 1.5

# 4. No loop: each command crossed the broker once, was broadcast once at each site, and
# no frame went beyond two hops.
[ "$(count 'source=acme.controller.south' "$DIR/tunnel.out")" -eq 1 ] || fail "the south's command crossed the broker more than once"
[ "$(count '^source=acme.controller.south$' "$DIR/north.out")" -eq 1 ] || fail "the south's command arrived more than once"
[ "$(count '^source=acme.controller.south$' "$DIR/south.out")" -eq 1 ] || fail "the south's command came back to the south"
[ "$(commands_from tallis.xap-mqtt.north "$DIR/north.out")" -eq 1 ] \
  || fail "Home Assistant's command reached the north more than once"
[ "$(commands_from tallis.xap-mqtt.south "$DIR/south.out")" -eq 0 ] \
  || fail "the south bridge carried out a command for a north device"
if grep -q "^hop=[3-9]" "$DIR/north.out" "$DIR/south.out"; then fail "a frame went beyond two hops"; fi
grep -q "new device acme.north.dev" "$DIR/south-bridge.log" && fail "the south bridge took the north device as its own"
echo "two sites scene passed"
