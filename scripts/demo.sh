#!/usr/bin/env bash
# Installs what is needed, builds, and runs Tallis with the xAP hub and the Audrey
# plug-in on a loopback configuration in a private network namespace: live xAP
# traffic is shown as it arrives, an echo and a role query are answered, an xAP
# controller drives two Audreys through the node, their devices answer a BSC query,
# and at the end the saved devices and the log file are shown. Nothing leaves the
# machine. DEMO_SECONDS sets how long it runs (default 10); the base folder is removed
# at the end unless DEMO_KEEP=1.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/prepare.sh

build=$(pwd)/build
base=$(mktemp -d /tmp/tallis-demo-XXXXXX)
cp "$build/src/program/tallis" "$build/plugins/audrey/hspi_Audrey.so" "$base/"
mkdir -p "$base/Config"
printf '[Interface]\r\nBroadcastAddress=127.255.255.255\r\n[BSC]\r\nEnabled=1\r\n' > "$base/Config/vynXap.ini"
printf '[Audrey Utilities]\r\nAudreyNames=Kitchen,Den\r\n' > "$base/Config/vynAudreyUtilities.ini"
echo "Base folder: $base"
if [ "${DEMO_KEEP:-}" != 1 ]; then
  trap 'rm -rf "$base"; echo "Base folder $base removed (DEMO_KEEP=1 keeps it)"' EXIT
fi

export DEMO_BASE="$base" DEMO_BUILD="$build" DEMO_SECONDS="${DEMO_SECONDS:-10}"
"${private_network[@]}" -- bash -c '
  set -euo pipefail
  ip link set lo up
  unset DISPLAY WAYLAND_DISPLAY
  hub="$DEMO_BUILD/tools/xaphub/xaphub"
  xap="$DEMO_BUILD/tools/xap/xap"
  bc=127.255.255.255

  echo "--- xAP hub"
  "$hub" &
  hub_pid=$!
  sleep 0.3
  echo "--- live traffic (xap listen --summary)"
  "$xap" listen --broadcast $bc --summary --timeout "$DEMO_SECONDS" | sed -u "s/^/[listen] /" &
  listen_pid=$!
  sleep 0.3

  echo "--- tallis starts"
  (cd "$DEMO_BASE" && exec ./tallis) &
  tallis_pid=$!
  sleep 1

  echo "--- echo query"
  "$xap" query echo --broadcast $bc --text Hello --summary --timeout 3 | sed -u "s/^/[query] /" || echo "no answer"
  echo "--- role query"
  "$xap" query role --broadcast $bc --summary --timeout 3 | sed -u "s/^/[query] /" || echo "no answer"

  node="vyn.Audrey.$(hostname | cut -d. -f1)"
  echo "--- an xAP controller sends Audrey.Cmd to $node: Text for Kitchen and Den"
  "$xap" send --broadcast $bc --class Audrey.Cmd --target "$node" --section Audrey.Cmd \
    "Audrey=Kitchen,Den" Command=Text "Value=Dinner is ready"
  sleep 0.5
  echo "--- the Kitchen Audrey reports an event"
  "$xap" send --broadcast $bc --class Audrey.Event --target "$node" --section Audrey.Event \
    Audrey=Kitchen "Text=Door opened"
  sleep 0.5
  echo "--- BSC: the devices as xAP Basic Status and Control endpoints"
  "$xap" bsc-query "$node:>" --broadcast $bc --summary --timeout 2 | sed -u "s/^/[bsc] /" || echo "no answer"

  echo "--- xap-mqtt: a BSC lamp on the LAN as Home Assistant sees it through a mosquitto broker"
  printf "listener 18830 127.0.0.1\nallow_anonymous true\nuser root\n" > "$DEMO_BASE/broker.conf"
  mosquitto -c "$DEMO_BASE/broker.conf" > /dev/null 2>&1 & broker_pid=$!
  sleep 0.3
  "$DEMO_BUILD/tools/xap-mqtt/xap-mqtt" --port 18830 --broadcast $bc > "$DEMO_BASE/bridge.log" 2>&1 & bridge_pid=$!
  sleep 0.5
  "$xap" send --broadcast $bc --source acme.lamp.kitchen:Ceiling --uid FF.1234:01 --class xAPBSC.info \
    --section output.state state=on level=40% "displaytext=Kitchen ceiling"
  mosquitto_sub -p 18830 -t "homeassistant/device/acme-lamp-kitchen/config" -t "xap/acme-lamp-kitchen/#" -v -W 1 \
    | sed -u "s/^/[mqtt] /" || true
  echo "--- Home Assistant switches it off (xap/acme-lamp-kitchen/ceiling/set OFF): an xAPBSC.cmd on the LAN"
  mosquitto_pub -p 18830 -t xap/acme-lamp-kitchen/ceiling/set -m OFF
  sleep 0.5
  kill "$bridge_pid" "$broker_pid" 2>/dev/null || true
  wait "$bridge_pid" "$broker_pid" 2>/dev/null || true
  sed "s/^/[bridge] /" "$DEMO_BASE/bridge.log"

  wait "$listen_pid" || true
  echo "--- tallis stops (SIGTERM)"
  kill -TERM "$tallis_pid"
  status=0
  wait "$tallis_pid" || status=$?
  echo "tallis ended with status $status"
  kill "$hub_pid" 2>/dev/null || true
  wait "$hub_pid" 2>/dev/null || true
  echo "--- $DEMO_BASE/Config/vynTallis.ini (devices of the Audreys, saved at shutdown)"
  tr -d "\r" < "$DEMO_BASE/Config/vynTallis.ini"
  echo "--- $DEMO_BASE/Data/raruveViziva.txt"
  tr -d "\r" < "$DEMO_BASE/Data/raruveViziva.txt"
'
