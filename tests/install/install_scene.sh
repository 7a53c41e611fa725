#!/usr/bin/env bash
# `cmake --install` into a temporary prefix gives the whole tree: the program and the
# plug-in in lib/tallis, the tools, units that verify, a desktop entry that validates,
# manual pages that render and the plug-in kit. tallis-instance makes an instance
# folder (and refuses to overwrite one); the program started through the instance's
# link takes the instance as its base folder; a plug-in built outside the tree against
# the installed kit is loaded under the hosted class name and answers over xAP.
source "$(dirname "$0")/../integration/scene.sh"
source "$(dirname "$0")/checks.sh"
: "${BUILD_DIR:?}" "${SOURCE_DIR:?}" "${VERSION:?}"

scene_begin
prefix=$SCENE_DIR/prefix
cmake --install "$BUILD_DIR" --prefix "$prefix" > "$SCENE_DIR/install.log" 2>&1 || scene_fail "cmake --install failed"

for file in lib/tallis/tallis lib/tallis/hspi_Audrey.so lib/tallis/vbsrun-xap bin/xap bin/xaphub bin/vbsrun bin/tallis-instance \
            include/tallis/PluginApi.h include/tallis/automation/Object.h lib/cmake/Tallis/TallisConfig.cmake \
            share/doc/tallis/copyright bin/tallis; do
  [ -e "$prefix/$file" ] || scene_fail "the install tree lacks $file"
done
check_man_pages "$prefix"
check_desktop_entry "$prefix"

# Every command answers --help and --version, and refuses an unknown option with 2.
for command in "$prefix/lib/tallis/tallis" "$prefix/bin/tallis" "$prefix/bin/tallis-instance" "$prefix/bin/vbsrun" "$prefix/bin/xap" "$prefix/bin/xaphub"; do
  "$command" --help > "$SCENE_DIR/help.out" 2>&1 || scene_fail "$command --help failed"
  grep -qi "usage" "$SCENE_DIR/help.out" || scene_fail "$command --help prints no usage"
  [ "$("$command" --version)" = "$(basename "$command") $VERSION" ] || scene_fail "$command --version: $("$command" --version)"
  status=0
  "$command" --no-such-option > /dev/null 2>&1 || status=$?
  [ "$status" -eq 2 ] || scene_fail "$command --no-such-option ended with $status, not 2"
done
# The installed vbsrun finds vbsrun-xap for the host object.
printf 'WScript.Echo TypeName(xap) <> "Nothing"\n' > "$SCENE_DIR/host.vbs"
[ "$("$prefix/bin/vbsrun" --xap "$SCENE_DIR/host.vbs" 2>/dev/null)" = "True" ] || scene_fail "the installed vbsrun --xap has no host object"
# tallis --help creates nothing.
(cd "$SCENE_DIR" && "$prefix/lib/tallis/tallis" --help > /dev/null)
[ ! -e "$prefix/lib/tallis/Config" ] || scene_fail "tallis --help created folders"

# An instance folder.
instance=$SCENE_DIR/instance
"$prefix/bin/tallis-instance" init "$instance" > /dev/null || scene_fail "tallis-instance init failed"
[ "$(readlink "$instance/tallis")" = "$prefix/lib/tallis/tallis" ] || scene_fail "no link to the program"
[ "$(readlink "$instance/hspi_Audrey.so")" = "$prefix/lib/tallis/hspi_Audrey.so" ] || scene_fail "no link to the plug-in"
for folder in Config Data Scripts HTML; do [ -d "$instance/$folder" ] || scene_fail "no $folder folder"; done
grep -q "^BroadcastAddress=Default" "$instance/Config/vynXap.ini" || scene_fail "starter vynXap.ini"
grep -q "^AudreyNames=" "$instance/Config/vynAudreyUtilities.ini" || scene_fail "starter vynAudreyUtilities.ini"
before=$(cat "$instance/Config/vynXap.ini")
printf '[Interface]\r\nBroadcastAddress=%s\r\n' "$SCENE_BROADCAST" > "$instance/Config/vynXap.ini"
status=0
"$prefix/bin/tallis-instance" init "$instance" 2> "$SCENE_DIR/again.err" || status=$?
[ "$status" -eq 1 ] || scene_fail "a second init ended with $status"
grep -q "already exists" "$SCENE_DIR/again.err" || scene_fail "a second init did not say why"
grep -q "BroadcastAddress=$SCENE_BROADCAST" "$instance/Config/vynXap.ini" || scene_fail "a second init overwrote vynXap.ini"
[ -n "$before" ]

# A folder that cannot be made is named once, with the reason.
status=0
"$prefix/bin/tallis-instance" init /proc/tallis-instance 2> "$SCENE_DIR/proc.err" || status=$?
[ "$status" -eq 1 ] && [ "$(grep -c . "$SCENE_DIR/proc.err")" -eq 1 ] \
  || scene_fail "init in /proc: status $status, said: $(cat "$SCENE_DIR/proc.err")"

