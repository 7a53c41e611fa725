#!/usr/bin/env bash
# Tallis's own devices in Home Assistant: the program with the Audrey plug-in and its
# BSC endpoints enabled ([BSC] Enabled=1 in vynXap.ini), the hub, a mosquitto broker
# and the bridge. Each device the program reports appears under the node's source, and
# a state topic follows it.
source "$(dirname "$0")/../integration/scene.sh"
: "${PLUGIN:?path of the built hspi_Audrey.so}" "${XAP_MQTT:?path of the built xap-mqtt}"

scene_begin
cp "$PLUGIN" "$SCENE_BASE/"
printf '[Interface]\r\nBroadcastAddress=%s\r\n[BSC]\r\nEnabled=1\r\nCommands=1\r\nInfoInterval=5\r\n' "$SCENE_BROADCAST" \
  > "$SCENE_BASE/Config/vynXap.ini"
printf '[Audrey Utilities]\r\nAudreyNames=Kitchen,Den\r\n' > "$SCENE_BASE/Config/vynAudreyUtilities.ini"
host=$(hostname | cut -d. -f1)
node_id=$(printf 'vyn.audrey.%s' "$host" | tr 'A-Z' 'a-z' | sed 's/\./-/g')

PORT=18860
printf 'listener %s 127.0.0.1\nallow_anonymous true\npersistence false\nuser root\n' "$PORT" > "$SCENE_DIR/broker.conf"
mosquitto -c "$SCENE_DIR/broker.conf" > "$SCENE_DIR/broker.log" 2>&1 &
SCENE_PIDS+=($!)
wait_for 5 grep -q "running" "$SCENE_DIR/broker.log" || scene_fail "the broker did not start"
mosquitto_sub -p "$PORT" -t '#' -v > "$SCENE_DIR/mqtt.out" 2>&1 &
SCENE_PIDS+=($!)

scene_start_hub
scene_listen bsc --class 'xAPBSC.*'
"$XAP_MQTT" --port "$PORT" --broadcast "$SCENE_BROADCAST" > "$SCENE_DIR/bridge.log" 2>&1 &
SCENE_PIDS+=($!)
wait_for 5 grep -q "connected to" "$SCENE_DIR/bridge.log" || scene_fail "the bridge did not connect"
scene_start_tallis

wait_for 8 grep -qi "^source=vyn.Audrey.$host:" "$SCENE_DIR/bsc.out" || scene_fail "tallis sent no BSC report"
wait_for 10 grep -q "^homeassistant/device/$node_id/config " "$SCENE_DIR/mqtt.out" \
  || scene_fail "Tallis's devices did not appear in Home Assistant"
grep -q "\"via_device\"" "$SCENE_DIR/mqtt.out" || scene_fail "the device is not shown via the bridge"
wait_for 10 grep -q "^xap/$node_id/[^/]*/state " "$SCENE_DIR/mqtt.out" || scene_fail "no state of a Tallis device"
wait_for 5 grep -q "^xap/$node_id/availability online$" "$SCENE_DIR/mqtt.out" || scene_fail "the node is not online"
scene_stop_tallis
echo "tallis bsc scene passed"
