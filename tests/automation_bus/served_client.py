#!/usr/bin/python3
"""The automation interface's second face, driven by real clients (python3-dbus with a
GLib loop, one connection per client): calls served while another call waits, honest
error replies, typed introspection, signals, stable record paths with ObjectManager,
objects of clients that leave early, the per-client object limit.

Run by automation_scene.sh with DBUS_SESSION_BUS_ADDRESS pointing at the scene's own
bus and tallis started with TALLIS_BUS_OBJECT_LIMIT=50. Prints "ok: ..." per group or
ends with "FAIL: ...".
"""
import subprocess
import sys
import threading
import time
import xml.etree.ElementTree as ET

import dbus
import dbus.mainloop.glib
from gi.repository import GLib

SERVICE = "org.tallis.Tallis"
APP_PATH = "/org/tallis/Application"
APP = "org.tallis.Application"
PROPS = "org.freedesktop.DBus.Properties"
LIMIT = 50


def fail(text):
    print("FAIL: " + text)
    sys.exit(1)


def ok(text):
    print("ok: " + text)


def connect():
    return dbus.bus.BusConnection(dbus.bus.BusConnection.TYPE_SESSION)


def app_of(bus):
    return dbus.Interface(bus.get_object(SERVICE, APP_PATH, introspect=False), APP)


def props_of(bus, path):
    return dbus.Interface(bus.get_object(SERVICE, path, introspect=False), PROPS)


def variant(text):
    return dbus.String(text, variant_level=1)


def error_of(call):
    try:
        call()
    except dbus.DBusException as e:
        return e.get_dbus_name(), e.get_dbus_message()
    fail("a call that must fail succeeded")


def handed_out(bus):
    return int(props_of(bus, "/org/tallis").Get("org.tallis.Service", "HandedOutObjects"))


def introspect(bus, path):
    xml = dbus.Interface(bus.get_object(SERVICE, path, introspect=False),
                         "org.freedesktop.DBus.Introspectable").Introspect()
    return ET.fromstring(xml)


def check_served_while_waiting():
    waiter, other = connect(), connect()
    done = {}

    def wait(name, bus, secs):
        start = time.monotonic()
        app_of(bus).WaitSecs(dbus.Int16(secs), timeout=30)
        done[name] = time.monotonic() - start

    t = threading.Thread(target=wait, args=("first", waiter, 3))
    t.start()
    time.sleep(0.3)
    app = app_of(other)
    slowest = 0.0
    for _ in range(100):
        start = time.monotonic()
        if app.Version() != "1.6.174":
            fail("Version during a wait")
        slowest = max(slowest, time.monotonic() - start)
    if "first" in done:
        fail("the wait ended before the other client's 100 calls were served")
    # A second client's wait runs inside the first: both end about together.
    third = connect()
    start = time.monotonic()
    wait("second", third, 1)
    t.join()
    if done["first"] > 5:
        fail("two overlapping waits took %.1f s" % done["first"])
    ok("100 Version calls answered while another client waited (slowest %.0f ms); waits overlap" % (slowest * 1000))


