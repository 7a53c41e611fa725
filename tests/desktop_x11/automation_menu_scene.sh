#!/usr/bin/env bash
# FRH.Menu over the automation bus opens the plug-in menu setup dialog on the desktop:
# Xvfb with a system tray (trayer), a private session bus, tallis with the Audrey
# plug-in; a gdbus call of FRH.Menu must bring up the window "vynMenu Menu Setup
# Selections". The screenshot is kept as $ARTIFACTS/automation-menu.png. Exits with 77
# (skipped) only when the X server cannot start.
source "$(dirname "$0")/../integration/scene.sh"
source "$(dirname "$0")/display.sh"
: "${PLUGIN:?path of the built hspi_Audrey.so}"
: "${ARTIFACTS:?folder for the screenshots}"

command -v Xvfb >/dev/null || skip "Xvfb is not installed"
for tool in trayer xdotool import dbus-daemon gdbus; do
  command -v "$tool" >/dev/null || scene_fail "$tool is not installed (scripts/install-deps.sh)"
done

scene_begin
cp "$PLUGIN" "$SCENE_BASE/"
printf '[Audrey Utilities]\r\nAudreyNames=Kitchen\r\n' > "$SCENE_BASE/Config/vynAudreyUtilities.ini"

display_start
tray_start

dbus-daemon --session --address="unix:path=$SCENE_DIR/bus" --nofork --nopidfile > "$SCENE_DIR/dbus.log" 2>&1 &
SCENE_PIDS+=($!)
export DBUS_SESSION_BUS_ADDRESS="unix:path=$SCENE_DIR/bus"
wait_for 5 test -S "$SCENE_DIR/bus" || scene_fail "the private bus did not start"

scene_start_hub
scene_start_tallis
log="$SCENE_BASE/Data/raruveViziva.txt"
wait_for 10 grep -q "automation interface on the session bus" "$log" || scene_fail "no automation interface"
if grep -q "running as an xAP node only" "$log"; then
  scene_fail "tallis started headless"
fi
dialog() { xdotool search --onlyvisible --name '^vynMenu Menu Setup Selections$'; }
dialog && scene_fail "the dialog was open before FRH.Menu"
gdbus call --session --dest org.tallis.Tallis --object-path /org/tallis/FRH --method org.tallis.FRH.Menu \
  > "$SCENE_DIR/menu.out" 2>&1 || scene_fail "FRH.Menu failed: $(cat "$SCENE_DIR/menu.out")"
wait_for 10 dialog || scene_fail "FRH.Menu opened no dialog"
mkdir -p "$ARTIFACTS"
import -window root "$ARTIFACTS/automation-menu.png"
scene_stop_tallis
[ "$TALLIS_STATUS" -eq 0 ] || scene_fail "tallis ended with status $TALLIS_STATUS"
echo "automation menu scene passed"
