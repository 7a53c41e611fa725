#!/usr/bin/env bash
# The package's life on a machine, in a throwaway root: this machine's root under an
# overlay (unshare -m, so nothing of it outlives the scene) where dpkg installs the
# package, configures it, installs it again, configures it after the instance lost
# its link, meets a link the service user planted, upgrades over itself and purges
# it. After each step the user, the instance folder and its owners are checked;
# after the purge, what is left.
source "$(dirname "$0")/../integration/scene.sh"
: "${BUILD_DIR:?}" "${VERSION:?}"

[ "$(id -u)" -eq 0 ] || { echo "dpkg scene skipped: needs root (mount namespace, chroot)"; exit 0; }
unshare -m -- true 2>/dev/null || { echo "dpkg scene skipped: no mount namespace here"; exit 0; }
command -v adduser >/dev/null && command -v runuser >/dev/null || { echo "dpkg scene skipped: no adduser"; exit 0; }

scene_begin
(cd "$BUILD_DIR" && cpack -G DEB -B "$SCENE_DIR/package" > "$SCENE_DIR/cpack.log" 2>&1) \
  || scene_fail "cpack failed: $(tail -20 "$SCENE_DIR/cpack.log")"
deb=$(ls "$SCENE_DIR"/package/tallis_"$VERSION"-1_*.deb) || scene_fail "no package"

# The same package one Debian revision later, for the upgrade.
dpkg-deb -R "$deb" "$SCENE_DIR/next"
sed -i "s/^Version: .*/Version: $VERSION-2/" "$SCENE_DIR/next/DEBIAN/control"
dpkg-deb -b "$SCENE_DIR/next" "$SCENE_DIR/next.deb" > /dev/null || scene_fail "cannot build the next revision"
cp "$deb" "$SCENE_DIR/this.deb"

mkdir -p "$SCENE_DIR"/{upper,work,root}
# An overlay over / is what the throwaway root is made of; a machine that refuses one
# (some container file systems do) skips the scene rather than failing it.
if ! unshare -m -- bash -c 'mount --make-rprivate / && mount -t overlay overlay \
       -o "lowerdir=/,upperdir=$1/upper,workdir=$1/work" "$1/root"' bash "$SCENE_DIR" 2> "$SCENE_DIR/overlay.err"; then
  echo "dpkg scene skipped: no overlay over / here ($(cat "$SCENE_DIR/overlay.err"))"
  exit 0
fi
rm -rf "$SCENE_DIR/work" && mkdir -p "$SCENE_DIR/work"
cat > "$SCENE_DIR/inside.sh" <<'INSIDE'
set -euo pipefail
fail() { echo "FAIL: $*" >&2; exit 1; }
dpkg_quiet() { dpkg --force-confdef --no-triggers "$@" > /tmp/dpkg.log 2>&1 || fail "dpkg $*: $(tail -15 /tmp/dpkg.log)"; }
owner() { stat -c %U:%G:%a "$1"; }
instance=/var/lib/tallis

getent passwd tallis > /dev/null && fail "this machine has a tallis user already"
[ ! -e $instance ] || fail "this machine has $instance already"

# Install and configure.
dpkg_quiet -i /pkg/this.deb
getent passwd tallis | grep -q ":$instance:" || fail "no tallis user with its home $instance"
getent group tallis > /dev/null || fail "no tallis group"
getent group tallis-admin > /dev/null || fail "no tallis-admin group"
[ "$(owner $instance)" = tallis:tallis:750 ] || fail "$instance is $(owner $instance)"
[ "$(owner $instance/Config/vynXap.ini)" = tallis:tallis:640 ] || fail "vynXap.ini is $(owner $instance/Config/vynXap.ini)"
[ "$(readlink $instance/hspi_Audrey.so)" = /usr/lib/tallis/hspi_Audrey.so ] || fail "no link to the plug-in"
grep -q "adduser" /tmp/dpkg.log && fail "adduser warned: $(grep adduser /tmp/dpkg.log)"
echo "installed: user tallis, $instance $(owner $instance)"

