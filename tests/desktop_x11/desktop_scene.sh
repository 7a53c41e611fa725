#!/usr/bin/env bash
# The desktop face on a real X display: Xvfb, tallis with the Audrey plug-in on a
# loopback configuration (without a tray: trayless_scene.sh). With a system tray
# (trayer) its icon appears in the tray. A left click on the tray icon opens
# the remote-control window cut to the Audrey's outline: around the appliance the
# desktop shows, inside it the picture. A right click opens the tray menu at the
# pointer, and its Exit ends the program cleanly.
#
# The screenshots are kept as $ARTIFACTS/desktop.png (the shaped window) and
# $ARTIFACTS/desktop-menu.png (with the tray menu open); with DOCS set, the pictures of
# the documentation are taken into that folder (remote-expanded.png, remote-collapsed.png,
# remote-menu.png, tray-menu.png). Exits with 77 (skipped) only when the X server cannot
# start.
source "$(dirname "$0")/../integration/scene.sh"
source "$(dirname "$0")/display.sh"
: "${PLUGIN:?path of the built hspi_Audrey.so}"
: "${ARTIFACTS:?folder for the screenshots}"

# The colour of one pixel of a picture as "r,g,b" (0 to 255).
pixel() {
  local picture=$1 x=$2 y=$3
  convert "$picture" -format "%[fx:int(255*p{$x,$y}.r+0.5)],%[fx:int(255*p{$x,$y}.g+0.5)],%[fx:int(255*p{$x,$y}.b+0.5)]" info:
}

# The geometry "X Y WIDTH HEIGHT" of the first visible window matching xdotool search
# arguments whose size passes a test (min/max width and height) and whose name is not
# $SKIP_NAME.
visible_window() {
  local minw=$1 maxw=$2 minh=$3 maxh=$4
  shift 4
  local w X Y WIDTH HEIGHT geometry
  for w in $(xdotool search --onlyvisible "$@" 2>/dev/null); do
    [ -z "${SKIP_NAME:-}" ] || [ "$(xdotool getwindowname "$w")" != "$SKIP_NAME" ] || continue
    # A window may go between the search and this question (a tool tip does).
    geometry=$(xdotool getwindowgeometry --shell "$w" 2>/dev/null | grep -E '^(X|Y|WIDTH|HEIGHT)=') || continue
    X=0 Y=0 WIDTH=0 HEIGHT=0
    eval "$geometry"
    if [ "$WIDTH" -ge "$minw" ] && [ "$WIDTH" -le "$maxw" ] && [ "$HEIGHT" -ge "$minh" ] && [ "$HEIGHT" -le "$maxh" ]; then
      echo "$X $Y $WIDTH $HEIGHT"
      return 0
    fi
  done
  return 1
}

# Fails with the window tree of the display in the report.
window_fail() {
  echo "--- windows" >&2
  xwininfo -root -tree >&2 || true
  scene_fail "$@"
}

tray_icon() { visible_window 8 64 8 64 --classname '^tallis$'; }
remote_window() { visible_window 263 263 405 405 --name '^vynAudrey Remote Control$'; }
tray_menu() { SKIP_NAME="vynAudrey Remote Control" visible_window 60 600 200 800 --classname '^tallis$'; }

command -v Xvfb >/dev/null || skip "Xvfb is not installed"
for tool in trayer xdotool xwininfo import convert; do
  command -v "$tool" >/dev/null || scene_fail "$tool is not installed (scripts/install-deps.sh)"
done

scene_begin
cp "$PLUGIN" "$SCENE_BASE/"
printf '[Audrey Utilities]\r\nAudreyNames=Kitchen,Den\r\n' > "$SCENE_BASE/Config/vynAudreyUtilities.ini"

display_start

scene_start_hub

log="$SCENE_BASE/Data/raruveViziva.txt"

tray_start
sleep 0.3

(cd "$SCENE_BASE" && exec ./tallis > "$SCENE_DIR/tallis.out" 2>&1) &
TALLIS_PID=$!
SCENE_PIDS+=("$TALLIS_PID")
wait_for 15 tray_icon || window_fail "no tray icon appeared"
if grep -q "running as an xAP node only" "$log" 2>/dev/null; then
  scene_fail "tallis started headless"
fi
read -r IX IY IW IH < <(tray_icon)
import -window root "$SCENE_DIR/before.png"

