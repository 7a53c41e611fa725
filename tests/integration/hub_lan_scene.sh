#!/usr/bin/env bash
# A peer on the LAN sends the hub heartbeat-shaped datagrams of 64 KB with thousands
# of "port=" lines: the hub checks who sent them before reading any item, so they
# cost it no more than plain datagrams of the same size (before: 6.1 times as much),
# and none of them registers a client.
#
# Two namespaces joined by a veth pair (10.205.0.1 here with the hub, 10.205.0.2 the
# peer), with no route beyond them.
source "$(dirname "$0")/scene.sh"

scene_begin
unshare --net -- sleep 600 &
PEER_PID=$!
SCENE_PIDS+=("$PEER_PID")
peer() {
  nsenter -t "$PEER_PID" -n -- "$@"
}
peer_ready() {
  test "$(readlink /proc/$PEER_PID/ns/net)" != "$(readlink /proc/$$/ns/net)"
}
wait_for 5 peer_ready || scene_fail "no peer namespace"
ip link add hub-lan type veth peer name peer-lan || scene_fail "cannot create a veth pair"
ip link set peer-lan netns "$PEER_PID"
ip addr add 10.205.0.1/24 dev hub-lan
ip link set hub-lan up
peer ip link set lo up
peer ip addr add 10.205.0.2/24 dev peer-lan
peer ip link set peer-lan up
if ip route | grep -q '^default' || peer ip route | grep -q '^default'; then
  scene_fail "a namespace has a default route"
fi

scene_start_hub --max-clients 4
hub_pid=${SCENE_PIDS[-1]}

cpu_ticks() {
  awk '{print $14 + $15}' "/proc/$1/stat"
}

# Two datagrams of the same size (about 64 KB): a heartbeat with 9,300 port= lines and
# a plain message.
{
  printf 'xap-hbeat\n{\nv=13\nhop=1\nuid=FF.0099:00\nclass=xap-hbeat.alive\nsource=acme.lan.peer\ninterval=60\n'
  for i in $(seq 1 9300); do printf 'port=%d\n' $((40000 + i % 20000)); done
  printf '}\n'
} > "$SCENE_DIR/heavy.full"
head -c 65000 "$SCENE_DIR/heavy.full" > "$SCENE_DIR/heavy"
size=$(stat -c %s "$SCENE_DIR/heavy")
{ printf 'xap-header\n{\nv=13\n'; printf '%*s' $((size - 18)) '' | tr ' ' 'x'; printf '\n}\n'; } > "$SCENE_DIR/plain"

# send_many FILE COUNT: COUNT copies of FILE from the peer, as fast as one process can.
send_many() {
  peer bash -c 'exec 3>/dev/udp/10.205.0.1/3639; for i in $(seq 1 '"$2"'); do cat "'"$1"'" >&3; done'
}

measure() {
  local before after
  before=$(cpu_ticks "$hub_pid")
  send_many "$1" 3000
  sleep 0.5
  after=$(cpu_ticks "$hub_pid")
  echo $((after - before))
}
plain=$(measure "$SCENE_DIR/plain")
heavy=$(measure "$SCENE_DIR/heavy")
echo "hub CPU for 3,000 datagrams of 64 KB from the LAN: plain $plain ticks, heartbeat-shaped $heavy ticks"
[ "$heavy" -le $((2 * plain + 10)) ] || scene_fail "heartbeat-shaped datagrams from the LAN cost $heavy ticks against $plain"
grep -q "joined" "$SCENE_DIR/hub.log" && scene_fail "a LAN peer's heartbeat registered a client"
echo "hub LAN scene passed"
