#!/usr/bin/env bash
# The system bus policy (dist/dbus/org.tallis.Tallis.conf) on a bus of the scene's own:
# dbus-daemon --config-file with the system bus's default-deny rules and the policy
# included, tallis run as the user tallis with TALLIS_BUS=system. Root and a member of
# the group tallis-admin may call every member; a member of the group tallis may read
# and control devices but not run scripts or programs nor write settings; another user
# may neither call it nor own its name. File names stay inside Config/ for everyone.
#
# The users live only in the scene: a private mount namespace lays copies of
# /etc/passwd and /etc/group with the accounts tallis, member (in group tallis), admin
# (in group tallis-admin) and outsider over the real files. Needs root.
if [ -z "${POLICY_NAMESPACE:-}" ]; then
  exec unshare --net --mount --propagation private -- env POLICY_NAMESPACE=1 SCENE_PRIVATE_NETWORK=1 \
    bash -c 'ip link set lo up && exec bash "$0" "$@"' "$0" "$@"
fi
source "$(dirname "$0")/../integration/scene.sh"
: "${POLICY:?path of org.tallis.Tallis.conf}"
for tool in dbus-daemon busctl gdbus setpriv; do
  command -v "$tool" >/dev/null || scene_fail "$tool is not installed (scripts/install-deps.sh)"
done

scene_begin
chmod 755 "$SCENE_DIR"
tallis_uid=64990 member_uid=64991 outsider_uid=64992 admin_uid=64993 admins_gid=64994
cp /etc/passwd "$SCENE_DIR/passwd"
cp /etc/group "$SCENE_DIR/group"
cat >> "$SCENE_DIR/passwd" <<USERS
tallis:x:$tallis_uid:$tallis_uid::/nonexistent:/usr/sbin/nologin
member:x:$member_uid:$member_uid::/nonexistent:/usr/sbin/nologin
outsider:x:$outsider_uid:$outsider_uid::/nonexistent:/usr/sbin/nologin
admin:x:$admin_uid:$admin_uid::/nonexistent:/usr/sbin/nologin
USERS
cat >> "$SCENE_DIR/group" <<GROUPS
tallis:x:$tallis_uid:member
member:x:$member_uid:
outsider:x:$outsider_uid:
admin:x:$admin_uid:
tallis-admin:x:$admins_gid:admin
GROUPS
mount --bind "$SCENE_DIR/passwd" /etc/passwd
mount --bind "$SCENE_DIR/group" /etc/group
[ "$(id -nG member)" = "member tallis" ] || scene_fail "the scene's accounts are not in place: $(id member)"

address="unix:path=$SCENE_DIR/system_bus_socket"
cat > "$SCENE_DIR/system.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>$address</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <deny own="*"/>
    <deny send_type="method_call"/>
    <allow send_type="signal"/>
    <allow send_requested_reply="true" send_type="method_return"/>
    <allow send_requested_reply="true" send_type="error"/>
    <allow receive_type="method_call"/>
    <allow receive_type="method_return"/>
    <allow receive_type="error"/>
    <allow receive_type="signal"/>
    <allow send_destination="org.freedesktop.DBus" send_interface="org.freedesktop.DBus"/>
    <allow send_destination="org.freedesktop.DBus" send_interface="org.freedesktop.DBus.Introspectable"/>
  </policy>
  <include>$POLICY</include>
</busconfig>
CONF
dbus-daemon --config-file="$SCENE_DIR/system.conf" --nofork --nopidfile > "$SCENE_DIR/dbus.log" 2>&1 &
SCENE_PIDS+=($!)
wait_for 5 test -S "$SCENE_DIR/system_bus_socket" || scene_fail "the system bus did not start"

chown -R "$tallis_uid:$tallis_uid" "$SCENE_BASE"
(cd "$SCENE_BASE" && exec setpriv --reuid=$tallis_uid --regid=$tallis_uid --clear-groups \
  env TALLIS_BUS=system DBUS_SYSTEM_BUS_ADDRESS="$address" ./tallis > "$SCENE_DIR/tallis.out" 2>&1) &
TALLIS_PID=$!
SCENE_PIDS+=("$TALLIS_PID")
log="$SCENE_BASE/Data/raruveViziva.txt"
wait_for 10 grep -q "automation interface on the system bus as org.tallis.Tallis" "$log" \
  || scene_fail "tallis did not serve the system bus"

