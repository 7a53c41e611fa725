#!/usr/bin/env bash
# Helpers for integration scenes: a base folder with the built tallis and a loopback
# vynXap.ini, the hub, listeners, and waiting with timeouts. Source it from a scene:
#
#   source "$(dirname "$0")/scene.sh"
#   scene_begin; scene_start_hub; scene_start_tallis; ...; scene_stop_tallis
#
# Sourcing it moves the scene into a private network namespace with only an active
# loopback interface (re-running the scene under `unshare --net`), so nothing it sends
# can leave the machine and port 3639 is its own (as root, or in a user namespace of
# its own with `unshare -rn` where the system allows that).
#
# The programs come from TALLIS, XAPHUB and XAP (paths to the built binaries).

if [ -z "${SCENE_PRIVATE_NETWORK:-}" ]; then
  if [ "$(id -u)" -ne 0 ]; then
    exec unshare -rn -- env SCENE_PRIVATE_NETWORK=1 bash -c 'ip link set lo up && exec bash "$0" "$@"' "$0" "$@"
  fi
  exec unshare --net -- env SCENE_PRIVATE_NETWORK=1 bash -c 'ip link set lo up && exec bash "$0" "$@"' "$0" "$@"
fi

set -euo pipefail

: "${TALLIS:?path of the built tallis}"
: "${XAPHUB:?path of the built xaphub}"
: "${XAP:?path of the built xap tool}"
SCENE_BROADCAST=${SCENE_BROADCAST:-127.255.255.255}
SCENE_PIDS=()

# The program runs headless here whatever the calling environment has, and never
# meets the machine's own session bus (scenes that want a bus start their own).
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM DBUS_SESSION_BUS_ADDRESS XDG_RUNTIME_DIR

scene_fail() {
  echo "FAIL: $*" >&2
  scene_dump >&2
  exit 1
}

scene_dump() {
  [ -n "${SCENE_DIR:-}" ] || return 0
  for f in "$SCENE_DIR"/*.out "$SCENE_DIR"/*.log "$SCENE_BASE/Data/raruveViziva.txt"; do
    [ -f "$f" ] || continue
    echo "--- $f"
    tail -n 60 "$f" | tr '\r' ' '
  done
}

# The processes below PID, children first found (each once per line).
scene_descendants() {
  local child
  for child in $(pgrep -P "$1" 2>/dev/null); do
    echo "$child"
    scene_descendants "$child"
  done
}

scene_cleanup() {
  local pid started
  # Everything still running below the scene, before its recorded processes are stopped:
  # a process that outlives them (started through a subshell, say) is stopped too.
  started=$(scene_descendants $$)
  for pid in "${SCENE_PIDS[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  wait 2>/dev/null || true
  for pid in $started; do
    if kill -0 "$pid" 2>/dev/null && [ "$(ps -o stat= -p "$pid" 2>/dev/null | cut -c1)" != Z ]; then
      echo "scene: process $pid ($(cat /proc/"$pid"/comm 2>/dev/null)) outlived the scene; stopping it" >&2
      kill "$pid" 2>/dev/null || true
    fi
  done
  [ -n "${SCENE_KEEP:-}" ] || rm -rf "$SCENE_DIR"
}

# Creates the scene folder ($SCENE_DIR) and the empty base folder ($SCENE_BASE) with
# the program and Config/vynXap.ini pointing at the loopback broadcast address.
scene_begin() {
  SCENE_DIR=$(mktemp -d /tmp/tallis-scene-XXXXXX)
  SCENE_BASE="$SCENE_DIR/base"
  mkdir -p "$SCENE_BASE/Config"
  cp "$TALLIS" "$SCENE_BASE/tallis"
  printf '[Interface]\r\nBroadcastAddress=%s\r\n' "$SCENE_BROADCAST" > "$SCENE_BASE/Config/vynXap.ini"
  trap scene_cleanup EXIT
}

# wait_for SECONDS COMMAND...: runs COMMAND every 50 ms until it succeeds.
wait_for() {
  local seconds=$1
  shift
  local deadline=$((SECONDS + seconds))
  until "$@" >/dev/null 2>&1; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.05
  done
}

scene_start_hub() {
  "$XAPHUB" -v --state "$SCENE_DIR/hub.clients" "$@" > "$SCENE_DIR/hub.log" 2>&1 &
  SCENE_PIDS+=($!)
  wait_for 5 grep -q "listening on" "$SCENE_DIR/hub.log" || scene_fail "the hub did not start"
}

# scene_listen NAME [xap listen options...]: a listener in the background, its
# output in $SCENE_DIR/NAME.out; returns once the hub has registered it.
scene_listen() {
  local name=$1
  shift
  local before
  before=$(grep -c "joined" "$SCENE_DIR/hub.log" || true)
  "$XAP" listen --broadcast "$SCENE_BROADCAST" "$@" > "$SCENE_DIR/$name.out" 2>&1 &
  SCENE_PIDS+=($!)
  wait_for 5 scene_hub_clients_above "$before" || scene_fail "listener $name did not register"
}

scene_hub_clients_above() {
  test "$(grep -c joined "$SCENE_DIR/hub.log")" -gt "$1"
}

# Starts tallis in its base folder ($TALLIS_PID) and waits for its log file.
scene_start_tallis() {
  (cd "$SCENE_BASE" && exec ./tallis > "$SCENE_DIR/tallis.out" 2>&1) &
  TALLIS_PID=$!
  SCENE_PIDS+=("$TALLIS_PID")
  wait_for 10 test -s "$SCENE_BASE/Data/raruveViziva.txt" || scene_fail "tallis wrote no log file"
}

# Stops tallis with SIGTERM and waits for it; the exit status is in $TALLIS_STATUS.
scene_stop_tallis() {
  kill -TERM "$TALLIS_PID"
  local i
  for i in $(seq 1 200); do
    kill -0 "$TALLIS_PID" 2>/dev/null || break
    sleep 0.05
  done
  kill -0 "$TALLIS_PID" 2>/dev/null && scene_fail "tallis did not stop within 10 s of SIGTERM"
  TALLIS_STATUS=0
  wait "$TALLIS_PID" || TALLIS_STATUS=$?
}

# xap_cmd ARGS...: the xap tool on the scene's broadcast address.
xap_cmd() {
  "$XAP" "$@" --broadcast "$SCENE_BROADCAST"
}
