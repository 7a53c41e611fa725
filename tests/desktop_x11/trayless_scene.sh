#!/usr/bin/env bash
# A desktop without a system tray (as GNOME is): Xvfb with no tray, a private session
# bus, tallis with the Audrey plug-in. The program shows its window "Tallis" (the
# remote-control picture with the tray menu in its menu bar and a note saying why
# there is no icon) and says so in its log. Hidden by the picture's Options button, the
# window comes back when the program is started a second time: the second start asks
# the running one over the bus and ends with 0, writing nothing into its log. The
# screenshot is kept as $ARTIFACTS/trayless.png. Exits with 77 (skipped) only when
# the X server cannot start.
source "$(dirname "$0")/../integration/scene.sh"
source "$(dirname "$0")/display.sh"
: "${PLUGIN:?path of the built hspi_Audrey.so}"
: "${ARTIFACTS:?folder for the screenshots}"

command -v Xvfb >/dev/null || skip "Xvfb is not installed"
for tool in xdotool import dbus-daemon; do
  command -v "$tool" >/dev/null || scene_fail "$tool is not installed (scripts/install-deps.sh)"
done

scene_begin
cp "$PLUGIN" "$SCENE_BASE/"
printf '[Audrey Utilities]\r\nAudreyNames=Kitchen,Den\r\n' > "$SCENE_BASE/Config/vynAudreyUtilities.ini"

display_start
dbus-daemon --session --address="unix:path=$SCENE_DIR/bus" --nofork --nopidfile > "$SCENE_DIR/dbus.log" 2>&1 &
SCENE_PIDS+=($!)
export DBUS_SESSION_BUS_ADDRESS="unix:path=$SCENE_DIR/bus"
wait_for 5 test -S "$SCENE_DIR/bus" || scene_fail "the private bus did not start"

scene_start_hub
scene_start_tallis
log="$SCENE_BASE/Data/raruveViziva.txt"
window() { xdotool search --onlyvisible --name '^Tallis$'; }
wait_for 10 window || scene_fail "no window on a desktop without a tray"
grep -q "No system tray on this desktop: the remote-control window is shown instead of the tray icon" "$log" \
  || scene_fail "the log does not say why there is no icon"
grep -q "running as an xAP node only" "$log" && scene_fail "tallis started headless on a display"
wait_for 10 grep -q "automation interface on the session bus" "$log" || scene_fail "no automation interface"
mkdir -p "$ARTIFACTS"
import -window root "$ARTIFACTS/trayless.png"

# The picture's Options button hides the window (it sits at 217,196 px in the picture).
eval "$(xdotool getwindowgeometry --shell "$(window | head -1)" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
picture_top=$((HEIGHT - 405 - 9))  # the picture ends the window, above its margin
xdotool mousemove $((X + 9 + 222)) $((Y + picture_top + 201)) click 1
wait_for 5 bash -c '! xdotool search --onlyvisible --name "^Tallis$"' || scene_fail "the Options button did not hide the window"

# A second start shows the running program's window, ends with 0, leaves its log alone.
lines=$(wc -l < "$log")
status=0
(cd "$SCENE_BASE" && timeout 10 ./tallis > "$SCENE_DIR/second.out" 2>&1) || status=$?
[ "$status" -eq 0 ] || scene_fail "the second start ended with $status: $(cat "$SCENE_DIR/second.out")"
grep -q "its window is shown" "$SCENE_DIR/second.out" || scene_fail "the second start said: $(cat "$SCENE_DIR/second.out")"
wait_for 5 window || scene_fail "the second start did not bring the window back"
[ "$(wc -l < "$log")" -eq "$lines" ] || scene_fail "the second start wrote into the log: $(tail -n +$((lines + 1)) "$log")"

scene_stop_tallis
[ "$TALLIS_STATUS" -eq 0 ] || scene_fail "tallis ended with status $TALLIS_STATUS"
echo "trayless scene passed"
