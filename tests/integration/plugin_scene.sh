#!/usr/bin/env bash
# The whole job on one machine: hub, tallis and the Audrey plug-in. Echo and role
# queries are answered, an "Audrey.Cmd" sent to the node comes out as an "Audrey.Cmd"
# to the Audrey's own address, and after SIGTERM Config/vynTallis.ini holds the
# Audreys' devices, which a restart brings back with their state.
source "$(dirname "$0")/scene.sh"
: "${PLUGIN:?path of the built hspi_Audrey.so}"

# lines_at_least N PATTERN FILE: true when FILE has N or more lines matching PATTERN.
lines_at_least() {
  test "$(grep -c "$2" "$3")" -ge "$1"
}

scene_begin
cp "$PLUGIN" "$SCENE_BASE/"
printf '[Audrey Utilities]\r\nAudreyNames=Kitchen,Den\r\nAddress.Den=vyn.Audrey.DenUnit\r\n' > "$SCENE_BASE/Config/vynAudreyUtilities.ini"
host=$(hostname | cut -d. -f1)

scene_start_hub
scene_listen commands --class Audrey.Cmd
scene_listen events --class Homeseer.Event
scene_start_tallis
wait_for 5 grep -q "^Data=Using xAP port" "$SCENE_DIR/events.out" || scene_fail "the node did not report its port"

# The host's own messages leave as real datagrams: the plug-in's listener
# registration is logged as a "Homeseer.Event" of the host callback object.
wait_for 5 grep -q "^Type=callback from Audrey$" "$SCENE_DIR/events.out" || scene_fail "no callback registration event"
grep -q "^Data=Type=4$" "$SCENE_DIR/events.out" || scene_fail "the registration event lacks Type=4"

echo_answer=$(xap_cmd query echo --text Ping --timeout 5 --summary) || scene_fail "no echo answer"
[[ "$echo_answer" == *"Response=ping"* ]] || scene_fail "echo answer: $echo_answer"
role_answer=$(xap_cmd query role --role application --timeout 5 --summary) || scene_fail "no role answer"
[[ "$role_answer" == *"Path=$SCENE_BASE/tallis"* ]] || scene_fail "role answer: $role_answer"

# Any xAP controller drives the Audreys through the node.
xap_cmd send --class Audrey.Cmd --target "vyn.Audrey.$host" --section Audrey.Cmd \
  Audrey=Kitchen,Den Command=TopLed Value=blink || scene_fail "send failed"
wait_for 5 grep -q "^target=vyn.AudreyUnit.Kitchen$" "$SCENE_DIR/commands.out" || scene_fail "no command to Kitchen"
wait_for 5 grep -q "^target=vyn.Audrey.DenUnit$" "$SCENE_DIR/commands.out" || scene_fail "no command to Den"
grep -q "^Command=TopLed$" "$SCENE_DIR/commands.out" || scene_fail "the command item is missing"
grep -q "^Value=blink$" "$SCENE_DIR/commands.out" || scene_fail "the value item is missing"
grep -q "^source=vyn.Audrey.$host$" "$SCENE_DIR/commands.out" || scene_fail "the command does not come from the node"

scene_stop_tallis
[ "$TALLIS_STATUS" -eq 0 ] || scene_fail "tallis ended with status $TALLIS_STATUS"
devices="$SCENE_BASE/Config/vynTallis.ini"
[ -f "$devices" ] || scene_fail "no vynTallis.ini after SIGTERM"
grep -q $'^\\^1=Audrey;Kitchen;0;0;[^;]*;TopLed blink\r$' "$devices" || scene_fail "Kitchen's device is not saved: $(cat "$devices")"
grep -q $'^\\^2=Audrey;Den;0;0;[^;]*;TopLed blink\r$' "$devices" || scene_fail "Den's device is not saved"

# A restart restores the devices: saving them again keeps their state.
rm "$devices"_bck
scene_start_tallis
wait_for 5 lines_at_least 2 "^Data=Using xAP port" "$SCENE_DIR/events.out" || scene_fail "the restarted node did not report its port"
wait_for 5 lines_at_least 2 "^Type=callback from Audrey$" "$SCENE_DIR/events.out" || scene_fail "the plug-in did not start again"
scene_stop_tallis
[ "$TALLIS_STATUS" -eq 0 ] || scene_fail "tallis ended with status $TALLIS_STATUS after the restart"
grep -q $'^\\^1=Audrey;Kitchen;0;0;[^;]*;TopLed blink\r$' "$devices" || scene_fail "Kitchen's device did not survive the restart: $(cat "$devices")"
[ "$(grep -c '=Audrey;' "$devices")" -eq 2 ] || scene_fail "the restart duplicated or lost devices: $(cat "$devices")"
if grep -q "Restart Plugin" "$SCENE_BASE/Data/raruveViziva.txt"; then
  scene_fail "the plug-in failed to start"
fi
echo "plugin scene passed"