# as UID GROUPS COMMAND...: runs a client as that user.
as() {
  local uid=$1 groups=$2
  shift 2
  setpriv --reuid="$uid" --regid="$uid" --groups="$groups" env DBUS_SYSTEM_BUS_ADDRESS="$address" "$@"
}
version() {
  "$@" busctl --address="$address" call org.tallis.Tallis /org/tallis/Application org.tallis.Application Version
}
[ "$(version)" = 's "1.6.174"' ] || scene_fail "root cannot call the service"
[ "$(version as $member_uid $member_uid,$tallis_uid)" = 's "1.6.174"' ] || scene_fail "a member of the group cannot call the service"
[ "$(version as $admin_uid $admin_uid,$admins_gid)" = 's "1.6.174"' ] || scene_fail "an administrator cannot call the service"

# call UID GROUPS MEMBER SIGNATURE ARGS...: an Application member called as that user.
call() {
  local uid=$1 groups=$2 member=$3
  shift 3
  as "$uid" "$groups" busctl --address="$address" call org.tallis.Tallis /org/tallis/Application org.tallis.Application "$member" "$@" 2>&1
}
denied() {
  [[ "$1" == *"ccess denied"* || "$1" == *"AccessDenied"* ]]
}
member_groups=$member_uid,$tallis_uid
admin_groups=$admin_uid,$admins_gid
# Device control is the group tallis's; running programs and scripts and writing settings are not.
out=$(call $member_uid $member_groups SetDeviceStatus sn A1 2) || scene_fail "a member of tallis cannot control a device: $out"
[ "$(call $member_uid $member_groups DeviceStatus s A1)" = "n 2" ] || scene_fail "a member of tallis cannot read a device"
for denied_call in "Launch sss /bin/true a b" "RunEx sss x.vbs Main x" "SaveINISetting ssvs S K s v x.ini" \
                   "WriteLog ss a b" "NewDevice ss Lamp A2"; do
  # shellcheck disable=SC2086
  if out=$(call $member_uid $member_groups $denied_call); then
    scene_fail "a member of tallis may call ${denied_call%% *}: $out"
  fi
  denied "$out" || scene_fail "${denied_call%% *} by a member of tallis failed otherwise: $out"
done
# The device list: a member of tallis may read its items, not remove them.
list() {
  local uid=$1 groups=$2 member=$3
  shift 3
  as "$uid" "$groups" busctl --address="$address" call org.tallis.Tallis /org/tallis/DeviceList org.tallis.Collection "$member" "$@" 2>&1
}
# (The scene's list is empty: the call reaching the service answers "Subscript out of range".)
out=$(list $member_uid $member_groups Item v i 1) || true
[[ "$out" == *"/org/tallis/Devices/"* || "$out" == *"Subscript out of range"* ]] ||
  scene_fail "a member of tallis cannot read the device list: $out"
if out=$(list $member_uid $member_groups Remove v i 1); then
  scene_fail "a member of tallis may remove a device from the list: $out"
fi
denied "$out" || scene_fail "Remove by a member of tallis failed otherwise: $out"
if out=$(as $member_uid $member_groups busctl --address="$address" set-property org.tallis.Tallis /org/tallis/Application \
    org.tallis.Application DebugMode i 1 2>&1); then
  scene_fail "a member of tallis may change a setting: $out"
fi
denied "$out" || scene_fail "DebugMode set by a member of tallis failed otherwise: $out"
# An administrator may write settings, but only inside Config/.
out=$(call $admin_uid $admin_groups SaveINISetting ssvs S K s v inside.ini) || scene_fail "an administrator cannot save a setting: $out"
[ -f "$SCENE_BASE/Config/inside.ini" ] || scene_fail "the administrator's setting is not in Config/"
if out=$(call $admin_uid $admin_groups SaveINISetting ssvs S K s v ../../outside.ini); then
  scene_fail "an administrator wrote outside Config/: $out"
fi
[[ "$out" == *"org.tallis.Error.VB75"* || "$out" == *"Path/File access error"* ]] || scene_fail "a path outside Config/ failed otherwise: $out"
[ ! -e "$SCENE_DIR/outside.ini" ] || scene_fail "a file was written outside Config/"
if out=$(version as $outsider_uid $outsider_uid 2>&1); then
  scene_fail "a user outside the group called the service: $out"
fi
[[ "$out" == *"ccess denied"* || "$out" == *"AccessDenied"* ]] || scene_fail "the outsider's call failed otherwise: $out"
if out=$(as $outsider_uid $outsider_uid gdbus call --system --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.RequestName org.tallis.Tallis 0 2>&1); then
  scene_fail "a user outside the group may own the name: $out"
fi
[[ "$out" == *"AccessDenied"* ]] || scene_fail "the outsider's RequestName failed otherwise: $out"

scene_stop_tallis
[ "$TALLIS_STATUS" -eq 0 ] || scene_fail "tallis ended with status $TALLIS_STATUS"
echo "system policy scene passed"
