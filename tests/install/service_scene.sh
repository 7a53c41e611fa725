#!/usr/bin/env bash
# The units' commands as their services run them: as an unprivileged user without
# capabilities or new privileges, on a read-only root with only the state folder
# writable (ProtectSystem=strict, ReadWritePaths=), and unable to make writable
# executable memory (MemoryDenyWriteExecute=). Each one tells a stand-in for the
# service manager that it is ready (the node also sends watchdog keep-alives and says
# when it stops), and writes its records to a journal stream with syslog priorities.
# A second hub on the port in use says another hub serves it and ends with 0. The MQTT
# bridge runs the same way, with a broker.
source "$(dirname "$0")/../integration/scene.sh"
: "${PLUGIN:?}" "${SOURCE_DIR:?}" "${XAP_MQTT:?}"

[ "$(id -u)" -eq 0 ] || { echo "service scene skipped: needs root (mount namespace, another user)"; exit 0; }
unshare -m -- true 2>/dev/null || { echo "service scene skipped: no mount namespace here"; exit 0; }
scene_begin
chmod 0755 "$SCENE_DIR"
nobody=65534

# The installed tree as the package lays it out: the program root's, the instance
# the service user's.
mkdir -p "$SCENE_DIR/usr/lib/tallis" "$SCENE_DIR/var/tallis" "$SCENE_DIR/var/xaphub"
install -m 0755 "$TALLIS" "$PLUGIN" "$SCENE_DIR/usr/lib/tallis/"
install -m 0755 "$XAPHUB" "$SCENE_DIR/usr/xaphub"
instance=$SCENE_DIR/var/tallis
mkdir -p "$instance/Config"
ln -s "$SCENE_DIR/usr/lib/tallis/$(basename "$PLUGIN")" "$instance/"
printf '[Interface]\r\nBroadcastAddress=%s\r\n' "$SCENE_BROADCAST" > "$instance/Config/vynXap.ini"
chown -R "$nobody:$nobody" "$SCENE_DIR/var"

python3 "$SOURCE_DIR/tests/install/notify_listener.py" "$SCENE_DIR/notify.sock" "$SCENE_DIR/notify.log" &
SCENE_PIDS+=($!)
wait_for 5 grep -q listening "$SCENE_DIR/notify.log" || scene_fail "the notification socket did not open"

