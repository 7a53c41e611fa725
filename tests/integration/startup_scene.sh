#!/usr/bin/env bash
# Start-up, heartbeat, the port report, echo and role answers, a message relayed by
# the hub to the node, and a clean stop on SIGTERM.
source "$(dirname "$0")/scene.sh"

scene_begin
scene_start_hub
scene_listen all --source 'vyn.Audrey.>'
scene_start_tallis

# Folders and the log file.
for folder in Config HTML Data Scripts; do
  [ -d "$SCENE_BASE/$folder" ] || scene_fail "no $folder folder"
done
wait_for 10 grep -q $'^raruveViziva No display or system tray: desktop face off, running as an xAP node only 0 \r$' "$SCENE_BASE/Data/raruveViziva.txt" \
  || scene_fail "no headless line in the log file"

# The heartbeat, exactly its ten lines, and the port report.
host=$(hostname | cut -d. -f1)
expected=$(printf 'xap-hbeat\n{\nv=13\nhop=1\nuid=FF.0097:00\nclass=xap-hbeat.alive\nsource=vyn.Audrey.%s\ninterval=600\nport=32768\n}' "$host")
wait_for 5 grep -q "^port=32768$" "$SCENE_DIR/all.out" || scene_fail "no heartbeat arrived"
beat=$(awk '/^xap-hbeat$/{on=1} on{print} on&&/^}$/{exit}' "$SCENE_DIR/all.out")
[ "$beat" = "$expected" ] || scene_fail "heartbeat differs: $beat"
wait_for 5 grep -q "^Data=Using xAP port  32768$" "$SCENE_DIR/all.out" || scene_fail "no 'Using xAP port  32768' event"
grep -q "^Type=raruveViziva$" "$SCENE_DIR/all.out" || scene_fail "the port report has no Type item"

# Echo and role queries are answered.
echo_answer=$(xap_cmd query echo --text Ping --timeout 5 --summary) || scene_fail "no echo answer"
[[ "$echo_answer" == *"Echo.Response: Response=ping"* ]] || scene_fail "echo answer: $echo_answer"
role_answer=$(xap_cmd query role --role ANY --timeout 5 --summary) || scene_fail "no role answer"
[[ "$role_answer" == *"Role.Notification: Role=Application Path=$SCENE_BASE/tallis Form=SetupForm"* ]] \
  || scene_fail "role answer: $role_answer"

# A message to the node goes through the hub into the node's queue and is parsed
# there: a duplicate key shows up in the log file as a parse report.
xap_cmd send --class Test.Relay --target "vyn.Audrey.$host" --section Relay.Test k=1 k=2 || scene_fail "send failed"
wait_for 5 grep -q "^From XAP  [0-9]* This key is already associated" "$SCENE_BASE/Data/raruveViziva.txt" \
  || scene_fail "the node did not receive the relayed message"

scene_stop_tallis
[ "$TALLIS_STATUS" -eq 0 ] || scene_fail "tallis ended with status $TALLIS_STATUS"
echo "startup scene passed"