def check_honest_replies(bus):
    app = app_of(bus)
    name, text = error_of(lambda: app.RunEx("raise.vbs", "Raise5", ""))
    if name != "org.tallis.Error.VB5":
        fail("Err.Raise 5 in a script came back as %s %r" % (name, text))
    name, text = error_of(lambda: app.RunEx("raise.vbs", "Divide", ""))
    if name != "org.tallis.Error.VB11" or "zero" not in text:
        fail("a division by zero came back as %s %r" % (name, text))
    name, _ = error_of(lambda: app.RunEx("raise.vbs", "NoSuchFunction", ""))
    if not name.startswith("org.tallis.Error.VB"):
        fail("a missing function came back as %s" % name)
    name, _ = error_of(lambda: app.RunEx("no-such-script.vbs", "Main", ""))
    if not name.startswith("org.tallis.Error.VB"):
        fail("a missing script came back as %s" % name)
    if app.RunEx("raise.vbs", "Fine", "x") != "fine x":
        fail("a script that works no longer answers")
    # The member's own trap answers the caller; a member that fails inside a script the
    # caller ran reports and returns there, and the script's result still arrives.
    name, _ = error_of(lambda: app.SetDeviceTime("", 5))
    if not name.startswith("org.tallis.Error.VB"):
        fail("SetDeviceTime of an empty code came back as %s" % name)
    if app.RunEx("raise.vbs", "Nested", "") != "survived":
        fail("a failure swallowed inside a script failed the whole call")

    # Files outside Config/ and Scripts/ are refused for bus callers.
    for call in (lambda: app.GetINISetting("S", "K", "d", "../../secret.ini"),
                 lambda: app.SaveINISetting("S", "K", variant("v"), "/tmp/x.ini"),
                 lambda: app.GetINISection("S", "..\\..\\x.ini"),
                 lambda: app.RunEx("../raise.vbs", "Fine", ""),
                 lambda: app.RunEx("/etc/passwd", "Main", "")):
        name, _ = error_of(call)
        if name != "org.tallis.Error.VB75":
            fail("a file outside its folder came back as %s" % name)
    if app.GetINISetting("S", "K", "fallback", "sub/../inside.ini") != "fallback":
        fail("a name that stays inside Config was refused")

    # NUL-separated lists arrive whole.
    app.SaveINISetting("Lamps", "Kitchen", variant("on"), "lists.ini")
    app.SaveINISetting("Lamps", "Hall", variant("off"), "lists.ini")
    entries = [str(e) for e in app.GetINISection("Lamps", "lists.ini")]
    if entries != ["KITCHEN=on", "HALL=off"] and sorted(entries) != sorted(["KITCHEN=on", "HALL=off"]):
        fail("GetINISection gave %r" % entries)

    # Read-only properties and argument checks.
    props = props_of(bus, APP_PATH)
    name, _ = error_of(lambda: props.Set(APP, "DeviceCount", dbus.Int16(9, variant_level=1)))
    if name != "org.freedesktop.DBus.Error.PropertyReadOnly":
        fail("setting DeviceCount came back as %s" % name)
    name, _ = error_of(lambda: props.Get(APP))
    if name != "org.freedesktop.DBus.Error.InvalidArgs":
        fail("Properties.Get with one argument came back as %s" % name)
    # An Integer parameter takes a 32-bit integer in range, and refuses one out of range.
    app.SetDeviceStatus("B3", dbus.Int32(2))
    if app.DeviceStatus("B3") != 2:
        fail("SetDeviceStatus with an i did not store")
    name, _ = error_of(lambda: app.SetDeviceStatus("B3", dbus.Int32(70000)))
    if name != "org.tallis.Error.VB6":
        fail("an Integer out of range came back as %s" % name)
    # Integer and Long parameters take a 64-bit integer in range too.
    app.SetDeviceStatus("B3", dbus.Int64(3))
    if app.DeviceStatus("B3") != 3:
        fail("SetDeviceStatus with an x did not store")
    app.SetDeviceValue("B3", dbus.Int64(-2147483648))
    if app.DeviceValue("B3") != -2147483648:
        fail("SetDeviceValue with an x did not store")
    for call in (lambda: app.SetDeviceStatus("B3", dbus.Int64(70000)),
                 lambda: app.SetDeviceValue("B3", dbus.Int64(2 ** 31)),
                 lambda: app.SetDeviceValue("B3", dbus.Int64(2 ** 60))):
        name, _ = error_of(call)
        if name != "org.tallis.Error.VB6":
            fail("an integer out of range came back as %s" % name)
    app.SetDeviceStatus("B3", dbus.Int32(2))
    # Dates travel as ISO 8601 with an offset, and come back in that form.
    app.SetDeviceLastChange("B3", "2026-12-07T19:05:09+00:00")
    when = str(app.DeviceLastChange("B3"))
    if len(when) < 25 or when[10] != "T" or when[19] not in "+-":
        fail("a date came back as %r" % when)
    app.SetDeviceLastChange("B3", when)
    if str(app.DeviceLastChange("B3")) != when:
        fail("an ISO date did not travel back unchanged")
    ok("script failures, refused paths, NUL lists, read-only properties, n/i and dates answer honestly")


