#!/usr/bin/env bash
# Saved state is never lost and no failure to save goes unseen:
#  - a plug-in whose ShutdownIO crashes or blocks does not take the device changes
#    with it (a checkpoint runs before ShutdownIO);
#  - a device file the program cannot read at start is never written by that run, not
#    even once it becomes readable; the run's devices go to vynTallis.ini.unsaved;
#  - checkpoints on a read-only Config folder are said once, with the reason, in the
#    log file and on standard error, and so is the first save after it;
#  - a full disk with the Audrey plug-in loaded: the reports of the final save do not
#    fail in the send path once the node is gone;
#  - a lock that cannot be taken (a read-only Data folder, a folder in its place)
#    keeps the program from starting.
#
# FAULTY is the test plug-in (tests/integration/FaultyPlugin.cpp), PLUGIN the Audrey
# plug-in. The scene runs in a mount namespace of its own (bind mounts and a small
# tmpfs) as well as in a private network.
if [ -z "${SCENE_PRIVATE_MOUNTS:-}" ]; then
  exec unshare --mount -- env SCENE_PRIVATE_MOUNTS=1 bash "$0" "$@"
fi
source "$(dirname "$0")/scene.sh"
: "${FAULTY:?path of the built hspi_Faulty.so}"
: "${PLUGIN:?path of the built hspi_Audrey.so}"

host=$(hostname | cut -d. -f1)
log() { tr '\r' ' ' < "$SCENE_BASE/Data/raruveViziva.txt"; }
out() { cat "$SCENE_DIR/tallis.out"; }
devices() { cat "$SCENE_BASE/Config/vynTallis.ini" 2>/dev/null || true; }
device_text_is() { devices | grep -q "^Q1=.*;$1"$'\r'"\$"; }

# settings STALL GRACE CHECKPOINT
settings() {
  printf '[Watchdog]\r\nStallSeconds=%s\r\nGraceSeconds=%s\r\nCheckpointSeconds=%s\r\n' "$1" "$2" "$3" \
    > "$SCENE_BASE/Config/Settings.ini"
}

# start MODE [RUNNER...]: tallis with the faulty plug-in in that mode, until its start-up is complete.
start() {
  export FAULTY_PLUGIN=$1
  shift
  : > "$SCENE_DIR/tallis.out"
  local before
  before=$(grep -c "running as an xAP node only" "$SCENE_BASE/Data/raruveViziva.txt" 2>/dev/null || true)
  (cd "$SCENE_BASE" && exec "$@" ./tallis > "$SCENE_DIR/tallis.out" 2>&1) &
  TALLIS_PID=$!
  SCENE_PIDS+=("$TALLIS_PID")
  wait_for 10 started_after "${before:-0}" || scene_fail "tallis did not complete its start-up"
}
started_after() {
  [ "$(grep -c "running as an xAP node only" "$SCENE_BASE/Data/raruveViziva.txt")" -gt "$1" ]
}
wait_end() {
  wait_for "$1" bash -c "! kill -0 $TALLIS_PID" || scene_fail "tallis still runs after $1 s"
  TALLIS_STATUS=0
  wait "$TALLIS_PID" || TALLIS_STATUS=$?
}
poke() {
  xap_cmd send --class Test.Poke --target "vyn.Audrey.$host" --section Test.Poke x=1 || scene_fail "send failed"
}

scene_begin
cp "$FAULTY" "$SCENE_BASE/hspi_Audrey.so"
scene_start_hub

# --- ShutdownIO crashes: the change made since the last checkpoint is on disk all the same.
for mode in crash-shutdown block-shutdown; do
  settings 2 3 3600
  rm -f "$SCENE_BASE/Config/vynTallis.ini"
  export FAULTY_POKED="$SCENE_DIR/poked"
  rm -f "$FAULTY_POKED"
  start "$mode"
  poke
  wait_for 10 test -e "$FAULTY_POKED" || scene_fail "$mode: the plug-in did not handle the poke"
  unset FAULTY_POKED
  kill -TERM "$TALLIS_PID"
  wait_end 15
  expected=139
  [ "$mode" = block-shutdown ] && expected=134
  [ "$TALLIS_STATUS" -eq "$expected" ] || scene_fail "$mode: status $TALLIS_STATUS"
  device_text_is poked || scene_fail "$mode: the last change is lost: $(devices)"
done

# --- A device file this run cannot read: never written, not even once it can be read.
settings 30 60 1
chmod 755 "$SCENE_DIR"
chown -R nobody "$SCENE_BASE"
printf '[PluginDevices]\r\nA1=Kitchen;Lamp;2;0;;On\r\n' > "$SCENE_BASE/Config/vynTallis.ini"
chown root "$SCENE_BASE/Config/vynTallis.ini"
chmod 600 "$SCENE_BASE/Config/vynTallis.ini"
before=$(devices)
rm -f "$SCENE_BASE/Config/vynTallis.ini_bck"
start well setpriv --reuid=nobody --regid=nogroup --clear-groups
grep -q "tallis: devices not loaded from $SCENE_BASE/Config/vynTallis.ini: Permission denied; this run will not save over it" \
  "$SCENE_DIR/tallis.out" || scene_fail "unreadable: standard error says $(out)"
