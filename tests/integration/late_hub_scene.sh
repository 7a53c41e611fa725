#!/usr/bin/env bash
# A hub that starts after the node (or restarts without its state file) learns the
# node within about 30 s instead of ten minutes; a spoofed stop heartbeat naming the
# node's source cannot make the hub drop it; and a node that ends says so at once.
source "$(dirname "$0")/scene.sh"

host=$(hostname | cut -d. -f1)
scene_begin
scene_start_tallis
sleep 2
# The hub comes late and without a state file: it does not know the node.
"$XAPHUB" -v --state none > "$SCENE_DIR/hub.log" 2>&1 &
SCENE_PIDS+=($!)
wait_for 5 grep -q "listening on" "$SCENE_DIR/hub.log" || scene_fail "the hub did not start"
wait_for 45 grep -q "(vyn.Audrey.$host) joined" "$SCENE_DIR/hub.log" || scene_fail "the node never announced itself to the late hub"
echo "the late hub learnt the node after $SECONDS s of scene"
answer=$(xap_cmd query echo --text Ping --timeout 5 --summary) || scene_fail "no echo answer through the late hub"
[[ "$answer" == *"Response=ping"* ]] || scene_fail "echo answer: $answer"

# A local process sends a stop heartbeat naming the node's source, from its own port.
printf 'xap-hbeat\n{\nv=13\nhop=1\nuid=FF.0097:00\nclass=xap-hbeat.stop\nsource=vyn.Audrey.%s\ninterval=60\n}\n' "$host" > "$SCENE_DIR/spoof"
cat "$SCENE_DIR/spoof" > /dev/udp/127.0.0.1/3639
sleep 0.5
grep -q "(vyn.Audrey.$host) left" "$SCENE_DIR/hub.log" && scene_fail "a spoofed stop heartbeat removed the node"
answer=$(xap_cmd query echo --text Again --timeout 5 --summary) || scene_fail "no echo answer after the spoofed stop"

# The node ends: the hub hears xap-hbeat.stopped and forgets it at once.
scene_stop_tallis
wait_for 3 grep -q "(vyn.Audrey.$host) left (stop heartbeat)" "$SCENE_DIR/hub.log" || scene_fail "the ending node did not say it stopped"
echo "late hub scene passed"
