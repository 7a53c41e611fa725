#!/usr/bin/env bash
# The hub makes no loop through other local sockets, with real datagrams:
# - two hubs (3639 and 3640) made clients of each other by spoofed heartbeats (before:
#   92,889 copies of one datagram in 3 s);
# - a loopback echo service made a client (before: 67,380 copies, started by the
#   hub's own welcome heartbeat);
# - a port below 1024 is never a client.
source "$(dirname "$0")/scene.sh"
: "${UDP_ECHO:?path of the built udp_echo}"

# send_to PORT FILE: the file's bytes as one datagram to 127.0.0.1:PORT.
send_to() {
  cat "$2" > "/dev/udp/127.0.0.1/$1"
}

# beat_file PORT: a heartbeat of a would-be client on PORT.
beat_file() {
  local file="$SCENE_DIR/beat-$1"
  printf 'xap-hbeat\n{\nv=13\nhop=1\nuid=FF.0099:00\nclass=xap-hbeat.alive\nsource=acme.spoof.p%s\ninterval=60\nport=%s\n}\n' "$1" "$1" > "$file"
  echo "$file"
}

probes() {
  grep -c "^seq=$1$" "$SCENE_DIR/watch.out" || true
}

cpu_ticks() {
  awk '{print $14 + $15}' "/proc/$1/stat"
}

scene_begin
scene_start_hub
hub_a=${SCENE_PIDS[-1]}
"$XAPHUB" -v --port 3640 --state none > "$SCENE_DIR/hub-b.log" 2>&1 &
hub_b=$!
SCENE_PIDS+=("$hub_b")
wait_for 5 grep -q "listening on" "$SCENE_DIR/hub-b.log" || scene_fail "the second hub did not start"
scene_listen watch

# --- Two hubs told to relay to each other.
send_to 3639 "$(beat_file 3640)"
send_to 3640 "$(beat_file 3639)"
sleep 0.5
printf 'xap-header\n{\nv=13\nhop=1\nuid=FF.0099:00\nclass=scene.probe\nsource=acme.scene.probe\n}\nprobe\n{\nseq=1\n}\n' > "$SCENE_DIR/probe1"
before_a=$(cpu_ticks "$hub_a")
send_to 3639 "$SCENE_DIR/probe1"
sleep 2
after_a=$(cpu_ticks "$hub_a")
copies=$(probes 1)
echo "two hubs: $copies copies of one datagram reached the listener; hub CPU $((after_a - before_a)) ticks in 2 s"
[ "$copies" -ge 1 ] || scene_fail "the probe was not relayed at all"
[ "$copies" -le 2 ] || scene_fail "two hubs looped: $copies copies"
[ $((after_a - before_a)) -lt 40 ] || scene_fail "the hub is busy: $((after_a - before_a)) ticks in 2 s"
# The second hub hears the first one's welcome heartbeat and refuses its port.
grep -q "port 3639 refused as a client: another xAP hub" "$SCENE_DIR/hub-b.log" || scene_fail "the second hub did not refuse the first"
# Announced again, the first hub stays refused.
send_to 3640 "$(beat_file 3639)"
sleep 0.3
grep -q "127.0.0.1:3639 .* joined" "$SCENE_DIR/hub-b.log" && scene_fail "the first hub joined the second"

# --- An echo service made a client.
"$UDP_ECHO" 5007 > "$SCENE_DIR/echo.out" 2>&1 &
SCENE_PIDS+=($!)
wait_for 5 grep -q "echoing" "$SCENE_DIR/echo.out" || scene_fail "the echo service did not start"
send_to 3639 "$(beat_file 5007)"
sleep 0.5
sed 's/seq=1/seq=2/' "$SCENE_DIR/probe1" > "$SCENE_DIR/probe2"
before_a=$(cpu_ticks "$hub_a")
send_to 3639 "$SCENE_DIR/probe2"
sleep 2
after_a=$(cpu_ticks "$hub_a")
copies=$(probes 2)
echo "echo service: $copies copies of one datagram reached the listener; hub CPU $((after_a - before_a)) ticks in 2 s"
[ "$copies" -ge 1 ] || scene_fail "the probe was not relayed with the echo service registered"
[ "$copies" -le 2 ] || scene_fail "the hub looped through the echo service: $copies copies"
[ $((after_a - before_a)) -lt 40 ] || scene_fail "the hub is busy with the echo service: $((after_a - before_a)) ticks in 2 s"

# --- A system port is never a client.
send_to 3639 "$(beat_file 7)"
sleep 0.3
grep -q "127.0.0.1:7 .* joined" "$SCENE_DIR/hub.log" && scene_fail "port 7 joined"
wait_for 5 grep -q "^50000 " "$SCENE_DIR/hub.clients" || scene_fail "no state file"
grep -q "^7 " "$SCENE_DIR/hub.clients" && scene_fail "port 7 is in the client table"
echo "hub loop scene passed"
