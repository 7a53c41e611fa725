#!/usr/bin/env bash
# Runs bench_bus_calls against a running tallis: a private network namespace, a private
# session bus, tallis with a loopback configuration, the Audrey plug-in and a
# status-change script that notes the new status in device Z9's text.
# Usage (from the build folder): bash ../bench/automation_bus/run_bus_bench.sh [CALLS]
set -euo pipefail
if [ -z "${BENCH_PRIVATE_NETWORK:-}" ]; then
  exec unshare --net -- env BENCH_PRIVATE_NETWORK=1 bash -c 'ip link set lo up && exec bash "$0" "$@"' "$0" "$@"
fi
build=$(pwd)
dir=$(mktemp -d /tmp/tallis-busbench-XXXXXX)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$dir"
}
trap cleanup EXIT
mkdir -p "$dir/base/Config"
cp "$build/src/program/tallis" "$build/plugins/audrey/hspi_Audrey.so" "$dir/base/" 2>/dev/null \
  || cp "$build/src/program/tallis" "$dir/base/"
printf '[Interface]\r\nBroadcastAddress=127.255.255.255\r\n' > "$dir/base/Config/vynXap.ini"
printf '[Audrey Utilities]\r\nAudreyNames=Kitchen\r\n' > "$dir/base/Config/vynAudreyUtilities.ini"
mkdir -p "$dir/base/Scripts"
printf 'Sub OnChange(p)\r\n    SetDeviceString "Z9", p(2)\r\nEnd Sub\r\n' > "$dir/base/Scripts/status.vbs"
dbus-daemon --session --address="unix:path=$dir/bus" --nofork --nopidfile 2>/dev/null &
pids+=($!)
for _ in $(seq 1 100); do [ -S "$dir/bus" ] && break; sleep 0.05; done
export DBUS_SESSION_BUS_ADDRESS="unix:path=$dir/bus"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
(cd "$dir/base" && exec ./tallis > "$dir/tallis.out" 2>&1) &
pids+=($!)
for _ in $(seq 1 200); do
  grep -q "automation interface on" "$dir/base/Data/raruveViziva.txt" 2>/dev/null && break
  sleep 0.05
done
TALLIS_PID=${pids[-1]} "$build/bench/automation_bus/bench_bus_calls" "$DBUS_SESSION_BUS_ADDRESS" "${1:-10000}"