# The administrator's settings survive a reinstall; a lost link is made again.
printf '[Audrey Utilities]\r\nAudreyNames=Den\r\n' > $instance/Config/vynAudreyUtilities.ini
chown tallis:tallis $instance/Config/vynAudreyUtilities.ini
rm $instance/tallis
dpkg_quiet -i /pkg/this.deb
[ -L $instance/tallis ] || fail "a reinstall did not make the missing link again"
grep -q "AudreyNames=Den" $instance/Config/vynAudreyUtilities.ini || fail "a reinstall overwrote the settings"
echo "reinstalled: settings kept, the missing link made again"

# A link the service user plants where a starter file would go is never followed by
# the configure step, which runs as that user.
rm $instance/Config/vynXap.ini
runuser -u tallis -- ln -s /etc/tallis-planted $instance/Config/vynXap.ini
chmod 0755 $instance   # the administrator's choice, which configure keeps
dpkg_quiet -i /pkg/this.deb
[ ! -e /etc/tallis-planted ] || fail "configure wrote through a planted link: /etc/tallis-planted exists"
[ "$(owner $instance)" = tallis:tallis:755 ] || fail "configure changed the folder's mode: $(owner $instance)"
rm $instance/Config/vynXap.ini
echo "planted link: not followed, nothing written outside"

# Upgrade over itself (the next revision), then configure again.
dpkg_quiet -i /pkg/next.deb
[ "$(dpkg-query -W -f '${Version} ${Status}' tallis)" = "$(cat /pkg/version)-2 install ok installed" ] \
  || fail "after the upgrade: $(dpkg-query -W -f '${Version} ${Status}' tallis)"
[ -f $instance/Config/vynXap.ini ] || fail "the upgrade did not make the missing starter file"
grep -q "AudreyNames=Den" $instance/Config/vynAudreyUtilities.ini || fail "the upgrade overwrote the settings"
echo "upgraded: $(dpkg-query -W -f '${Version}' tallis)"

# Purge: the program, the links and the user go; the instance's own files stay.
mkdir -p $instance/Data && echo record > $instance/Data/raruveViziva.txt
dpkg_quiet --purge tallis
dpkg-query -W tallis > /dev/null 2>&1 && [ "$(dpkg-query -W -f '${Status}' tallis)" != "unknown ok not-installed" ] \
  && fail "still known to dpkg: $(dpkg-query -W -f '${Status}' tallis)"
[ ! -e /usr/lib/tallis ] || fail "/usr/lib/tallis is left"
getent passwd tallis > /dev/null && fail "the tallis user is left"
getent group tallis > /dev/null && fail "the tallis group is left"
getent group tallis-admin > /dev/null && fail "the tallis-admin group is left"
[ ! -e $instance/tallis ] && [ ! -L $instance/hspi_Audrey.so ] || fail "the links to the program are left"
[ -f $instance/Config/vynAudreyUtilities.ini ] && [ -f $instance/Data/raruveViziva.txt ] \
  || fail "the purge removed the instance's settings or log"
echo "purged: left $(cd $instance && find . -mindepth 1 | sort | tr '\n' ' ')"
INSIDE
echo "$VERSION" > "$SCENE_DIR/version"

unshare -m -- bash -c '
  set -e
  s=$1
  mount --make-rprivate /
  mount -t overlay overlay -o "lowerdir=/,upperdir=$s/upper,workdir=$s/work" "$s/root"
  mount -t proc proc "$s/root/proc"
  mount --rbind /dev "$s/root/dev"
  mount -t tmpfs tmpfs "$s/root/tmp"
  mount -t tmpfs tmpfs "$s/root/run"
  mkdir -p "$s/root/pkg"
  mount --bind "$s" "$s/root/pkg"
  exec chroot "$s/root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 bash /pkg/inside.sh
' bash "$SCENE_DIR" > "$SCENE_DIR/inside.log" 2>&1 || scene_fail "$(cat "$SCENE_DIR/inside.log")"
cat "$SCENE_DIR/inside.log"
echo "dpkg scene passed"