# Left click: the remote-control window, opened when the button is released (514), not
# when it is pressed.
xdotool mousemove $((IX + IW / 2)) $((IY + IH / 2)) mousedown 1
sleep 1
remote_window >/dev/null && scene_fail "the remote-control window opened on the button's press"
xdotool mouseup 1
wait_for 10 remote_window || window_fail "no remote-control window after a left click on the tray icon"
read -r WX WY WW WH < <(remote_window)
case_colour="238,232,220"
led_colour="60,200,90"
magenta="255,0,255"
painted() {
  import -window root "$SCENE_DIR/shot.png" && [ "$(pixel "$SCENE_DIR/shot.png" $((WX + 30)) $((WY + 200)))" = "$case_colour" ]
}
wait_for 10 painted || scene_fail "the window's case colour never showed at +30+200 (got $(pixel "$SCENE_DIR/shot.png" $((WX + 30)) $((WY + 200))))"
mkdir -p "$ARTIFACTS"
cp "$SCENE_DIR/shot.png" "$ARTIFACTS/desktop.png"
# The screenshots of the documentation: the window and what opens beside it.
docs_shot() {
  [ -n "${DOCS:-}" ] || return 0
  # Without the file's dates, so an unchanged picture stays byte for byte the same.
  convert "$1" -crop "$2" +repage -strip "$DOCS/$3"
}
remote_crop="440x430+$((WX > 10 ? WX - 10 : 0))+$((WY > 10 ? WY - 10 : 0))"
docs_shot "$SCENE_DIR/shot.png" "$remote_crop" remote-expanded.png

# Outside the outline (the picture's background colour): the desktop as it was.
for point in "1 1" "60 30" "1 $((WH - 2))" "$((WW - 2)) $((WH - 2))" "250 20"; do
  read -r px py <<< "$point"
  x=$((WX + px)) y=$((WY + py))
  seen=$(pixel "$SCENE_DIR/shot.png" $x $y)
  desktop=$(pixel "$SCENE_DIR/before.png" $x $y)
  [ "$seen" != "$magenta" ] || scene_fail "the picture's background shows at +$px+$py: the window is not cut"
  [ "$seen" = "$desktop" ] || scene_fail "at +$px+$py the screen shows $seen instead of the desktop's $desktop"
done
# Inside: the picture.
[ "$(pixel "$SCENE_DIR/shot.png" $((WX + 132)) $((WY + 40)))" = "$led_colour" ] || scene_fail "the top LED is not shown"
[ "$(pixel "$SCENE_DIR/before.png" $((WX + 30)) $((WY + 200)))" != "$case_colour" ] || scene_fail "the desktop already had the case colour"

# The selection panel: boxes in RGB(224,224,224); the label's top row inside the window's
# outline; nothing of the picture peeking out along the panel's top edge.
panel_colour="226,220,208"
[ "$(pixel "$SCENE_DIR/shot.png" $((WX + 120)) $((WY + 314)))" = "224,224,224" ] \
  || scene_fail "the first box is $(pixel "$SCENE_DIR/shot.png" $((WX + 120)) $((WY + 314))), not 224,224,224"
[ "$(pixel "$SCENE_DIR/shot.png" $((WX + 66)) $((WY + 288)))" = "$panel_colour" ] \
  || scene_fail "the label's top row is cut off (+66+288 shows $(pixel "$SCENE_DIR/shot.png" $((WX + 66)) $((WY + 288))))"
for x in 24 40 60 150 200 236; do
  [ "$(pixel "$SCENE_DIR/shot.png" $((WX + x)) $((WY + 303)))" = "$panel_colour" ] \
    || scene_fail "something shows along the panel's top edge at +$x+303: $(pixel "$SCENE_DIR/shot.png" $((WX + x)) $((WY + 303)))"
done

# A tool tip shows while the pointer rests on an area, although the window was never
# clicked (it is not the active window).
tool_tip() { SKIP_NAME="vynAudrey Remote Control" visible_window 80 400 12 48 --classname '^tallis$'; }
xdotool mousemove $((WX + 132)) $((WY + 180))
wait_for 10 tool_tip || window_fail "no tool tip over the screen of an inactive window"
no_tool_tip() { ! tool_tip; }
xdotool mousemove $((WX + 240)) $((WY + 60))
wait_for 10 no_tool_tip || true

