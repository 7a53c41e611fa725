#!/usr/bin/env bash
# The hub against hostile and careless peers, with real datagrams: a heartbeat for the
# hub's own port makes no loop, stop heartbeats end relaying at once (spoofed ones do
# not), the client
# table is capped, the hub announces itself and its stop, and a restarted hub relays
# to its clients at once from its state file.
source "$(dirname "$0")/scene.sh"

# udp_send FILE: the file's bytes as one datagram to the hub.
udp_send() {
  cat "$1" > /dev/udp/127.0.0.1/3639
}

# beat PORT [CLASS] [INTERVAL]: a heartbeat file for a client on PORT.
beat() {
  local file="$SCENE_DIR/beat-$1-${2:-alive}"
  printf 'xap-hbeat\n{\nv=13\nhop=1\nuid=FF.0099:00\nclass=%s\nsource=acme.scene.%s\ninterval=%s\nport=%s\n}\n' \
    "${2:-xap-hbeat.alive}" "$1" "${3:-60}" "$1" > "$file"
  echo "$file"
}

# marker_passes NAME ID: sends a marker datagram to the hub and waits until the
# listener NAME has it. The hub handles datagrams in the order they arrive and relays
# each before the next, so everything sent before the marker has been handled then.
marker_passes() {
  printf 'xap-header\n{\nv=13\nhop=1\nuid=FF.0099:00\nclass=scene.marker\nsource=acme.scene.marker\n}\nmarker\n{\nid=%s\n}\n' \
    "$2" > "$SCENE_DIR/marker-$2"
  udp_send "$SCENE_DIR/marker-$2"
  wait_for 5 grep -q "^id=$2$" "$SCENE_DIR/$1.out"
}

count() {
  grep -c "$1" "$2" || true
}

scene_begin
scene_start_hub --max-clients 4
hub_pid=${SCENE_PIDS[-1]}

# A heartbeat announcing the hub's own port: refused and logged once, and no loop.
for i in 1 2 3; do udp_send "$(beat 3639)"; done
printf 'xap-header\n{\nv=13\nhop=1\nuid=FF.0099:00\nclass=scene.probe\nsource=acme.scene.probe\n}\nprobe\n{\nn=1\n}\n' > "$SCENE_DIR/probe"
udp_send "$SCENE_DIR/probe"

# A listener joins and hears the hub's own heartbeat at once.
scene_listen first --listen-port 50100
wait_for 5 grep -q "^source=tallis.xaphub" "$SCENE_DIR/first.out" || scene_fail "no heartbeat from the hub"
grep -q "^class=xap-hbeat.alive$" "$SCENE_DIR/first.out" || scene_fail "the hub's heartbeat is not xap-hbeat.alive"
# Once a marker has passed, the probe sent before it has been handled: had the hub
# taken itself for a client, copies of the probe would be going round, and relayed to
# the listener.
marker_passes first own-port || scene_fail "the marker after the own-port heartbeats did not pass"
[ "$(count "^class=scene.probe$" "$SCENE_DIR/first.out")" -eq 0 ] || scene_fail "the probe went round the hub"
[ "$(count "hub's own port" "$SCENE_DIR/hub.log")" -eq 1 ] || scene_fail "the own-port refusal is not logged exactly once"
[ "$(wc -l < "$SCENE_DIR/hub.log")" -lt 10 ] || scene_fail "the hub log grows: $(wc -l < "$SCENE_DIR/hub.log") lines"

# A stop from another port that names the client's port with another source is a
# spoof: the client stays.
udp_send "$(beat 50100 XAP-HBEAT.STOP)"
marker_passes first spoof || scene_fail "a spoofed stop heartbeat ended relaying to the client"
grep -q "127.0.0.1:50100 .* left" "$SCENE_DIR/hub.log" && scene_fail "a spoofed stop heartbeat removed the client"
# Its stop naming its port and its source (the "stop" form, in capitals) removes it at once.
host=$(hostname | cut -d. -f1)
printf 'xap-hbeat\n{\nv=13\nhop=1\nuid=FF.0098:00\nclass=XAP-HBEAT.STOP\nsource=vyn.xap.%s\ninterval=60\nport=50100\n}\n' "$host" > "$SCENE_DIR/stop"
udp_send "$SCENE_DIR/stop"
wait_for 5 grep -q "127.0.0.1:50100 .* left (stop heartbeat)" "$SCENE_DIR/hub.log" || scene_fail "the stop heartbeat was ignored"
scene_listen second --listen-port 50200
udp_send "$SCENE_DIR/probe"
marker_passes second stopped || scene_fail "the marker after the stop did not reach the other listener"
grep -q "^class=scene.probe$" "$SCENE_DIR/second.out" || scene_fail "the probe did not reach the other listener"
[ "$(count "^class=scene.probe$" "$SCENE_DIR/first.out")" -eq 0 ] || scene_fail "the hub relayed to a stopped client"
[ "$(count "^id=stopped$" "$SCENE_DIR/first.out")" -eq 0 ] || scene_fail "the hub relayed to a stopped client"

# The table holds four clients; a fifth and sixth are refused with one log line.
for port in 41001 41002 41003 41004 41005; do udp_send "$(beat $port xap-hbeat.alive 999999999)"; done
wait_for 5 grep -q "table is full" "$SCENE_DIR/hub.log" || scene_fail "the full table is not logged"
[ "$(count "table is full" "$SCENE_DIR/hub.log")" -eq 1 ] || scene_fail "the full table is logged more than once"
grep -q "41004 .* refused: the client table is full" "$SCENE_DIR/hub.log" || scene_fail "the fourth announcer was not the one refused"
grep -q "41001 .* joined, interval 3600 s" "$SCENE_DIR/hub.log" || scene_fail "the interval is not capped at an hour"

# The state file lists the clients; a stopped hub says so; a restarted hub relays at once.
state="$SCENE_DIR/hub.clients"
wait_for 5 grep -q "^50200 60 " "$state" || scene_fail "the state file lacks the listener: $(cat "$state" 2>/dev/null)"
kill -TERM "$hub_pid"
wait "$hub_pid" 2>/dev/null || true
wait_for 5 grep -q "^class=xap-hbeat.stopped$" "$SCENE_DIR/second.out" || scene_fail "the hub did not announce its stop"
mv "$SCENE_DIR/hub.log" "$SCENE_DIR/hub-first.log"
scene_start_hub --max-clients 4
grep -q "127.0.0.1:50200 .* joined from the state file" "$SCENE_DIR/hub.log" || scene_fail "the restarted hub forgot its clients"
marker_passes second restarted || scene_fail "the restarted hub did not relay at once"

# SIGHUP: the hub opens its log again (after rotation) and keeps relaying; it is no stop.
"$XAPHUB" --port 3641 --state none --log "$SCENE_DIR/hub-c.log" &
hub_c=$!
SCENE_PIDS+=("$hub_c")
wait_for 5 grep -q "listening on" "$SCENE_DIR/hub-c.log" || scene_fail "the third hub did not log to its file"
mv "$SCENE_DIR/hub-c.log" "$SCENE_DIR/hub-c.log.1"
kill -HUP "$hub_c"
wait_for 5 grep -q "reloaded" "$SCENE_DIR/hub-c.log" || scene_fail "SIGHUP did not reopen the log"
kill -0 "$hub_c" || scene_fail "SIGHUP ended the hub"
kill -TERM "$hub_c"
wait "$hub_c" || scene_fail "the third hub did not end cleanly on SIGTERM"
echo "hub guard scene passed"
