#!/usr/bin/env bash
# The program neither loses state nor dies silently: SIGHUP saves like SIGTERM, a
# second program in the same base folder is refused, a plug-in that crashes or blocks
# is reported (log file and standard error) and the program ends with a status that
# says so, the devices on disk hold the last checkpoint, and a shutdown save that fails
# on a full disk is said on standard error with a non-zero status.
#
# FAULTY is the test plug-in (tests/integration/FaultyPlugin.cpp), copied in as
# hspi_Audrey.so. The scene runs in a mount namespace of its own (for the small tmpfs
# that stands in for a full disk) as well as in a private network.
if [ -z "${SCENE_PRIVATE_MOUNTS:-}" ]; then
  exec unshare --mount -- env SCENE_PRIVATE_MOUNTS=1 bash "$0" "$@"
fi
source "$(dirname "$0")/scene.sh"
: "${FAULTY:?path of the built hspi_Faulty.so}"

host=$(hostname | cut -d. -f1)
log() { tr '\r' ' ' < "$SCENE_BASE/Data/raruveViziva.txt"; }
devices() { cat "$SCENE_BASE/Config/vynTallis.ini" 2>/dev/null || true; }
device_text_is() { devices | grep -q "^Q1=.*;$1"$'\r'"\$"; }

# settings STALL GRACE: the watchdog's times; checkpoints every second.
settings() {
  printf '[Watchdog]\r\nStallSeconds=%s\r\nGraceSeconds=%s\r\nCheckpointSeconds=1\r\n' "$1" "$2" \
    > "$SCENE_BASE/Config/Settings.ini"
}

# start MODE: tallis with the plug-in in that mode. Unless the plug-in crashes at
# once, waits until start-up is complete (its last log line is written anew).
start() {
  export FAULTY_PLUGIN=$1
  : > "$SCENE_DIR/tallis.out"
  local before
  before=$(grep -c "running as an xAP node only" "$SCENE_BASE/Data/raruveViziva.txt" 2>/dev/null || true)
  scene_start_tallis
  [ "$1" = crash-initio ] && return 0
  wait_for 10 started_after "${before:-0}" || scene_fail "tallis did not complete its start-up"
}
started_after() {
  [ "$(grep -c "running as an xAP node only" "$SCENE_BASE/Data/raruveViziva.txt")" -gt "$1" ]
}

# wait_end SECONDS: waits for tallis to end; its status is in $TALLIS_STATUS.
wait_end() {
  wait_for "$1" bash -c "! kill -0 $TALLIS_PID" || scene_fail "tallis still runs after $1 s"
  TALLIS_STATUS=0
  wait "$TALLIS_PID" || TALLIS_STATUS=$?
}

# A message to the node, which hands it to the plug-in.
poke() {
  xap_cmd send --class Test.Poke --target "vyn.Audrey.$host" --section Test.Poke x=1 || scene_fail "send failed"
}

scene_begin
cp "$FAULTY" "$SCENE_BASE/hspi_Audrey.so"
settings 30 60
scene_start_hub

# --- SIGHUP ends the program the orderly way: devices saved, status 0.
start well
kill -HUP "$TALLIS_PID"
wait_end 10
[ "$TALLIS_STATUS" -eq 0 ] || scene_fail "SIGHUP: status $TALLIS_STATUS"
device_text_is ready || scene_fail "SIGHUP: the device was not saved: $(devices)"

# --- A second program in the same base folder is refused before it binds anything.
start well
first=$TALLIS_PID
status=0
(cd "$SCENE_BASE" && timeout 10 ./tallis > "$SCENE_DIR/second.out" 2>&1) || status=$?
[ "$status" -ne 0 ] && [ "$status" -ne 124 ] || scene_fail "the second program: status $status"
grep -q "already running in $SCENE_BASE" "$SCENE_DIR/second.out" || scene_fail "the second program said: $(cat "$SCENE_DIR/second.out")"
# The log belongs to the running program: the refusal is said on standard error only.
log | grep -q "already running in $SCENE_BASE" && scene_fail "the refusal went into the running program's log"
answer=$(xap_cmd query echo --text Ping --timeout 5 --all --summary) || scene_fail "no echo answer"
[ "$(grep -c "Response=ping" <<< "$answer")" -eq 1 ] || scene_fail "echo answers: $answer"
TALLIS_PID=$first
scene_stop_tallis
[ "$TALLIS_STATUS" -eq 0 ] || scene_fail "the first program ended with $TALLIS_STATUS"

