#!/usr/bin/env bash
# The node's devices as xAP BSC endpoints, seen and switched from the LAN: three saved
# devices (one dimmed, one with a text) answer a query; a script's SetDeviceStatus
# sends one event; with Commands=0 a command changes nothing and is logged once; with
# Commands=1 it switches a device, which a status-change script sees. Messages written
# by hand in the form of the schema's published examples (xAP v1.2 header, mixed-case
# keys) are answered alike. Scripts are run over a private session bus.
source "$(dirname "$0")/scene.sh"
for tool in dbus-daemon gdbus; do
  command -v "$tool" >/dev/null || scene_fail "$tool is not installed (scripts/install-deps.sh)"
done

scene_begin
host=$(hostname | cut -d. -f1)
node="vyn.Audrey.$host"
log="$SCENE_BASE/Data/raruveViziva.txt"

# bsc_ini COMMANDS: vynXap.ini with the endpoints on.
bsc_ini() {
  printf '[Interface]\r\nBroadcastAddress=%s\r\n[BSC]\r\nEnabled=1\r\nCommands=%s\r\nInfoInterval=600\r\n' \
    "$SCENE_BROADCAST" "$1" > "$SCENE_BASE/Config/vynXap.ini"
}
bsc_ini 0
# Saved devices: location;name;status;value;last change;status text.
printf '[PluginDevices]\r\nA1=Kitchen;Lamp;2;0;12/7/2026 7:05:09 PM;\r\nB2=Hall;Dimmer;4;40;12/7/2026 7:05:09 PM;\r\nC3=Den;Panel;3;0;12/7/2026 7:05:09 PM;Hello\r\n' \
  > "$SCENE_BASE/Config/vynTallis.ini"
mkdir -p "$SCENE_BASE/Scripts"
printf "Function Main(p)\r\n    SetDeviceStatus \"A1\", 3\r\n    Main = \"\"\r\nEnd Function\r\n" > "$SCENE_BASE/Scripts/setter.vbs"
printf "Sub OnChange(p)\r\n    WriteLog \"StatusChange\", Join(p, \",\")\r\nEnd Sub\r\n" > "$SCENE_BASE/Scripts/status.vbs"

dbus-daemon --session --address="unix:path=$SCENE_DIR/bus" --nofork --nopidfile > "$SCENE_DIR/dbus.log" 2>&1 &
SCENE_PIDS+=($!)
export DBUS_SESSION_BUS_ADDRESS="unix:path=$SCENE_DIR/bus"
wait_for 5 test -S "$SCENE_DIR/bus" || scene_fail "the private bus did not start"
# hs MEMBER ARGS...: a host member over the bus.
hs() {
  local member=$1
  shift
  gdbus call --session --dest org.tallis.Tallis --object-path /org/tallis/Application \
    --method "org.tallis.Application.$member" "$@"
}

scene_start_hub
scene_listen bsc --class 'xAPBSC.*' --no-heartbeats --summary
scene_listen events --class Homeseer.Event --summary
count() { grep -ac "$1" "$2" || true; }
count_above() { test "$(count "$1" "$2")" -gt "$3"; }

# ---- Commands=0 ---------------------------------------------------------------------
scene_start_tallis
wait_for 10 grep -q "BSC endpoints on: 3 device(s) as $node:<device code>, commands off, info every 600 s" "$log" \
  || scene_fail "the endpoints did not start"
wait_for 5 grep -q "automation interface on the session bus" "$log" || scene_fail "no automation interface"
# The start sweep: one info each.
wait_for 5 count_above "^xAPBSC.info from $node:" "$SCENE_DIR/bsc.out" 2 || scene_fail "no start infos"

"$XAP" bsc-query "$node:>" --summary --broadcast "$SCENE_BROADCAST" > "$SCENE_DIR/query.out" 2> "$SCENE_DIR/query.err" \
  || scene_fail "bsc-query got no answer: $(cat "$SCENE_DIR/query.err")"
[ "$(wc -l < "$SCENE_DIR/query.out")" -eq 3 ] || scene_fail "bsc-query did not list three infos: $(cat "$SCENE_DIR/query.out")"
grep -q "^xAPBSC.info from $node:A1 | output.state: state=on displaytext=Kitchen Lamp$" "$SCENE_DIR/query.out" \
  || scene_fail "A1 is not on"
grep -q "^xAPBSC.info from $node:B2 | output.state: state=on level=40/100 displaytext=Hall Dimmer$" "$SCENE_DIR/query.out" \
  || scene_fail "B2 is not dimmed to 40"
grep -q "^xAPBSC.info from $node:C3 | output.state: state=off text=Hello displaytext=Den Panel$" "$SCENE_DIR/query.out" \
  || scene_fail "C3 lacks its text"
grep -q "^uid=FF.0097:02$" <("$XAP" bsc-query "$node:B2" --broadcast "$SCENE_BROADCAST") || scene_fail "B2's sub-UID is not 02"

# A script's SetDeviceStatus: one event.
hs RunEx setter.vbs Main "" > /dev/null || scene_fail "RunEx over the bus failed"
wait_for 5 grep -q "^xAPBSC.event from $node:A1 | output.state: state=off" "$SCENE_DIR/bsc.out" || scene_fail "no event for the script's change"
sleep 0.5
[ "$(count "^xAPBSC.event" "$SCENE_DIR/bsc.out")" -eq 1 ] || scene_fail "the script's change sent more than one event"

