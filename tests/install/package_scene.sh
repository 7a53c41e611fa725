#!/usr/bin/env bash
# The Debian package: built by CPack from the build tree, it passes lintian with no
# error and no warning, its service units verify and rate as hardened by
# `systemd-analyze security` (figures printed), its files unpacked into a throwaway
# root (dpkg -x) are where the units expect them, the binaries are stripped, its
# dependencies were computed, and its maintainer scripts are the safe ones.
source "$(dirname "$0")/../integration/scene.sh"
source "$(dirname "$0")/checks.sh"
: "${BUILD_DIR:?}" "${VERSION:?}"

scene_begin
(cd "$BUILD_DIR" && cpack -G DEB -B "$SCENE_DIR/package" > "$SCENE_DIR/cpack.log" 2>&1) \
  || scene_fail "cpack failed: $(tail -20 "$SCENE_DIR/cpack.log")"
deb=$(ls "$SCENE_DIR"/package/tallis_"$VERSION"-*_*.deb) || scene_fail "no package"
dpkg-deb -c "$deb" > "$SCENE_DIR/contents.txt"
dpkg-deb -f "$deb" Depends | grep -q "libqt6widgets6" || scene_fail "dependencies not computed: $(dpkg-deb -f "$deb" Depends)"

# lintian: no error, no warning (information and pedantic notes are printed only).
if command -v lintian >/dev/null; then
  lintian --info --display-info "$deb" > "$SCENE_DIR/lintian.log" 2>&1 || true
  errors=$(grep -c "^E: " "$SCENE_DIR/lintian.log" || true)
  warnings=$(grep -c "^W: " "$SCENE_DIR/lintian.log" || true)
  echo "lintian: $errors error(s), $warnings warning(s), $(grep -c "^[IPX]: " "$SCENE_DIR/lintian.log" || true) note(s)"
  [ "$errors" -eq 0 ] && [ "$warnings" -eq 0 ] || scene_fail "lintian: $(grep "^[EW]: " "$SCENE_DIR/lintian.log")"
else
  echo "lintian not found: the package is not checked by it"
fi

root=$SCENE_DIR/root
dpkg-deb -x "$deb" "$root"
for file in usr/lib/tallis/tallis usr/lib/tallis/hspi_Audrey.so usr/lib/tallis/vbsrun-xap usr/bin/xaphub usr/bin/xap usr/bin/vbsrun \
            usr/bin/tallis-instance usr/bin/tallis usr/lib/systemd/system/tallis.service \
            usr/lib/systemd/system/xaphub.service usr/bin/xap-mqtt usr/lib/systemd/system/xap-mqtt.service \
            usr/share/applications/tallis.desktop \
            usr/include/tallis/PluginApi.h usr/share/doc/tallis/copyright usr/share/doc/tallis/changelog.Debian.gz; do
  [ -e "$root/$file" ] || scene_fail "the package lacks /$file"
done
ls "$root"/usr/lib/*-linux-gnu*/pkgconfig/tallis-plugin.pc > /dev/null 2>&1 || scene_fail "the .pc file is not in the multiarch folder"
file "$root/usr/lib/tallis/tallis" | grep -q ", stripped" || scene_fail "the program is not stripped"
grep -q "^ExecStart=/usr/bin/xaphub$" "$root/usr/lib/systemd/system/xaphub.service" || scene_fail "the hub unit's command"
# The service runs the installed program, never a file in the folder its user writes.
grep -q "^ExecStart=/usr/lib/tallis/tallis --base /var/lib/tallis$" "$root/usr/lib/systemd/system/tallis.service" \
  || scene_fail "the node unit's command"
grep -q "^ExecStart=/usr/bin/xap-mqtt --config /etc/tallis/xap-mqtt.ini$" "$root/usr/lib/systemd/system/xap-mqtt.service" \
  || scene_fail "the bridge unit's command"
for unit in tallis xaphub xap-mqtt; do
  grep -q "^Type=notify$" "$root/usr/lib/systemd/system/$unit.service" || scene_fail "$unit.service is not Type=notify"
done
grep -q "^Wants=xaphub.service$" "$root/usr/lib/systemd/user/tallis.service" || scene_fail "the user node does not want the hub"

# The maintainer scripts: the instance is made by the tallis user, never as root.
dpkg-deb -e "$deb" "$SCENE_DIR/control"
for script in postinst prerm postrm; do [ -x "$SCENE_DIR/control/$script" ] || scene_fail "no $script"; done
grep -q "adduser --system" "$SCENE_DIR/control/postinst" || scene_fail "postinst does not create the tallis user"
grep -q "runuser -u tallis -- tallis-instance init --complete" "$SCENE_DIR/control/postinst" \
  || scene_fail "postinst does not make the instance as the tallis user"
grep -q "chown -R" "$SCENE_DIR/control/postinst" && scene_fail "postinst changes the ownership of a whole folder"
grep -q "deb-systemd-invoke stop" "$SCENE_DIR/control/prerm" || scene_fail "prerm does not stop the services"

TALLIS_LIBDIR=$root/usr/lib/tallis "$root/usr/bin/tallis-instance" init "$root/var/lib/tallis" > /dev/null \
  || scene_fail "tallis-instance from the package failed"
check_units "$root" "$root/usr" "$root/var/lib/tallis"
check_unit_security "$root/usr" tallis 4.5
check_unit_security "$root/usr" xaphub 2.5
check_unit_security "$root/usr" xap-mqtt 2.5
check_desktop_entry "$root/usr"
check_man_pages "$root/usr"
echo "package: $(du -k "$deb" | cut -f1) KiB, $(grep -c . "$SCENE_DIR/contents.txt") entries"
echo "package scene passed"