def check_introspection(bus):
    root = introspect(bus, APP_PATH).find("interface[@name='org.tallis.Application']")
    args = [a.get("name") for a in root.find("method[@name='SetDeviceStatus']").findall("arg")]
    if args != ["dev", "Status"]:
        fail("SetDeviceStatus's arguments are named %s" % args)
    count = root.find("property[@name='DeviceCount']")
    if count.get("access") != "read":
        fail("DeviceCount is %s" % count.get("access"))

    def annotation(node, name):
        a = node.find("annotation[@name='%s']" % name)
        return None if a is None else a.get("value")

    if annotation(count, "org.freedesktop.DBus.Property.EmitsChangedSignal") != "true":
        fail("DeviceCount does not say it emits PropertiesChanged")
    sunrise = root.find("property[@name='Sunrise']")
    if annotation(sunrise, "org.freedesktop.DBus.Property.EmitsChangedSignal") != "false" \
            or annotation(sunrise, "org.tallis.Automation.StandIn") != "true" or sunrise.get("access") != "read":
        fail("Sunrise is %s" % ET.tostring(sunrise))
    if annotation(root.find("method[@name='WEBValidateUser']"), "org.tallis.Automation.StandIn") != "true":
        fail("WEBValidateUser is not marked a stand-in")
    if annotation(root.find("method[@name='SetDeviceStatus']"), "org.tallis.Automation.StandIn") is not None:
        fail("SetDeviceStatus is marked a stand-in")
    section = root.find("method[@name='GetINISection']")
    if [a.get("type") for a in section.findall("arg") if a.get("direction") == "out"] != ["as"]:
        fail("GetINISection does not return as")
    # Every argument of every object a client meets carries its name: the host object,
    # the device list, and an object made by name.
    made = dbus.Interface(bus.get_object(SERVICE, APP_PATH), APP).CreateClassString("clsString")
    for path in (APP_PATH, "/org/tallis/DeviceList", str(made)):
        for method in introspect(bus, path).iter("method"):
            for arg in method.findall("arg"):
                name = arg.get("name") or ""
                if name == "" or (name.startswith("arg") and name[3:].isdigit()):
                    fail("%s: %s has an argument named %r" % (path, method.get("name"), name))
    dbus.Interface(bus.get_object(SERVICE, str(made), introspect=False), "org.tallis.Automation").Release()
    ok("arguments named, read-only and stand-in members marked, EmitsChangedSignal per property")


class Signals:
    """Collects the signals of org.tallis.Events and ObjectManager on a GLib loop."""

    def __init__(self):
        self.bus = dbus.bus.BusConnection(dbus.bus.BusConnection.TYPE_SESSION,
                                          mainloop=dbus.mainloop.glib.DBusGMainLoop())
        self.got = []
        for member in ("DeviceChanged", "Log", "XapReceived"):
            self.bus.add_signal_receiver(self._on(member), member, "org.tallis.Events", SERVICE, APP_PATH)
        for member in ("InterfacesAdded", "InterfacesRemoved"):
            self.bus.add_signal_receiver(self._on(member), member, "org.freedesktop.DBus.ObjectManager", SERVICE, "/org/tallis")
        self.bus.add_signal_receiver(self._on("PropertiesChanged"), "PropertiesChanged", PROPS, SERVICE, APP_PATH)
        self.bus.get_object("org.freedesktop.DBus", "/org/freedesktop/DBus").GetId(dbus_interface="org.freedesktop.DBus")

    def _on(self, member):
        return lambda *args: self.got.append((member, args))

    def wait(self, member, match, seconds=5):
        context = GLib.MainContext.default()
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            while context.pending():
                context.iteration(False)
            for m, args in self.got:
                if m == member and match(args):
                    return args
            time.sleep(0.01)
        fail("no %s signal matching; got %s" % (member, [m for m, _ in self.got]))


def gdbus(*args):
    return subprocess.run(["gdbus", "call", "--session", "--dest", SERVICE] + list(args),
                          capture_output=True, text=True, timeout=10)