# sandboxed WRITABLE STDERR COMMAND...: COMMAND in the background ($!), as the
# services run it; its standard error is STDERR, announced as a journal stream.
sandboxed() {
  local writable=$1 stderr=$2
  shift 2
  : > "$stderr"
  unshare -m -- bash -c '
    writable=$1; stderr=$2; shift 2
    mount --make-rprivate /
    mount --bind "$writable" "$writable"
    mount -o remount,bind,ro /
    export JOURNAL_STREAM=$(stat -c %d:%i "$stderr")
    exec python3 -c "import ctypes, os, sys
libc = ctypes.CDLL(None, use_errno=True)
if libc.prctl(65, 1, 0, 0, 0) != 0:  # PR_SET_MDWE, PR_MDWE_REFUSE_EXEC_GAIN
    sys.exit(\"cannot deny writable executable memory: errno %d\" % ctypes.get_errno())
os.execvp(sys.argv[1], sys.argv[1:])" \
      setpriv --reuid='"$nobody"' --regid='"$nobody"' --clear-groups --no-new-privs --bounding-set=-all \
      --inh-caps=-all "$@"
  ' bash "$writable" "$stderr" "$@" > "$SCENE_DIR/$(basename "$stderr").stdout" 2>> "$stderr" &
}
export NOTIFY_SOCKET=$SCENE_DIR/notify.sock

# The hub: ready once bound, its records in the journal stream.
sandboxed "$SCENE_DIR/var/xaphub" "$SCENE_DIR/hub.journal" env XDG_RUNTIME_DIR="$SCENE_DIR/var/xaphub" "$SCENE_DIR/usr/xaphub"
HUB_PID=$!
SCENE_PIDS+=("$HUB_PID")
wait_for 5 grep -q "READY=1;STATUS=relaying port 3639" "$SCENE_DIR/notify.log" || scene_fail "the hub did not say it is ready"
wait_for 5 grep -q "^<6>listening on 0.0.0.0:3639$" "$SCENE_DIR/hub.journal" || scene_fail "the hub's journal: $(cat "$SCENE_DIR/hub.journal")"

# A second hub finds the port served, says so and ends with 0.
status=0
"$XAPHUB" --state none > "$SCENE_DIR/second-hub.out" 2>&1 || status=$?
[ "$status" -eq 0 ] || scene_fail "a second hub ended with $status: $(cat "$SCENE_DIR/second-hub.out")"
grep -q "another hub already serves port 3639" "$SCENE_DIR/second-hub.out" || scene_fail "the second hub did not say why it ends"

# The node: ready once bound and the plug-in created, watchdog keep-alives, records in
# the journal stream, and "stopping" on SIGTERM.
sandboxed "$instance" "$SCENE_DIR/tallis.journal" env WATCHDOG_USEC=3000000 \
  "$SCENE_DIR/usr/lib/tallis/tallis" --base "$instance"
TALLIS_PID=$!
SCENE_PIDS+=("$TALLIS_PID")
SCENE_BASE=$instance
wait_for 15 grep -q "READY=1;STATUS=serving xAP from $instance" "$SCENE_DIR/notify.log" \
  || scene_fail "the node did not say it is ready: $(cat "$SCENE_DIR/notify.log" "$SCENE_DIR/tallis.journal")"
wait_for 5 grep -q "^WATCHDOG=1$" "$SCENE_DIR/notify.log" || scene_fail "no watchdog keep-alive"
grep -q "^<6>raruveViziva Tallis .* started in $instance" "$SCENE_DIR/tallis.journal" \
  || scene_fail "the node's journal: $(cat "$SCENE_DIR/tallis.journal")"
grep -q "started in $instance" "$instance/Data/raruveViziva.txt" || scene_fail "the log file lacks the record"
grep -q "^<" "$instance/Data/raruveViziva.txt" && scene_fail "priority prefixes in the log file"
sleep 2
[ "$(grep -c "^WATCHDOG=1$" "$SCENE_DIR/notify.log")" -ge 2 ] || scene_fail "the watchdog keep-alive is not repeated"
scene_stop_tallis
[ "$TALLIS_STATUS" -eq 0 ] || scene_fail "the node ended with $TALLIS_STATUS: $(cat "$SCENE_DIR/tallis.journal")"
grep -q "^STOPPING=1$" "$SCENE_DIR/notify.log" || scene_fail "the node did not say it stops"

# The MQTT bridge, likewise: it reads its settings (readable by its group only) and
# writes nothing; ready at once, then connected to a broker, and "stopping" on SIGTERM.
broker_port=18830
printf 'listener %s 127.0.0.1\nallow_anonymous true\npersistence false\nuser root\n' "$broker_port" > "$SCENE_DIR/broker.conf"
mosquitto -c "$SCENE_DIR/broker.conf" > "$SCENE_DIR/broker.log" 2>&1 &
SCENE_PIDS+=($!)
mkdir -p "$SCENE_DIR/etc" "$SCENE_DIR/var/bridge"
printf '[Broker]\nHost=127.0.0.1\nPort=%s\n[xAP]\nBroadcast=%s\n' "$broker_port" "$SCENE_BROADCAST" > "$SCENE_DIR/etc/xap-mqtt.ini"
chown "0:$nobody" "$SCENE_DIR/etc/xap-mqtt.ini"
chmod 0640 "$SCENE_DIR/etc/xap-mqtt.ini"
install -m 0755 "$XAP_MQTT" "$SCENE_DIR/usr/xap-mqtt"
stops=$(grep -c "^STOPPING=1$" "$SCENE_DIR/notify.log" || true)
sandboxed "$SCENE_DIR/var/bridge" "$SCENE_DIR/bridge.journal" "$SCENE_DIR/usr/xap-mqtt" --config "$SCENE_DIR/etc/xap-mqtt.ini"
BRIDGE_PID=$!
SCENE_PIDS+=("$BRIDGE_PID")
wait_for 5 grep -q "^READY=1;STATUS=connecting to the broker 127.0.0.1:$broker_port$" "$SCENE_DIR/notify.log" \
  || scene_fail "the bridge did not say it is ready: $(cat "$SCENE_DIR/notify.log" "$SCENE_DIR/bridge.journal")"
wait_for 10 grep -q "^STATUS=connected to the broker 127.0.0.1:$broker_port$" "$SCENE_DIR/notify.log" \
  || scene_fail "the bridge did not reach the broker: $(cat "$SCENE_DIR/bridge.journal" "$SCENE_DIR/broker.log")"
kill -TERM "$BRIDGE_PID"
status=0
wait "$BRIDGE_PID" || status=$?
[ "$status" -eq 0 ] || scene_fail "the bridge ended with $status: $(cat "$SCENE_DIR/bridge.journal")"
[ "$(grep -c "^STOPPING=1$" "$SCENE_DIR/notify.log")" -gt "$stops" ] || scene_fail "the bridge did not say it stops"
[ -z "$(ls -A "$SCENE_DIR/var/bridge")" ] || scene_fail "the bridge wrote files: $(ls -A "$SCENE_DIR/var/bridge")"

echo "service scene passed: $(grep -c . "$SCENE_DIR/notify.log") notifications, $(grep -c . "$SCENE_DIR/tallis.journal") journal records"
