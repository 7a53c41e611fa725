#!/usr/bin/env bash
# The path every real machine takes: the node finds a network address, binds both
# sockets (loopback and that address), sends its heartbeats to the subnet broadcast,
# is registered by the hub through the interface address, and talks with a peer on
# another machine.
#
# Two private network namespaces joined by a veth pair stand for two machines on one
# LAN: "here" (10.203.0.1, with hub, tallis and the Audrey plug-in; the scene's own
# namespace) and the peer (10.203.0.2, with a hub and an xap listener of its own).
# A second veth pair (10.204.0.1, listed first) gives the node a second address to
# choose from. No namespace has a route beyond these subnets, so nothing leaves them.
SCENE_BROADCAST=10.203.0.255
source "$(dirname "$0")/scene.sh"
: "${PLUGIN:?path of the built hspi_Audrey.so}"

scene_begin
host=$(hostname | cut -d. -f1)

# ---- the network --------------------------------------------------------------------
# The peer machine: a process in a network namespace of its own, entered by nsenter.
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

# A second network (10.204.0.0/24) between the same two machines; created first, so the
# system lists its address first.
ip link add tallis-second type veth peer name peer-second || scene_fail "cannot create a veth pair"
ip link set peer-second netns "$PEER_PID"
ip addr add 10.204.0.1/24 dev tallis-second
ip link set tallis-second up
peer ip addr add 10.204.0.2/24 dev peer-second
peer ip link set peer-second up
# The LAN the scene broadcasts on (10.203.0.0/24).
ip link add tallis-lan type veth peer name peer-lan || scene_fail "cannot create a veth pair"
ip link set peer-lan netns "$PEER_PID"
ip addr add 10.203.0.1/24 dev tallis-lan
ip link set tallis-lan up
peer ip link set lo up
peer ip addr add 10.203.0.2/24 dev peer-lan
peer ip link set peer-lan up
# Neither machine has a way out.
if ip route | grep -q '^default' || peer ip route | grep -q '^default'; then
  scene_fail "a namespace has a default route"
fi

# ---- the peer machine: its own hub and a listener -------------------------------------
# Started by nsenter itself (not through the peer function, whose subshell would be the
# process the cleanup stops), so the recorded process is the program.
nsenter -t "$PEER_PID" -n -- "$XAPHUB" -v -v > "$SCENE_DIR/peer-hub.log" 2>&1 &
SCENE_PIDS+=($!)
wait_for 5 grep -q "listening on" "$SCENE_DIR/peer-hub.log" || scene_fail "the peer's hub did not start"
nsenter -t "$PEER_PID" -n -- "$XAP" listen --broadcast 127.255.255.255 > "$SCENE_DIR/peer.out" 2>&1 &
SCENE_PIDS+=($!)
wait_for 5 grep -q "joined" "$SCENE_DIR/peer-hub.log" || scene_fail "the peer's listener did not register"

# peer_send ARGS...: an xap message from the peer machine to the LAN broadcast.
peer_send() {
  peer "$XAP" send --broadcast "$SCENE_BROADCAST" "$@" || scene_fail "the peer could not send"
}

# ---- this machine: hub, tallis and the plug-in ----------------------------------------
cp "$PLUGIN" "$SCENE_BASE/"
printf '[Audrey Utilities]\r\nAudreyNames=Kitchen,Den\r\n' > "$SCENE_BASE/Config/vynAudreyUtilities.ini"
"$XAPHUB" -v -v > "$SCENE_DIR/hub.log" 2>&1 &
SCENE_PIDS+=($!)
wait_for 5 grep -q "listening on" "$SCENE_DIR/hub.log" || scene_fail "the hub did not start"

# 1. InterfaceAddress chooses the LAN address although the second network comes first.
printf '[Interface]\r\nBroadcastAddress=%s\r\nInterfaceAddress=10.203.0.0\r\n' "$SCENE_BROADCAST" > "$SCENE_BASE/Config/vynXap.ini"
scene_start_tallis

# The heartbeat leaves from the interface address and the node's port, and reaches the peer.
wait_for 10 grep -q "from 10.203.0.1:32768, " "$SCENE_DIR/peer-hub.log" || scene_fail "no heartbeat from 10.203.0.1:32768 reached the peer"
wait_for 5 grep -q "^source=vyn.Audrey.$host$" "$SCENE_DIR/peer.out" || scene_fail "the peer saw nothing from the node"
grep -q "^port=32768$" "$SCENE_DIR/peer.out" || scene_fail "the peer saw no heartbeat"
# The local hub registered the node through the interface address.
wait_for 5 grep -q "from 10.203.0.1:32768, " "$SCENE_DIR/hub.log" || scene_fail "the local hub did not hear the node's interface address"
grep -q "client 127.0.0.1:32768 (vyn.Audrey.$host) joined" "$SCENE_DIR/hub.log" || scene_fail "the local hub did not register the node"
wait_for 5 grep -q "^Data=Using xAP port  32768$" "$SCENE_DIR/peer.out" || scene_fail "the port report did not reach the peer"

# A message from the peer reaches the plug-in, and its answer reaches the peer.
peer_send --class Audrey.Cmd --target "vyn.Audrey.$host" --section Audrey.Cmd Audrey=Kitchen Command=TopLed Value=blink
wait_for 5 grep -q "^target=vyn.AudreyUnit.Kitchen$" "$SCENE_DIR/peer.out" || scene_fail "the plug-in's command did not reach the peer"
grep -q "^Value=blink$" "$SCENE_DIR/peer.out" || scene_fail "the command lost its value"

# An echo from the peer is answered to the peer (letters beyond ASCII lower-cased).
peer_send --class ZOR.Echo --source acme.peer.lan --target "vyn.Audrey.$host" --section Echo.Query 'Query=Ping ÉTÉ'
wait_for 5 grep -q "^Response=ping été$" "$SCENE_DIR/peer.out" || scene_fail "no echo answer reached the peer"
grep -q "^target=acme.peer.lan$" "$SCENE_DIR/peer.out" || scene_fail "the echo answer is not addressed to the peer"
scene_stop_tallis
[ "$TALLIS_STATUS" -eq 0 ] || scene_fail "tallis ended with status $TALLIS_STATUS"

# 2. With the pattern of the second network the node takes the second network's address.
printf '[Interface]\r\nBroadcastAddress=%s\r\nInterfaceAddress=10.204.0.0\r\n' "$SCENE_BROADCAST" > "$SCENE_BASE/Config/vynXap.ini"
scene_start_tallis
wait_for 10 grep -q "from 10.204.0.1:32768, " "$SCENE_DIR/peer-hub.log" || scene_fail "InterfaceAddress did not choose 10.204.0.1"
scene_stop_tallis

# 3. "Default" takes the first address the system lists: the second network's.
printf '[Interface]\r\nBroadcastAddress=%s\r\n' "$SCENE_BROADCAST" > "$SCENE_BASE/Config/vynXap.ini"
heard_from_second() {
  test "$(grep -c "from 10.204.0.1:32768, " "$SCENE_DIR/peer-hub.log")" -gt "$1"
}
before=$(grep -c "from 10.204.0.1:32768, " "$SCENE_DIR/peer-hub.log")
scene_start_tallis
wait_for 10 heard_from_second "$before" || scene_fail "Default did not take the first address"
scene_stop_tallis

if grep -q "Restart Plugin" "$SCENE_BASE/Data/raruveViziva.txt"; then
  scene_fail "the plug-in failed to start"
fi
echo "lan scene passed"
