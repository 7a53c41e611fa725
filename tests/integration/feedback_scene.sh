#!/usr/bin/env bash
# The node never feeds itself, with real datagrams through a real hub:
# - the README's minimal plug-in (no AudreyOnXapMessage) fails on every message; the
#   failure's log event comes back through the hub and must not be reported again
#   (before, 25-40 broadcasts a second, for ever);
# - a flood of commands naming a different unknown Audrey each time makes at most 10
#   log events a second on the wire (plus a burst), not one per datagram.
source "$(dirname "$0")/scene.sh"
: "${EXAMPLE_PLUGIN:?path of the README example plug-in}"
: "${PLUGIN:?path of the built hspi_Audrey.so}"

events() {
  grep -c "Homeseer.Event" "$SCENE_DIR/events.out" || true
}

log_file() {
  tr '\r' ' ' < "$SCENE_BASE/Data/raruveViziva.txt"
}

host=$(hostname | cut -d. -f1)
scene_begin
scene_start_hub
scene_listen events --class Homeseer.Event --summary

# --- The README's plug-in: one foreign message, one report, and then quiet.
cp "$EXAMPLE_PLUGIN" "$SCENE_BASE/hspi_Audrey.so"
scene_start_tallis
wait_for 10 grep -q "Using xAP port" "$SCENE_DIR/events.out" || scene_fail "the node did not report its port"
xap_cmd send --class Example.Probe --section probe n=1 || scene_fail "send failed"
wait_for 5 bash -c "log_file() { tr '\r' ' ' < '$SCENE_BASE/Data/raruveViziva.txt'; }; log_file | grep -q 'Readmessage Line'" \
  || scene_fail "the failure on the node's own report is not in the log file"
before=$(events)
sleep 3
after=$(events)
[ $((after - before)) -le 2 ] || scene_fail "the node feeds itself: $((after - before)) log events in 3 s"
[ "$after" -le 8 ] || scene_fail "$after log events for one message"
grep -q "Readmessage Line .*Object doesn't support this property or method" "$SCENE_DIR/events.out" \
  || scene_fail "the first failure was not reported on the wire"
scene_stop_tallis

# --- The Audrey plug-in as a reflector: 300 commands, each naming another unknown Audrey.
cp "$PLUGIN" "$SCENE_BASE/hspi_Audrey.so"
printf '[Audrey Utilities]\r\nAudreyNames=Kitchen\r\n' > "$SCENE_BASE/Config/vynAudreyUtilities.ini"
: > "$SCENE_DIR/events.out"
scene_start_tallis
wait_for 10 grep -q "Using xAP port" "$SCENE_DIR/events.out" || scene_fail "the node did not report its port (second start)"
sleep 1
before=$(events)
start=$SECONDS
for i in $(seq 1 300); do
  # One datagram each: written to a file first, then sent with one write.
  printf 'xap-header\n{\nv=13\nhop=1\nuid=FF.0099:00\nclass=Audrey.Cmd\nsource=acme.scene.flood\ntarget=vyn.Audrey.%s\n}\nAudrey.Cmd\n{\nAudrey=NoSuch%d\nCommand=TopLed\nValue=blink\n}\n' \
    "$host" "$i" > "$SCENE_DIR/command"
  cat "$SCENE_DIR/command" > /dev/udp/127.0.0.1/3639
done
sleep 2
after=$(events)
elapsed=$((SECONDS - start + 1))
limit=$((20 + 10 * elapsed + 2))
echo "reflector: $((after - before)) log events on the wire for 300 commands in about $elapsed s (limit $limit)"
[ $((after - before)) -le "$limit" ] || scene_fail "$((after - before)) log events for 300 commands in $elapsed s"
scene_stop_tallis
# Nothing is lost: what did not go on the wire is in the log file, and the names are summed up.
log_file | grep -q "for unknown Audrey 'NoSuch1'" || grep -q "for unknown Audrey 'NoSuch1'" "$SCENE_DIR/events.out" \
  || scene_fail "the first unknown Audrey is not reported"
{ log_file; cat "$SCENE_DIR/events.out"; } | grep -q "further message(s) naming [0-9]* unknown Audrey(s)" \
  || scene_fail "no summary of the unknown Audreys"
echo "feedback scene passed"
