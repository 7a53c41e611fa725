#!/usr/bin/env bash
# The automation interface on a private session bus: the scene starts its own
# dbus-daemon, tallis with DBUS_SESSION_BUS_ADDRESS pointing at it, and drives the
# program with busctl, gdbus and a Python client (bus_client.py). The xAP traffic the
# calls cause is checked with a listener.
source "$(dirname "$0")/../integration/scene.sh"
: "${PLUGIN:?path of the built hspi_Audrey.so}"
here=$(cd "$(dirname "$0")" && pwd)
for tool in dbus-daemon busctl gdbus; do
  command -v "$tool" >/dev/null || scene_fail "$tool is not installed (scripts/install-deps.sh)"
done
/usr/bin/python3 -c 'import dbus' 2>/dev/null || scene_fail "python3-dbus is not installed (scripts/install-deps.sh)"
/usr/bin/python3 -c 'from gi.repository import GLib' 2>/dev/null || scene_fail "python3-gi is not installed (scripts/install-deps.sh)"

scene_begin
cp "$PLUGIN" "$SCENE_BASE/"
mkdir -p "$SCENE_BASE/Scripts"
cp "$here"/scripts/*.vbs "$SCENE_BASE/Scripts/"
printf '[Audrey Utilities]\r\nAudreyNames=Kitchen\r\n' > "$SCENE_BASE/Config/vynAudreyUtilities.ini"

dbus-daemon --session --address="unix:path=$SCENE_DIR/bus" --nofork --nopidfile > "$SCENE_DIR/dbus.log" 2>&1 &
SCENE_PIDS+=($!)
export DBUS_SESSION_BUS_ADDRESS="unix:path=$SCENE_DIR/bus"
wait_for 5 test -S "$SCENE_DIR/bus" || scene_fail "the private bus did not start"

scene_start_hub
scene_listen events --class Homeseer.Event
scene_listen ir --class Homeseer.IR
# A small per-client object limit, so that the served client can reach it.
export TALLIS_BUS_OBJECT_LIMIT=50
scene_start_tallis
log="$SCENE_BASE/Data/raruveViziva.txt"
wait_for 10 grep -q "automation interface on the session bus as org.tallis.Tallis" "$log" || scene_fail "no automation interface"
wait_for 5 grep -q "^Type=callback from Audrey$" "$SCENE_DIR/events.out" || scene_fail "the plug-in did not start"

# busctl and gdbus read the type library and call members.
busctl --user introspect org.tallis.Tallis /org/tallis/Application > "$SCENE_DIR/introspect.out" || scene_fail "busctl introspect failed"
grep -Eq '^\.SetDeviceStatus +method +sn +- ' "$SCENE_DIR/introspect.out" || scene_fail "busctl does not list SetDeviceStatus(sn)"
version=$(gdbus call --session --dest org.tallis.Tallis --object-path /org/tallis/Application --method org.tallis.Application.Version) \
  || scene_fail "gdbus call failed"
[ "$version" = "('1.6.174',)" ] || scene_fail "Version over gdbus: $version"
# Peer.Ping and members are answered while another client waits in WaitSecs.
gdbus call --session --dest org.tallis.Tallis --object-path /org/tallis/Application \
  --method org.tallis.Application.WaitSecs 2 > "$SCENE_DIR/wait.out" 2>&1 &
wait_pid=$!
sleep 0.3
timeout 1 busctl --user call org.tallis.Tallis /org/tallis/Application org.freedesktop.DBus.Peer Ping \
  || scene_fail "no Ping answer during WaitSecs"
timeout 1 busctl --user call org.tallis.Tallis /org/tallis/Application org.tallis.Application Version \
  || scene_fail "no Version answer during WaitSecs"
wait "$wait_pid" || scene_fail "WaitSecs over the bus failed: $(cat "$SCENE_DIR/wait.out")"

# A message handed to the plug-in is signalled as XapReceived (gdbus monitor sees it).
gdbus monitor --session --dest org.tallis.Tallis --object-path /org/tallis/Application > "$SCENE_DIR/monitor.out" 2>&1 &
monitor_pid=$!
SCENE_PIDS+=("$monitor_pid")
wait_for 5 grep -q "Monitoring signals" "$SCENE_DIR/monitor.out" || sleep 0.5
host=$(hostname | cut -d. -f1)
xap_cmd send --class Audrey.Cmd --target "vyn.Audrey.$host" --section Audrey.Cmd Audrey=Kitchen Command=TopLed Value=on \
  || scene_fail "send failed"
wait_for 5 grep -q "org.tallis.Events.XapReceived.*Audrey.Cmd" "$SCENE_DIR/monitor.out" \
  || scene_fail "no XapReceived signal for the message the plug-in got"
kill "$monitor_pid" 2>/dev/null || true
wait "$monitor_pid" 2>/dev/null || true
sleep 0.3 # the service looks at the daemon's match rules again after 100 ms
# With nobody's match rule wanting it, XapReceived is not sent at all: a bus monitor (which
# sees every message without a match rule of its own) sees the message's device change only.
dbus-monitor --session "type='signal',interface='org.tallis.Events'" > "$SCENE_DIR/busmonitor.out" 2>&1 &
busmonitor_pid=$!
SCENE_PIDS+=("$busmonitor_pid")
# The monitor is ready when it sees a change: the tries switch the LED off and on.
seen=""
for value in off on off on off on off on; do
  xap_cmd send --class Audrey.Cmd --target "vyn.Audrey.$host" --section Audrey.Cmd Audrey=Kitchen Command=TopLed \
    Value="$value" || scene_fail "send failed"
  if wait_for 1 grep -q "TopLed o" "$SCENE_DIR/busmonitor.out"; then seen=1; break; fi
done
[ -n "$seen" ] || scene_fail "the bus monitor saw no DeviceChanged"
if grep -q "member=XapReceived" "$SCENE_DIR/busmonitor.out"; then
  scene_fail "XapReceived was sent while nobody listened"
fi
kill "$busmonitor_pid" 2>/dev/null || true

/usr/bin/python3 "$here/bus_client.py" > "$SCENE_DIR/client.out" 2>&1 || { cat "$SCENE_DIR/client.out"; scene_fail "the Python client failed"; }
cat "$SCENE_DIR/client.out"
/usr/bin/python3 "$here/served_client.py" > "$SCENE_DIR/served.out" 2>&1 || { cat "$SCENE_DIR/served.out"; scene_fail "the served client failed"; }
cat "$SCENE_DIR/served.out"

# The bus's SetDeviceStatus and the script's went out alike through the status callback.
wait_for 5 grep -Eq "^Data=A,1,2,[0-9]+$" "$SCENE_DIR/events.out" || scene_fail "no xAP report of the bus's SetDeviceStatus"
wait_for 5 grep -Eq "^Data=A,1,3,[0-9]+$" "$SCENE_DIR/events.out" || scene_fail "no xAP report of the script's SetDeviceStatus"
# FRH.interface ran the start-up: IREvent sent only once an interface was named.
wait_for 5 grep -q "^Match=12$" "$SCENE_DIR/ir.out" || scene_fail "IREvent sent nothing after FRH.interface was set"
if grep -q "^Match=11$" "$SCENE_DIR/ir.out"; then
  scene_fail "IREvent sent while no interface was named"
fi

scene_stop_tallis
[ "$TALLIS_STATUS" -eq 0 ] || scene_fail "tallis ended with status $TALLIS_STATUS"

# Without a session bus the program says so once and runs as before.
unset DBUS_SESSION_BUS_ADDRESS XDG_RUNTIME_DIR
rm -f "$log"
scene_start_tallis
wait_for 5 grep -q "no D-Bus session bus: automation interface off" "$log" || scene_fail "no line about the missing bus"
scene_stop_tallis
[ "$TALLIS_STATUS" -eq 0 ] || scene_fail "tallis without a bus ended with status $TALLIS_STATUS"
echo "automation scene passed"
