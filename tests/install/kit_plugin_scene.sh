#!/usr/bin/env bash
# The shipped Audrey plug-in builds against the installed plug-in kit alone: the tree
# is installed with DESTDIR into a temporary folder, the plug-in's sources are copied
# away from the source tree and built there with only that prefix to find the kit.
# The library exports the two entry points the program looks up, and the installed
# program loads it: the plug-in registers its listener with the host.
source "$(dirname "$0")/../integration/scene.sh"
: "${BUILD_DIR:?}" "${SOURCE_DIR:?}"

scene_begin
stage=$SCENE_DIR/stage
prefix=/opt/tallis
DESTDIR=$stage cmake --install "$BUILD_DIR" --prefix "$prefix" > "$SCENE_DIR/install.log" 2>&1 \
  || scene_fail "cmake --install failed"
kit=$stage$prefix

cp -r "$SOURCE_DIR/plugins/audrey" "$SCENE_DIR/audrey"
cmake -S "$SCENE_DIR/audrey" -B "$SCENE_DIR/audrey-build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_PREFIX_PATH="$kit" -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF > "$SCENE_DIR/audrey.log" 2>&1 \
  || scene_fail "configuring the plug-in: $(tail -5 "$SCENE_DIR/audrey.log")"
cmake --build "$SCENE_DIR/audrey-build" >> "$SCENE_DIR/audrey.log" 2>&1 \
  || scene_fail "building the plug-in against the kit: $(grep -m3 -i error "$SCENE_DIR/audrey.log")"
# Nothing in the build may point into the source tree.
if grep -rqF "$SOURCE_DIR" "$SCENE_DIR/audrey-build" --include='*.ninja' --include='*.make' --include='flags.make' \
     --include=CMakeCache.txt --include='*.cmake'; then
  scene_fail "the plug-in's build refers to the source tree: $(grep -rlF "$SOURCE_DIR" "$SCENE_DIR/audrey-build" | head -3)"
fi
library=$SCENE_DIR/audrey-build/hspi_Audrey.so
[ -f "$library" ] || scene_fail "no hspi_Audrey.so"

# Exactly the two entry points are exported.
exported=$(nm -D --defined-only "$library" | awk '$2 == "T" { print $3 }' | sort | tr '\n' ' ')
[ "$exported" = "tallis_create_object tallis_object_model_version " ] || scene_fail "exported functions: $exported"

# The installed program loads it in place of the one it ships.
cp "$kit/lib/tallis/tallis" "$SCENE_BASE/tallis"
cp "$library" "$SCENE_BASE/"
scene_start_hub
scene_listen events --class Homeseer.Event
scene_start_tallis
wait_for 10 grep -q "^Type=callback from Audrey$" "$SCENE_DIR/events.out" \
  || scene_fail "the plug-in built from the kit did not register with the host"
scene_stop_tallis
echo "kit plug-in scene passed"
