#!/usr/bin/env bash
# The Debian package: built by CPack from the build tree, its files unpacked into a
# throwaway root (dpkg -x, nothing installed on this machine) are where the units
# expect them, the binaries are stripped, its dependencies were computed, and its
# maintainer scripts create the tallis user and the /var/lib/tallis instance.
source "$(dirname "$0")/../integration/scene.sh"
source "$(dirname "$0")/checks.sh"
: "${BUILD_DIR:?}" "${VERSION:?}"

scene_begin
(cd "$BUILD_DIR" && cpack -G DEB -B "$SCENE_DIR/package" > "$SCENE_DIR/cpack.log" 2>&1) \
  || scene_fail "cpack failed: $(tail -20 "$SCENE_DIR/cpack.log")"
deb=$(ls "$SCENE_DIR"/package/tallis_"$VERSION"_*.deb) || scene_fail "no package"
dpkg-deb -c "$deb" > "$SCENE_DIR/contents.txt"
dpkg-deb -f "$deb" Depends | grep -q "libqt6widgets6" || scene_fail "dependencies not computed: $(dpkg-deb -f "$deb" Depends)"

root=$SCENE_DIR/root
dpkg-deb -x "$deb" "$root"
for file in usr/lib/tallis/tallis usr/lib/tallis/hspi_Audrey.so usr/bin/xaphub usr/bin/xap usr/bin/vbsrun \
            usr/bin/tallis-instance usr/lib/systemd/system/tallis.service usr/lib/systemd/system/xaphub.service \
            usr/share/applications/tallis.desktop usr/include/tallis/PluginApi.h; do
  [ -e "$root/$file" ] || scene_fail "the package lacks /$file"
done
file "$root/usr/lib/tallis/tallis" | grep -q ", stripped" || scene_fail "the program is not stripped"
grep -q "^ExecStart=/usr/bin/xaphub$" "$root/usr/lib/systemd/system/xaphub.service" || scene_fail "the hub unit's command"
grep -q "^ExecStart=/var/lib/tallis/tallis$" "$root/usr/lib/systemd/system/tallis.service" || scene_fail "the node unit's command"

# The maintainer scripts make the instance the node unit runs; do what postinst does
# inside the throwaway root and check that the units then find every command.
dpkg-deb -e "$deb" "$SCENE_DIR/control"
grep -q "adduser --system" "$SCENE_DIR/control/postinst" || scene_fail "postinst does not create the tallis user"
grep -q "tallis-instance init /var/lib/tallis" "$SCENE_DIR/control/postinst" || scene_fail "postinst does not make the instance"
TALLIS_LIBDIR=$root/usr/lib/tallis "$root/usr/bin/tallis-instance" init "$root/var/lib/tallis" > /dev/null \
  || scene_fail "tallis-instance from the package failed"
check_units "$root" "$root/usr" "$root/var/lib/tallis"
check_desktop_entry "$root/usr"
check_man_pages "$root/usr"
echo "package: $(du -k "$deb" | cut -f1) KiB, $(grep -c . "$SCENE_DIR/contents.txt") entries"
echo "package scene passed"