# Commands off: nothing changes, one log line says so.
if "$XAP" bsc "$node:B2" off --timeout 1 --broadcast "$SCENE_BROADCAST" > /dev/null 2>&1; then
  scene_fail "a command was answered with commands off"
fi
[[ "$(hs DeviceStatus B2)" =~ ^\((int16 )?4,\)$ ]] || scene_fail "B2 changed with commands off"
wait_for 5 grep -q "xAPBSC.cmd from vyn.xap.$host ignored: commands are off" "$log" || scene_fail "no line about commands being off"
[ "$(count "commands are off" "$log")" -eq 1 ] || scene_fail "more than one line about one command"
scene_stop_tallis
[ "$TALLIS_STATUS" -eq 0 ] || scene_fail "tallis ended with status $TALLIS_STATUS"
grep -q "^01=A1" "$SCENE_BASE/Config/vynBSC.ini" || scene_fail "no endpoint table in Config"

# ---- Commands=1 ---------------------------------------------------------------------
bsc_ini 1
infos=$(count "^xAPBSC.info from $node:" "$SCENE_DIR/bsc.out")
scene_start_tallis
wait_for 10 grep -q "commands on, info every 600 s" "$log" || scene_fail "the endpoints did not start again"
# The start infos are out before a command, whose answer is then the one the tool prints.
wait_for 5 count_above "^xAPBSC.info from $node:" "$SCENE_DIR/bsc.out" $((infos + 2)) || scene_fail "no start infos after the restart"
wait_for 5 grep -q "automation interface on the session bus" <(tail -n 5 "$log") || scene_fail "no automation interface"
hs RegisterStatusChangeCB status.vbs OnChange > /dev/null || scene_fail "RegisterStatusChangeCB over the bus failed"
"$XAP" bsc "$node:B2" off --summary --broadcast "$SCENE_BROADCAST" > "$SCENE_DIR/cmd.out" 2>&1 || scene_fail "the command was not answered"
grep -q "^xAPBSC.event from $node:B2 | output.state: state=off level=40/100 displaytext=Hall Dimmer$" "$SCENE_DIR/cmd.out" \
  || scene_fail "the answer is not B2's event: $(cat "$SCENE_DIR/cmd.out")"
[[ "$(hs DeviceStatus B2)" =~ ^\((int16 )?3,\)$ ]] || scene_fail "B2 is not off"
wait_for 5 grep -Eq "Type=StatusChange Data=B,2,3,[0-9]+$" "$SCENE_DIR/events.out" || scene_fail "the status-change script did not see it"
"$XAP" bsc "$node:C3" level 25 --broadcast "$SCENE_BROADCAST" > /dev/null || scene_fail "the level command was not answered"
[ "$(hs DeviceValue C3)" = "(25,)" ] || scene_fail "C3 was not dimmed to 25"
"$XAP" bsc "$node:C3" text 'Good night' --broadcast "$SCENE_BROADCAST" > /dev/null || scene_fail "the text command was not answered"
[ "$(hs DeviceString C3)" = "('Good night',)" ] || scene_fail "C3's text did not change"

# Messages as the schema's examples write them, sent raw to the hub.
# raw TEXT: one datagram to the hub on this machine, the text's \n made line feeds.
raw() {
  /usr/bin/python3 -c 'import socket, sys
socket.socket(socket.AF_INET, socket.SOCK_DGRAM).sendto(sys.argv[1].replace("\\n", "\n").encode(), ("127.0.0.1", 3639))' "$1" \
    || scene_fail "cannot send to the hub"
}
before=$(count "^xAPBSC.info from $node:" "$SCENE_DIR/bsc.out")
raw "xap-header\n{\nv=12\nhop=1\nuid=FF123400\nclass=xAPBSC.query\nsource=acme.my.controller\ntarget=$node:*\n}\nrequest\n{\n}\n"
wait_for 5 count_above "^xAPBSC.info from $node:" "$SCENE_DIR/bsc.out" $((before + 2)) || scene_fail "the example query was not answered by all three"
raw "xap-header\n{\nv=12\nhop=1\nuid=FF123400\nclass=xAPBSC.cmd\nsource=acme.my.controller\ntarget=$node:A1\n}\noutput.state.1\n{\nID=*\nState=ON\n}\n"
wait_for 5 grep -q "^xAPBSC.event from $node:A1 | output.state: state=on" "$SCENE_DIR/bsc.out" || scene_fail "the example command did not turn A1 on"
raw "xap-header\n{\nv=12\nhop=1\nuid=FF123400\nclass=xAPBSC.cmd\nsource=acme.my.controller\ntarget=$node:>\n}\noutput.state.1\n{\nID=01\nstate=dim\n}\n"
wait_for 5 grep -q "xAPBSC.cmd from acme.my.controller: 1 malformed block(s) changed nothing: output.state.1 (state=dim is not on, off or toggle)" "$log" \
  || scene_fail "no line about the malformed block"
scene_stop_tallis
[ "$TALLIS_STATUS" -eq 0 ] || scene_fail "tallis ended with status $TALLIS_STATUS"

# The tool refuses what BSC cannot carry.
status=0; "$XAP" bsc "$node:A1" dim > /dev/null 2>&1 || status=$?
[ "$status" -eq 2 ] || scene_fail "xap bsc took an unknown action"
status=0; "$XAP" bsc "$node:A1" level 150 > /dev/null 2>&1 || status=$?
[ "$status" -eq 2 ] || scene_fail "xap bsc took a level above 100%"
echo "bsc scene passed"
