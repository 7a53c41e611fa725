# Checks shared by the install and package scenes. Source it after scene.sh.

# check_units ROOT: the service units of ROOT (an install tree laid out as / is) pass
# systemd-analyze verify, with their paths moved into ROOT (verify wants every command
# to exist) and the instance folder /var/lib/tallis at INSTANCE.
check_units() {
  local root=$1 usr=$2 instance=$3
  command -v systemd-analyze >/dev/null || { echo "systemd-analyze not found: units not verified"; return 0; }
  local units=$SCENE_DIR/units kind unit
  for kind in system user; do
    mkdir -p "$units/$kind"
    for unit in xaphub tallis; do
      [ -f "$usr/lib/systemd/$kind/$unit.service" ] || scene_fail "no $kind unit $unit.service"
      sed -e "s#/usr/bin/#$usr/bin/#g; s#/usr/local/bin/#$usr/bin/#g; s#/usr/lib/tallis/#$usr/lib/tallis/#g" \
        -e "s#/usr/local/lib/tallis/#$usr/lib/tallis/#g; s#/var/lib/tallis#$instance#g" \
        "$usr/lib/systemd/$kind/$unit.service" > "$units/$kind/$unit.service"
    done
  done
  # The MQTT bridge is a system service only.
  local bridge=$usr/lib/systemd/system/xap-mqtt.service
  [ -f "$bridge" ] || scene_fail "no system unit xap-mqtt.service"
  sed -e "s#/usr/bin/#$usr/bin/#g; s#/usr/local/bin/#$usr/bin/#g" "$bridge" > "$units/system/xap-mqtt.service"
  systemd-analyze verify --man=no "$units/system/xaphub.service" "$units/system/tallis.service" \
    "$units/system/xap-mqtt.service" > "$SCENE_DIR/verify.log" 2>&1 || scene_fail "system units: $(cat "$SCENE_DIR/verify.log")"
  mkdir -p -m 700 "$SCENE_DIR/run"
  XDG_RUNTIME_DIR=$SCENE_DIR/run systemd-analyze verify --user --man=no "$units/user/xaphub.service" \
    "$units/user/tallis.service" > "$SCENE_DIR/verify.log" 2>&1 || scene_fail "user units: $(cat "$SCENE_DIR/verify.log")"
}

# check_desktop_entry USR: the desktop entry validates and its icon is installed.
check_desktop_entry() {
  local usr=$1
  [ -f "$usr/share/applications/tallis.desktop" ] || scene_fail "no desktop entry"
  [ -f "$usr/share/icons/hicolor/scalable/apps/tallis.svg" ] || scene_fail "no SVG icon"
  [ -f "$usr/share/icons/hicolor/48x48/apps/tallis.png" ] || scene_fail "no 48x48 icon"
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$usr/share/applications/tallis.desktop" || scene_fail "the desktop entry does not validate"
  fi
}

# check_man_pages USR: every page renders with man -l and has its NAME section.
check_man_pages() {
  local usr=$1 page count=0
  for page in "$usr"/share/man/man*/*; do
    MANWIDTH=80 man -l "$page" 2>/dev/null | grep -q "^NAME" || scene_fail "man -l $page does not render"
    count=$((count + 1))
  done
  local expected
  expected=$(find "$SOURCE_DIR/man" -name '*.scd' | wc -l)
  [ "$count" -eq "$expected" ] || scene_fail "expected $expected manual pages, found $count"
}

# check_unit_security USR UNIT LIMIT: `systemd-analyze security` rates the system unit
# UNIT.service of USR at LIMIT or below; prints the figure.
check_unit_security() {
  local usr=$1 unit=$2 limit=$3
  command -v systemd-analyze >/dev/null || { echo "systemd-analyze not found: $unit.service not rated"; return 0; }
  local folder=$SCENE_DIR/security
  mkdir -p "$folder"
  cp "$usr/lib/systemd/system/$unit.service" "$folder/"
  (cd "$folder" && systemd-analyze security --offline=yes --no-pager "$unit.service") > "$SCENE_DIR/security-$unit.log" 2>&1 \
    || scene_fail "systemd-analyze security $unit.service: $(tail -5 "$SCENE_DIR/security-$unit.log")"
  local figure
  figure=$(sed -n "s/.*Overall exposure level for $unit.service: \([0-9.]*\).*/\1/p" "$SCENE_DIR/security-$unit.log")
  [ -n "$figure" ] || scene_fail "no exposure level for $unit.service: $(tail -3 "$SCENE_DIR/security-$unit.log")"
  echo "systemd-analyze security $unit.service: $figure (at most $limit)"
  awk -v a="$figure" -v b="$limit" 'BEGIN { exit !(a <= b) }' || scene_fail "$unit.service exposure $figure is above $limit"
}
