#!/usr/bin/env bash
# The node and the Audrey plug-in against a hostile peer, with real datagrams: 10,000
# body sections per datagram do not make the node deaf, malformed datagrams do not
# flood the log file, the log file is capped, and one "Audrey.Cmd" naming 10,000
# Audreys makes the node send for the known ones only.
source "$(dirname "$0")/scene.sh"
: "${PLUGIN:?path of the built hspi_Audrey.so}"

udp_send() {
  cat "$1" > /dev/udp/127.0.0.1/3639
}

count() {
  grep -c "$1" "$2" || true
}

scene_begin
cp "$PLUGIN" "$SCENE_BASE/"
printf '[Audrey Utilities]\r\nAudreyNames=Kitchen,Den\r\n' > "$SCENE_BASE/Config/vynAudreyUtilities.ini"
printf '[Logging]\r\nMaxLogFileSize=4096\r\n' >> "$SCENE_BASE/Config/vynXap.ini"
# An old log file near its cap: the first records of the run move it aside.
mkdir -p "$SCENE_BASE/Data"
head -c 4090 /dev/zero | tr '\0' 'o' > "$SCENE_BASE/Data/raruveViziva.txt"
host=$(hostname | cut -d. -f1)
node="vyn.Audrey.$host"
header="xap-header\n{\nv=13\nhop=1\nuid=FF.0099:00\nclass=%s\nsource=acme.attacker.pc\ntarget=$node\n}\n"

scene_start_hub
scene_listen commands --class Audrey.Cmd
scene_listen events --class Homeseer.Event
(cd "$SCENE_BASE" && exec ./tallis > "$SCENE_DIR/tallis.out" 2>&1) &
TALLIS_PID=$!
SCENE_PIDS+=("$TALLIS_PID")
wait_for 10 test -f "$SCENE_BASE/Data/raruveViziva.txt.1" || scene_fail "the log file was not moved aside at its cap"
wait_for 5 grep -q "^Data=Using xAP port" "$SCENE_DIR/events.out" || scene_fail "the node did not report its port"
[ "$(head -c 4090 "$SCENE_BASE/Data/raruveViziva.txt.1")" = "$(head -c 4090 /dev/zero | tr '\0' 'o')" ] \
  || scene_fail "the old log is not in raruveViziva.txt.1"

# 100 datagrams of 10,000 body sections each (60 KB): the node still answers at once.
# Each section is a short distinct name and its closing line ("{" is never examined).
{
  printf "$header" Attack.Sections
  awk 'BEGIN {
    a = "abcdefghijklmnopqrstuvwxyz0123456789!#$%&()*+,-./:;<>?@[]^_|~"; n = length(a); made = 0
    for (i = 1; i <= n && made < 10000; i++) { printf "%s\n}\n", substr(a, i, 1); made++ }
    for (i = 1; i <= n && made < 10000; i++) for (j = 1; j <= n && made < 10000; j++) { printf "%s%s\n}\n", substr(a, i, 1), substr(a, j, 1); made++ }
    for (i = 1; i <= n && made < 10000; i++) for (j = 1; j <= n && made < 10000; j++) for (k = 1; k <= n && made < 10000; k++) { printf "%s%s%s\n}\n", substr(a, i, 1), substr(a, j, 1), substr(a, k, 1); made++ }
  }'
} > "$SCENE_DIR/sections"
[ "$(grep -c '^}$' "$SCENE_DIR/sections")" -eq 10001 ] || scene_fail "the sections datagram is not what it should be"
for i in $(seq 1 100); do udp_send "$SCENE_DIR/sections"; done
# (A sanitizer build runs several times slower: TALLIS_TEST_TIME_SCALE stretches the wait.)
answer=$(xap_cmd query echo --text Ping --timeout $((3 * ${TALLIS_TEST_TIME_SCALE:-1})) --summary) || scene_fail "the node is deaf after 100 datagrams of 10,000 sections"
[[ "$answer" == *"Response=ping"* ]] || scene_fail "echo answer: $answer"

# 300 malformed datagrams (a duplicate key): one log line, and a count at most every minute.
printf "${header}s\n{\nk=1\nk=2\n}\n" Attack.Duplicate > "$SCENE_DIR/duplicate"
for i in $(seq 1 300); do udp_send "$SCENE_DIR/duplicate"; done
answer=$(xap_cmd query echo --text Ping --timeout $((3 * ${TALLIS_TEST_TIME_SCALE:-1})) --summary) || scene_fail "no echo answer after the malformed datagrams"
log="$SCENE_BASE/Data/raruveViziva.txt"
[ "$(count "^From XAP" "$log")" -eq 1 ] || scene_fail "malformed datagrams flood the log: $(count "^From XAP" "$log") lines"

# One Audrey.Cmd naming 10,000 Audreys and Kitchen twice: one command, to Kitchen.
{
  printf "$header" Audrey.Cmd
  printf 'Audrey.Cmd\n{\nAudrey=kitchen'
  for i in $(seq 0 9999); do printf ',U%d' "$i"; done
  printf ',KITCHEN\nCommand=Execute\nValue=calc\n}\n'
} > "$SCENE_DIR/amplify"
udp_send "$SCENE_DIR/amplify"
wait_for 5 grep -q "^target=vyn.AudreyUnit.Kitchen$" "$SCENE_DIR/commands.out" || scene_fail "no command to Kitchen"
wait_for 5 grep -q "^Data=Ignored Audrey.Cmd for 10000 unknown Audreys, the first 'U0'$" "$SCENE_DIR/events.out" \
  || scene_fail "the unknown names are not logged"
# A command for Den after it: once Den's is out, every command for the long one is too.
printf "$header" Audrey.Cmd > "$SCENE_DIR/marker"
printf 'Audrey.Cmd\n{\nAudrey=Den\nCommand=Execute\nValue=calc\n}\n' >> "$SCENE_DIR/marker"
udp_send "$SCENE_DIR/marker"
wait_for 5 grep -q "^target=vyn.AudreyUnit.Den$" "$SCENE_DIR/commands.out" || scene_fail "no command to Den"
[ "$(count "^source=$node$" "$SCENE_DIR/commands.out")" -eq 2 ] \
  || scene_fail "the node sent $(($(count "^source=$node$" "$SCENE_DIR/commands.out") - 1)) commands for the long one"

scene_stop_tallis
[ "$TALLIS_STATUS" -eq 0 ] || scene_fail "tallis ended with status $TALLIS_STATUS"
# The repeats are counted, not lost: the count is written by the end at the latest.
cat "$log.1" "$log" | grep -q $'^last message repeated 299 times\r$' || scene_fail "the repeats of the malformed datagram are not counted"
echo "hostile node scene passed"