# The starter vynXap.ini is one the node reads without a warning.
fresh=$SCENE_DIR/fresh
"$prefix/bin/tallis-instance" init "$fresh" > /dev/null || scene_fail "tallis-instance init $fresh failed"
"$prefix/lib/tallis/tallis" --base "$fresh" > "$SCENE_DIR/fresh.out" 2>&1 &
fresh_pid=$!
SCENE_PIDS+=("$fresh_pid")
wait_for 10 grep -q "started in $fresh" "$fresh/Data/raruveViziva.txt" || scene_fail "the fresh instance did not start"
kill -TERM "$fresh_pid"
wait "$fresh_pid" || true
grep -q "vynXap.ini" "$fresh/Data/raruveViziva.txt" && scene_fail "the starter vynXap.ini: $(grep vynXap.ini "$fresh/Data/raruveViziva.txt")"

check_units "$prefix" "$prefix" "$instance"

# The program started through the instance's link runs in the instance.
SCENE_BASE=$instance
scene_start_hub
scene_listen pong --class Example.Pong
scene_start_tallis
wait_for 10 grep -q "started in $instance" "$instance/Data/raruveViziva.txt" || scene_fail "the base folder is not the instance"
[ ! -e "$prefix/lib/tallis/Data" ] || scene_fail "the program wrote into its install folder"
scene_stop_tallis

# --base names the base folder of the installed program itself; a missing folder is
# refused before anything is made.
(cd "$SCENE_DIR" && exec "$prefix/lib/tallis/tallis" --base "$instance" > "$SCENE_DIR/tallis.out" 2>&1) &
TALLIS_PID=$!
SCENE_PIDS+=("$TALLIS_PID")
started_twice() { [ "$(grep -c "started in $instance" "$instance/Data/raruveViziva.txt")" -ge 2 ]; }
wait_for 10 started_twice || scene_fail "--base did not make the instance the base folder"
scene_stop_tallis
[ ! -e "$SCENE_DIR/Data" ] && [ ! -e "$prefix/lib/tallis/Data" ] || scene_fail "--base: folders made outside the instance"
status=0
TALLIS_BASE=$SCENE_DIR/missing "$prefix/lib/tallis/tallis" > /dev/null 2> "$SCENE_DIR/base.err" || status=$?
[ "$status" -eq 2 ] && grep -q "no such folder" "$SCENE_DIR/base.err" || scene_fail "a missing TALLIS_BASE: $status $(cat "$SCENE_DIR/base.err")"
[ ! -e "$SCENE_DIR/missing" ] || scene_fail "a missing base folder was created"

# A plug-in built against the installed kit only, with CMake and with pkg-config.
cmake -S "$SOURCE_DIR/tests/install/example_plugin" -B "$SCENE_DIR/example" -DCMAKE_PREFIX_PATH="$prefix" \
  > "$SCENE_DIR/example.log" 2>&1 || scene_fail "configuring the example plug-in: $(tail -5 "$SCENE_DIR/example.log")"
cmake --build "$SCENE_DIR/example" >> "$SCENE_DIR/example.log" 2>&1 || scene_fail "building the example plug-in: $(tail -5 "$SCENE_DIR/example.log")"
pc_dir=$(dirname "$(ls "$prefix"/lib/*/pkgconfig/tallis-plugin.pc "$prefix"/lib/pkgconfig/tallis-plugin.pc 2>/dev/null | head -1)")
# shellcheck disable=SC2046
c++ -fPIC -fvisibility=hidden $(PKG_CONFIG_PATH=$pc_dir pkg-config --cflags tallis-plugin) \
  "$SOURCE_DIR/tests/install/example_plugin/ExamplePlugin.cpp" -o "$SCENE_DIR/hspi_ByPkgConfig.so" \
  $(PKG_CONFIG_PATH=$pc_dir pkg-config --libs tallis-plugin) || scene_fail "pkg-config build failed"
rm "$instance/hspi_Audrey.so"
cp "$SCENE_DIR/example/hspi_Audrey.so" "$instance/"
scene_start_tallis
host=$(hostname | cut -d. -f1)
wait_for 5 grep -q "Using xAP port" "$instance/Data/raruveViziva.txt" || true
xap_cmd send --class Example.Ping --target "vyn.Audrey.$host" --section Example.Ping Text=hello-from-outside \
  || scene_fail "send failed"
wait_for 10 grep -q "^Text=hello-from-outside$" "$SCENE_DIR/pong.out" || scene_fail "the out-of-tree plug-in did not answer"
scene_stop_tallis
echo "install scene passed"