# --- A crash in message handling: reported, status of the signal, the checkpoint kept.
settings 30 60
rm -f "$SCENE_BASE/Config/vynTallis.ini"
start crash-message
wait_for 10 device_text_is ready || scene_fail "no checkpoint: $(devices)"
poke
wait_end 10
[ "$TALLIS_STATUS" -eq 139 ] || scene_fail "crash in a message: status $TALLIS_STATUS"
log | grep -q "fatal signal 11 in AudreyOnXapMessage" || scene_fail "crash in a message: no log line"
grep -q "fatal signal 11 in AudreyOnXapMessage" "$SCENE_DIR/tallis.out" || scene_fail "crash in a message: nothing on standard error"
device_text_is ready || scene_fail "crash in a message: the checkpoint is gone: $(devices)"

# --- A crash in InitIO: the devices saved before stay as they were.
before=$(devices)
start crash-initio
wait_end 10
[ "$TALLIS_STATUS" -eq 139 ] || scene_fail "crash in InitIO: status $TALLIS_STATUS"
log | grep -q "fatal signal 11 in InitIO" || scene_fail "crash in InitIO: no log line"
[ "$(devices)" = "$before" ] || scene_fail "crash in InitIO changed the devices: $(devices)"

# --- A plug-in that blocks: the stall is reported, then the program aborts.
settings 2 3
start block-message
wait_for 10 device_text_is ready || scene_fail "no checkpoint before the block"
poke
wait_for 10 bash -c "tr '\r' ' ' < '$SCENE_BASE/Data/raruveViziva.txt' | grep -q 'event loop stalled for [0-9]* s in AudreyOnXapMessage'" \
  || scene_fail "the stall was not reported"
grep -q "event loop stalled for" "$SCENE_DIR/tallis.out" || scene_fail "the stall is not on standard error"
wait_end 10
[ "$TALLIS_STATUS" -eq 134 ] || scene_fail "a blocked plug-in: status $TALLIS_STATUS"
log | grep -q "fatal signal 6 in AudreyOnXapMessage" || scene_fail "a blocked plug-in: no abort line"
device_text_is ready || scene_fail "a blocked plug-in: the checkpoint is gone"

# --- SIGTERM during a stall ends the program at once instead of being ignored.
settings 2 600
start block-message
wait_for 10 device_text_is ready || scene_fail "no checkpoint before the second block"
poke
wait_for 10 bash -c "[ \$(tr '\r' ' ' < '$SCENE_BASE/Data/raruveViziva.txt' | grep -c 'event loop stalled') -ge 2 ]" \
  || scene_fail "the second stall was not reported"
kill -TERM "$TALLIS_PID"
wait_end 5
[ "$TALLIS_STATUS" -eq 134 ] || scene_fail "SIGTERM in a stall: status $TALLIS_STATUS"

# --- A full disk at shutdown: said on standard error, status 74, old file intact.
settings 30 60
mkdir -p "$SCENE_DIR/keep"
cp -a "$SCENE_BASE/Config/." "$SCENE_DIR/keep/"
mount -t tmpfs -o size=64k tmpfs "$SCENE_BASE/Config"
cp -a "$SCENE_DIR/keep/." "$SCENE_BASE/Config/"
before=$(devices)
start well
dd if=/dev/zero of="$SCENE_BASE/Config/filler" bs=4k count=100 2>/dev/null || true
scene_stop_tallis
[ "$TALLIS_STATUS" -eq 74 ] || scene_fail "a full disk: status $TALLIS_STATUS"
grep -q "tallis: the devices could not be saved: .*vynTallis.ini" "$SCENE_DIR/tallis.out" \
  || scene_fail "a full disk: standard error says $(cat "$SCENE_DIR/tallis.out")"
[ "$(devices)" = "$before" ] || scene_fail "a full disk changed the devices file"
umount "$SCENE_BASE/Config"
echo "safeguards scene passed"