# A right click on the screen opens its menu.
xdotool mousemove $((WX + 132)) $((WY + 180)) click 3
display_menu() { SKIP_NAME="vynAudrey Remote Control" visible_window 100 400 30 120 --classname '^tallis$'; }
wait_for 10 display_menu || window_fail "no menu after a right click on the screen"
import -window root "$SCENE_DIR/menu.png"
docs_shot "$SCENE_DIR/menu.png" "$remote_crop" remote-menu.png
no_display_menu() { ! display_menu; }
xdotool key Escape
wait_for 5 no_display_menu || scene_fail "the screen's menu did not close"

# A click on the keyboard symbol folds the panel away: the window keeps the appliance's
# outline, rounded bottom included.
xdotool mousemove $((WX + 131)) $((WY + 271)) click 1
collapsed_window() { visible_window 263 263 278 278 --name '^vynAudrey Remote Control$'; }
wait_for 10 collapsed_window || window_fail "the window did not fold to 278 pixels"
xdotool mousemove $((WX + 240)) $((WY + 60))
folded() {
  import -window root "$SCENE_DIR/collapsed.png" && [ "$(pixel "$SCENE_DIR/collapsed.png" $((WX + 30)) $((WY + 200)))" = "$case_colour" ] \
    && [ "$(pixel "$SCENE_DIR/collapsed.png" $((WX + 66)) $((WY + 288)))" = "$(pixel "$SCENE_DIR/before.png" $((WX + 66)) $((WY + 288)))" ]
}
wait_for 10 folded || scene_fail "the folded window still shows its panel"
[ "$(pixel "$SCENE_DIR/collapsed.png" $((WX + 131)) $((WY + 270)))" != "$(pixel "$SCENE_DIR/before.png" $((WX + 131)) $((WY + 270)))" ] \
  || scene_fail "the keyboard symbol is not shown in the folded window"
for point in "131 275" "60 274" "200 274"; do
  read -r px py <<< "$point"
  seen=$(pixel "$SCENE_DIR/collapsed.png" $((WX + px)) $((WY + py)))
  [ "$seen" = "$case_colour" ] || [ "$seen" = "90,86,80" ] || scene_fail "the folded window cuts the case at +$px+$py ($seen)"
done
for point in "19 276" "244 276"; do
  read -r px py <<< "$point"
  [ "$(pixel "$SCENE_DIR/collapsed.png" $((WX + px)) $((WY + py)))" = "$(pixel "$SCENE_DIR/before.png" $((WX + px)) $((WY + py)))" ] \
    || scene_fail "the folded window's corner at +$px+$py is not cut to the rounded outline"
done
docs_shot "$SCENE_DIR/collapsed.png" "$remote_crop" remote-collapsed.png
xdotool mousemove $((WX + 131)) $((WY + 271)) click 1
wait_for 10 remote_window || window_fail "the window did not unfold to 405 pixels"

# Right click: the tray menu, right-aligned at the pointer; its Exit ends the program.
pointer_x=$((IX + IW / 2))
xdotool mousemove $pointer_x $((IY + IH / 2)) click 3
wait_for 10 tray_menu || window_fail "no tray menu after a right click on the tray icon"
read -r MX MY MW MH < <(tray_menu)
[ $((MX + MW)) -eq $pointer_x ] || scene_fail "the menu's right edge $((MX + MW)) is not at the pointer $pointer_x"
import -window root "$ARTIFACTS/desktop-menu.png"
docs_shot "$ARTIFACTS/desktop-menu.png" "440x400+584+0" tray-menu.png
[ -z "${DOCS:-}" ] || convert "$ARTIFACTS/desktop-menu.png" -strip "$DOCS/desktop.png"
xdotool mousemove $((MX + MW / 2)) $((MY + MH - 12)) click 1
for _ in $(seq 1 200); do
  kill -0 "$TALLIS_PID" 2>/dev/null || break
  sleep 0.05
done
kill -0 "$TALLIS_PID" 2>/dev/null && scene_fail "tallis did not end after Exit in the tray menu"
TALLIS_STATUS=0
wait "$TALLIS_PID" || TALLIS_STATUS=$?
[ "$TALLIS_STATUS" -eq 0 ] || scene_fail "tallis ended with status $TALLIS_STATUS after Exit"
[ -f "$SCENE_BASE/Config/vynTallis.ini" ] || scene_fail "Exit did not save the devices"
echo "desktop scene passed; screenshots in $ARTIFACTS"