log | grep -q "devices not loaded from .*vynTallis.ini: Permission denied" || scene_fail "unreadable: not in the log file"
# Someone mends the mode; checkpoints (every second) leave the file and its backup alone.
chmod 644 "$SCENE_BASE/Config/vynTallis.ini"
sleep 2.5
scene_stop_tallis
[ "$TALLIS_STATUS" -eq 0 ] || scene_fail "unreadable: status $TALLIS_STATUS"
[ "$(devices)" = "$before" ] || scene_fail "unreadable: the device file was written: $(devices)"
[ ! -e "$SCENE_BASE/Config/vynTallis.ini_bck" ] || scene_fail "unreadable: a backup was written"
grep -q "^Q1=.*;ready"$'\r'"\$" "$SCENE_BASE/Config/vynTallis.ini.unsaved" \
  || scene_fail "unreadable: the run's devices are not beside it: $(cat "$SCENE_BASE/Config/vynTallis.ini.unsaved" 2>&1)"
grep -q "tallis: the devices of this run are saved in $SCENE_BASE/Config/vynTallis.ini.unsaved" "$SCENE_DIR/tallis.out" \
  || scene_fail "unreadable: where the devices went is not said: $(out)"
chown -R root "$SCENE_BASE"
rm -f "$SCENE_BASE/Config/vynTallis.ini.unsaved"

# --- A read-only Config folder: the first failed checkpoint and the end of the episode are said.
settings 30 60 1
start well
mount --bind "$SCENE_BASE/Config" "$SCENE_BASE/Config"
mount -o remount,bind,ro "$SCENE_BASE/Config"
poke
wait_for 10 grep -q "could not save $SCENE_BASE/Config/vynTallis.ini: Path/File access error (read-only file system)" \
  "$SCENE_DIR/tallis.out" || scene_fail "read-only: standard error says $(out)"
log | grep -q "could not save .*vynTallis.ini: Path/File access error (read-only file system)" \
  || scene_fail "read-only: not in the log file"
sleep 2
[ "$(grep -c "could not save" "$SCENE_DIR/tallis.out")" -eq 1 ] || scene_fail "read-only: said more than once: $(out)"
umount "$SCENE_BASE/Config"
wait_for 10 grep -q "vynTallis.ini saved again after [0-9]* failed checkpoints" "$SCENE_DIR/tallis.out" \
  || scene_fail "read-only: the end is not said: $(out)"
log | grep -q "saved again after [0-9]* failed checkpoints" || scene_fail "read-only: the end is not in the log file"
device_text_is poked || scene_fail "read-only: the change was not saved afterwards: $(devices)"
scene_stop_tallis
[ "$TALLIS_STATUS" -eq 0 ] || scene_fail "read-only: status $TALLIS_STATUS"

# --- A full disk with the Audrey plug-in: the final save's reports do not fail in SendXap.
cp "$PLUGIN" "$SCENE_BASE/hspi_Audrey.so"
mkdir -p "$SCENE_DIR/keep"
cp -a "$SCENE_BASE/Config/." "$SCENE_DIR/keep/"
mount -t tmpfs -o size=64k tmpfs "$SCENE_BASE/Config"
cp -a "$SCENE_DIR/keep/." "$SCENE_BASE/Config/"
: > "$SCENE_DIR/tallis.out"
before=$(grep -c "running as an xAP node only" "$SCENE_BASE/Data/raruveViziva.txt" || true)
scene_start_tallis
wait_for 10 started_after "$before" || scene_fail "full disk: tallis did not complete its start-up"
dd if=/dev/zero of="$SCENE_BASE/Config/filler" bs=4k count=100 2>/dev/null || true
scene_stop_tallis
[ "$TALLIS_STATUS" -eq 74 ] || scene_fail "full disk: status $TALLIS_STATUS"
if log | grep -aq "Object variable not set"; then
  scene_fail "full disk: a report failed: $(log | grep -a "Object variable not set" | tr -d "\000\001")"
fi
umount "$SCENE_BASE/Config"
cp "$FAULTY" "$SCENE_BASE/hspi_Audrey.so"

# --- The lock cannot be taken: the program does not start (the lock file is there from
# the runs before, but cannot be opened for writing on a read-only folder).
mount --bind "$SCENE_BASE/Data" "$SCENE_BASE/Data"
mount -o remount,bind,ro "$SCENE_BASE/Data"
status=0
(cd "$SCENE_BASE" && timeout 10 ./tallis > "$SCENE_DIR/lock.out" 2>&1) || status=$?
umount "$SCENE_BASE/Data"
[ "$status" -eq 1 ] || scene_fail "lock: status $status: $(cat "$SCENE_DIR/lock.out")"
grep -q "cannot take the lock of $SCENE_BASE (.*tallis.lock: Read-only file system): not starting" "$SCENE_DIR/lock.out" \
  || scene_fail "lock: standard error says $(cat "$SCENE_DIR/lock.out")"
rm -f "$SCENE_BASE/Data/tallis.lock"
mkdir "$SCENE_BASE/Data/tallis.lock"
status=0
(cd "$SCENE_BASE" && timeout 10 ./tallis > "$SCENE_DIR/lock.out" 2>&1) || status=$?
[ "$status" -eq 1 ] || scene_fail "lock folder: status $status: $(cat "$SCENE_DIR/lock.out")"
grep -q "cannot take the lock of $SCENE_BASE (.*tallis.lock: Is a directory): not starting" "$SCENE_DIR/lock.out" \
  || scene_fail "lock folder: standard error says $(cat "$SCENE_DIR/lock.out")"
echo "state scene passed"