def check_signals_and_records(bus):
    signals = Signals()
    app = app_of(bus)
    app.SetDeviceStatus("C4", dbus.Int16(2))
    args = signals.wait("DeviceChanged", lambda a: a[0] == "C4" and a[1] == 2)
    app.SetDeviceString("C4", "warm")
    signals.wait("DeviceChanged", lambda a: a[0] == "C4" and a[3] == "warm")
    changes = [a for m, a in signals.got if m == "DeviceChanged" and a[0] == "C4"]
    app.SetDeviceString("C4", "warm")  # no change: no signal
    app.RunEx("raise.vbs", "Box", "")  # headless: the message box text goes to the log file
    signals.wait("Log", lambda a: a[0] == "MsgBox" and "a line for the log" in a[1])
    if len([a for m, a in signals.got if m == "DeviceChanged" and a[0] == "C4"]) != len(changes):
        fail("an unchanged text was signalled")

    # A record gets a stable path that any later one-shot client can use.
    app.NewDevice("Porch light", "C4")
    signals.wait("InterfacesAdded", lambda a: str(a[0]).startswith("/org/tallis/Devices/")
                 and a[1]["org.tallis.DeviceClass"]["name"] == "Porch light")
    signals.wait("PropertiesChanged", lambda a: "DeviceCount" in a[1])
    # A setting changed by a script is announced too.
    props = props_of(bus, APP_PATH)
    app.RunEx("raise.vbs", "Debug", "")
    signals.wait("PropertiesChanged", lambda a: a[1].get("DebugMode") == 3)
    if props.Get(APP, "DebugMode") != 3:
        fail("DebugMode reads %r" % props.Get(APP, "DebugMode"))
    ref = app.GetDeviceRef("C4")
    out = gdbus("--object-path", APP_PATH, "--method", APP + ".GetDeviceByRef", str(ref))
    path = out.stdout.strip()[len("(objectpath '"):-len("',)")]
    if out.returncode != 0 or not path.startswith("/org/tallis/Devices/"):
        fail("gdbus GetDeviceByRef gave %r %r" % (out.stdout, out.stderr))
    out = gdbus("--object-path", path, "--method", PROPS + ".Get", "org.tallis.DeviceClass", "name")
    if out.returncode != 0 or "Porch light" not in out.stdout:
        fail("a second gdbus could not read %s: %r %r" % (path, out.stdout, out.stderr))
    managed = dbus.Interface(bus.get_object(SERVICE, "/org/tallis", introspect=False),
                             "org.freedesktop.DBus.ObjectManager").GetManagedObjects()
    if path not in managed or managed[path]["org.tallis.DeviceClass"]["name"] != "Porch light":
        fail("GetManagedObjects lacks %s" % path)
    app.DeleteDevice(ref)
    signals.wait("InterfacesRemoved", lambda a: str(a[0]) == path)
    out = gdbus("--object-path", path, "--method", PROPS + ".Get", "org.tallis.DeviceClass", "name")
    if out.returncode == 0 or "UnknownObject" not in out.stderr:
        fail("a deleted record still answers: %r" % out.stdout)
    app.NewDevice("Porch light", "C4")
    ref2 = app.GetDeviceRef("C4")
    path2 = str(app.GetDeviceByRef(ref2))
    if path2 == path:
        fail("a new record reused the path %s" % path)
    # The device list itself has a stable path too.
    if str(app.GetDeviceList()) != "/org/tallis/DeviceList":
        fail("GetDeviceList gave %s" % app.GetDeviceList())
    count, _ = dbus.Interface(bus.get_object(SERVICE, "/org/tallis/DeviceList", introspect=False),
                              "org.tallis.Automation").Invoke("Count", "get", dbus.Array([], signature="v"))
    if count != props_of(bus, APP_PATH).Get(APP, "DeviceCount"):
        fail("the device list counts %r" % count)
    ok("DeviceChanged once per change, Log, stable record paths across gdbus calls, ObjectManager")
    return signals


def check_objects():
    watcher = connect()
    base = handed_out(watcher)

    # A client that leaves before its calls are served holds nothing afterwards.
    waiter = connect()
    t = threading.Thread(target=lambda: app_of(waiter).WaitSecs(dbus.Int16(1), timeout=10))
    t.start()
    time.sleep(0.2)
    for _ in range(20):
        early = connect()
        for _ in range(5):
            early.call_async(SERVICE, APP_PATH, APP, "CreateClassString", "", (), None, None)
        early.flush()
        early.close()
    t.join()
    # And some that leave while their calls are being served, without any wait.
    for _ in range(20):
        early = connect()
        for _ in range(5):
            early.call_async(SERVICE, APP_PATH, APP, "CreateClassString", "", (), None, None)
        early.flush()
        early.close()
    deadline = time.time() + 5
    while handed_out(watcher) != base and time.time() < deadline:
        time.sleep(0.05)
    if handed_out(watcher) != base:
        fail("%d objects stayed after their client left early" % (handed_out(watcher) - base))

    # Each client sees only its own objects, and holds at most LIMIT of them.
    holder = connect()
    app = app_of(holder)
    for _ in range(LIMIT):
        app.CreateClassString()
    name, text = error_of(lambda: app.CreateClassString())
    if name != "org.tallis.Error.VB7":
        fail("past the limit: %s %r" % (name, text))
    mine = introspect(holder, "/org/tallis/objects").findall("node")
    theirs = introspect(watcher, "/org/tallis/objects").findall("node")
    if len(mine) != LIMIT or theirs:
        fail("the holder sees %d objects, another client %d" % (len(mine), len(theirs)))
    # Nor may another client use them.
    someone_elses = "/org/tallis/objects/" + mine[0].get("name")
    name, _ = error_of(lambda: dbus.Interface(watcher.get_object(SERVICE, someone_elses, introspect=False),
                                              "org.tallis.clsString").Length())
    if name != "org.freedesktop.DBus.Error.UnknownObject":
        fail("another client's object answered with %s" % name)
    holder.close()
    deadline = time.time() + 5
    while handed_out(watcher) != base and time.time() < deadline:
        time.sleep(0.05)
    if handed_out(watcher) != base:
        fail("%d objects stayed after their holder left" % (handed_out(watcher) - base))
    ok("early leavers leave nothing; %d objects per client at most; each client sees its own" % LIMIT)


def main():
    bus = connect()
    check_served_while_waiting()
    check_honest_replies(bus)
    check_introspection(bus)
    check_signals_and_records(bus)
    check_objects()
    print("served client passed")


if __name__ == "__main__":
    main()
