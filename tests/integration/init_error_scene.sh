#!/usr/bin/env bash
# With every node port taken, start-up logs "xAP Init Error -1 occurred", prints one
# line on standard error and ends with a failure status.
source "$(dirname "$0")/scene.sh"

scene_begin
python3 - "$SCENE_DIR/ports.ready" <<'PY' &
import socket, sys, time
held = []
for port in range(32768, 32968):
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    s.bind(("127.0.0.1", port))
    held.append(s)
open(sys.argv[1], "w").close()
time.sleep(30)
PY
SCENE_PIDS+=($!)
wait_for 5 test -f "$SCENE_DIR/ports.ready" || scene_fail "could not take the ports"

status=0
(cd "$SCENE_BASE" && timeout 10 ./tallis > "$SCENE_DIR/tallis.out" 2> "$SCENE_DIR/tallis.err") || status=$?
[ "$status" -ne 0 ] && [ "$status" -ne 124 ] || scene_fail "tallis ended with status $status"
[ "$(wc -l < "$SCENE_DIR/tallis.err")" -eq 1 ] || scene_fail "expected one line on standard error"
grep -q "xAP Init Error -1 occurred" "$SCENE_DIR/tallis.err" || scene_fail "standard error: $(cat "$SCENE_DIR/tallis.err")"
[ "$(cat "$SCENE_BASE/Data/raruveViziva.txt")" = $'raruveViziva xAP Init Error -1 occurred 0 \r' ] \
  || scene_fail "log file: $(cat -A "$SCENE_BASE/Data/raruveViziva.txt")"
echo "init error scene passed"
