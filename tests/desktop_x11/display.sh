#!/usr/bin/env bash
# Helpers for desktop scenes, sourced after integration/scene.sh: an X server of the
# scene's own and a system tray.

skip() {
  echo "SKIPPED: $*"
  exit 77
}

# Starts Xvfb on a free display (it writes the number to descriptor 3) and exports
# DISPLAY; skips the scene when the server cannot start.
display_start() {
  Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1024x768x24 3> "$SCENE_DIR/display" > "$SCENE_DIR/xvfb.log" 2>&1 &
  SCENE_PIDS+=($!)
  wait_for 10 test -s "$SCENE_DIR/display" || skip "Xvfb could not start: $(tail -n 3 "$SCENE_DIR/xvfb.log")"
  export DISPLAY=":$(head -n 1 "$SCENE_DIR/display")"
}

# Starts the system tray (trayer). It must be there before tallis starts: the program
# looks for it once.
tray_start() {
  trayer --edge top --align right --widthtype request --height 32 --SetDockType false --SetPartialStrut false \
    > "$SCENE_DIR/trayer.log" 2>&1 &
  SCENE_PIDS+=($!)
  wait_for 10 xdotool search --onlyvisible --classname '^panel$' || scene_fail "trayer shows no panel"
}
