#!/usr/bin/python3
"""Drives a running tallis over D-Bus (python3-dbus) and checks what it answers.

Run by automation_scene.sh with DBUS_SESSION_BUS_ADDRESS pointing at the scene's own
bus. Each check prints "ok: ..." or ends the program with "FAIL: ...". The scene then
checks the xAP traffic the calls caused.
"""
import sys
import time
import xml.etree.ElementTree as ET

import dbus

SERVICE = "org.tallis.Tallis"
AUTOMATION = "org.tallis.Automation"
MISSING = dbus.Struct(("Missing",), signature="s")


def fail(text):
    print("FAIL: " + text)
    sys.exit(1)


def ok(text):
    print("ok: " + text)


def obj(bus, path):
    return bus.get_object(SERVICE, path, introspect=False)


def iface(bus, path, name):
    return dbus.Interface(obj(bus, path), name)


def invoke(bus, path, member, kind, args):
    return iface(bus, path, AUTOMATION).Invoke(member, kind, dbus.Array(args, signature="v"))


def vb_error(call):
    """Runs call and returns (D-Bus error name, message) of the failure it must raise."""
    try:
        call()
    except dbus.DBusException as e:
        return e.get_dbus_name(), e.get_dbus_message()
    fail("a call that must fail succeeded")


def handed_out(bus):
    """Objects handed out to all clients together."""
    props = dbus.Interface(obj(bus, "/org/tallis"), "org.freedesktop.DBus.Properties")
    return int(props.Get("org.tallis.Service", "HandedOutObjects"))


def check_type_library(bus):
    xml = iface(bus, "/org/tallis/Application", "org.freedesktop.DBus.Introspectable").Introspect()
    root = ET.fromstring(xml)
    names = [i.get("name") for i in root.findall("interface")]
    if "org.tallis.Application" not in names or AUTOMATION not in names:
        fail("interfaces of /org/tallis/Application: %s" % names)
    app = root.find("interface[@name='org.tallis.Application']")
    method = app.find("method[@name='SetDeviceStatus']")
    if method is None:
        fail("SetDeviceStatus is not listed")
    ins = "".join(a.get("type") for a in method.findall("arg") if a.get("direction") == "in")
    outs = [a for a in method.findall("arg") if a.get("direction") == "out"]
    if ins != "sn" or outs:
        fail("SetDeviceStatus has in %r and %d out arguments" % (ins, len(outs)))
    get_device = app.find("method[@name='GetDevice']")
    outs = [a.get("type") for a in get_device.findall("arg") if a.get("direction") == "out"]
    if outs != ["o"]:
        fail("GetDevice returns %s" % outs)
    prop = app.find("property[@name='DeviceCount']")
    if prop is None or prop.get("type") != "n" or prop.get("access") != "read":
        fail("DeviceCount property: %s" % (None if prop is None else prop.attrib))
    # Member order follows the member table's slot order.
    methods = [m.get("name") for m in app.findall("method")]
    if methods.index("InitScriptControl") != 0 or methods.index("NewDevice") > methods.index("SetDeviceStatus"):
        fail("methods are not in slot order: %s" % methods[:20])
    frh = ET.fromstring(iface(bus, "/org/tallis/FRH", "org.freedesktop.DBus.Introspectable").Introspect())
    frh_iface = frh.find("interface[@name='org.tallis.FRH']")
    if frh_iface.find("method[@name='Menu']") is None or frh_iface.find("property[@name='interface']") is None:
        fail("FRH lacks Menu or interface")
    setup = ET.fromstring(iface(bus, "/org/tallis/Setup", "org.freedesktop.DBus.Introspectable").Introspect())
    if setup.find("interface[@name='org.tallis.Setup']/method[@name='IREvent']") is None:
        fail("Setup lacks IREvent")
    ok("introspection lists SetDeviceStatus(sn), GetDevice -> o, DeviceCount, FRH and Setup")


def check_devices(bus):
    app = iface(bus, "/org/tallis/Application", "org.tallis.Application")
    if app.Version() != "1.6.174":
        fail("Version")
    app.NewDevice("Lamp", "A1")
    props = dbus.Interface(obj(bus, "/org/tallis/Application"), "org.freedesktop.DBus.Properties")
    count = props.Get("org.tallis.Application", "DeviceCount")
    path = app.GetDevice(dbus.Int16(count))
    if not path.startswith("/org/tallis/Devices/"):
        fail("GetDevice gave %s" % path)
    props = iface(bus, path, "org.freedesktop.DBus.Properties")
    if props.Get("org.tallis.DeviceClass", "name") != "Lamp":
        fail("the device's name reads %r" % props.Get("org.tallis.DeviceClass", "name"))
    props.Set("org.tallis.DeviceClass", "dev_type_string", dbus.String("Lamp module", variant_level=1))
    if props.Get("org.tallis.DeviceClass", "dev_type_string") != "Lamp module":
        fail("a property set over the bus did not stick")
    # The same record handed out again keeps its path; an object argument is a path.
    if app.GetDeviceByCode("A1") != path:
        fail("the same device came back under another path")
    ok("GetDevice returns %s whose name property reads Lamp" % path)


def check_status_and_scripts(bus):
    app = iface(bus, "/org/tallis/Application", "org.tallis.Application")
    app.RegisterStatusChangeCB("status.vbs", "OnChange")
    # The same change once over the bus, once from a script: both reach the callback,
    # which logs it as xAP (checked by the scene).
    app.SetDeviceStatus("A1", dbus.Int16(2))
    if app.DeviceStatus("A1") != 2:
        fail("the status did not change")
    app.RunEx("setter.vbs", "Main", "")
    if app.DeviceStatus("A1") != 3:
        fail("the script's SetDeviceStatus did not change the status")
    # Scripts create the public classes by name.
    made = app.RunEx("create.vbs", "Main", "")
    if made != "objcb 2 7 Lamp|FRH|DeviceClass clsString EventClass condition devFunc CustomStatus XapMessage|Application":
        fail("CreateObject in a script gave %r" % made)
    ok("SetDeviceStatus over the bus and from a script; CreateObject of the public classes")


def check_invoke(bus):
    result, after = invoke(bus, "/org/tallis/Application", "GetINISetting", "method",
                           ["Nowhere", "Key", "fallback", MISSING])
    if result != "fallback" or len(after) != 4:
        fail("Invoke with a missing argument gave %r %r" % (result, after))
    # By-reference arguments come back changed.
    doubler = iface(bus, "/org/tallis/Application", "org.tallis.Application").RunEx("byref.vbs", "Make", "")
    result, after = invoke(bus, doubler, "Twice", "method", [dbus.Int32(21)])
    if after[0] != 42:
        fail("the by-reference argument came back as %r" % after[0])
    # Empty travels as ("Empty",).
    result, after = invoke(bus, "/org/tallis/Application", "SetDeviceStatus", "method", ["A1", dbus.Int16(3)])
    if tuple(result) != ("Empty",):
        fail("a Sub's result is %r" % (result,))
    # Property calls through Invoke: let, then get.
    invoke(bus, "/org/tallis/Application", "DebugMode", "let", [dbus.Int32(0)])
    result, _ = invoke(bus, "/org/tallis/Application", "DebugMode", "get", [])
    if result != 0:
        fail("DebugMode reads %r" % result)
    ok("Invoke passes missing arguments and returns by-reference arguments changed")


def check_errors(bus):
    name, text = vb_error(lambda: invoke(bus, "/org/tallis/Application", "SetDeviceStatus", "method", ["A1", "abc"]))
    if name != "org.tallis.Error.VB13" or text != "Type mismatch":
        fail("a type mismatch came back as %s %r" % (name, text))
    name, text = vb_error(lambda: invoke(bus, "/org/tallis/Application", "NoSuchThing", "method", []))
    if name != "org.tallis.Error.VB438":
        fail("an unknown member came back as %s" % name)
    name, text = vb_error(lambda: iface(bus, "/org/tallis/FRH", "org.tallis.FRH").Menu())
    if name != "org.tallis.Error.VB5" or "No display" not in text:
        fail("FRH.Menu without a display came back as %s %r" % (name, text))
    name, _ = vb_error(lambda: iface(bus, "/org/tallis/objects/999999", "org.tallis.DeviceClass").name())
    if name != "org.freedesktop.DBus.Error.UnknownObject":
        fail("an unknown path came back as %s" % name)
    # A failure a member reports through its trap reaches the bus caller too.
    name, _ = vb_error(lambda: iface(bus, "/org/tallis/Application", "org.tallis.Application").Run("no-such-script.vbs"))
    if not name.startswith("org.tallis.Error.VB"):
        fail("a script that is not there came back as %s" % name)
    ok("VB errors arrive as org.tallis.Error.VB<number>")


def check_interface(bus):
    frh = obj(bus, "/org/tallis/FRH")
    setup = iface(bus, "/org/tallis/Setup", "org.tallis.Setup")
    frh.Set("org.tallis.FRH", "interface", dbus.String("", variant_level=1), dbus_interface="org.freedesktop.DBus.Properties")
    setup.IREvent(dbus.Int16(11))  # no interface named: nothing is sent
    frh.Set("org.tallis.FRH", "interface", dbus.String("Audrey", variant_level=1), dbus_interface="org.freedesktop.DBus.Properties")
    if frh.Get("org.tallis.FRH", "interface", dbus_interface="org.freedesktop.DBus.Properties") != "Audrey":
        fail("FRH.interface does not read back")
    setup.IREvent(dbus.Int16(12))  # sent (checked by the scene)
    ok("setting FRH.interface runs the host start-up")


def check_release():
    holder = dbus.bus.BusConnection(dbus.bus.BusConnection.TYPE_SESSION)
    watcher = dbus.SessionBus()
    before = handed_out(watcher)
    app = iface(holder, "/org/tallis/Application", "org.tallis.Application")
    paths = {app.CreateClassString(), app.NewDevFunc(), app.NewCondition()}
    if handed_out(watcher) != before + 3:
        fail("%d objects handed out, expected %d" % (handed_out(watcher), before + 3))
    iface(holder, sorted(paths)[0], AUTOMATION).Release()
    if handed_out(watcher) != before + 2:
        fail("Release did not let the object go")
    holder.close()
    deadline = time.time() + 5
    while handed_out(watcher) != before and time.time() < deadline:
        time.sleep(0.05)
    if handed_out(watcher) != before:
        fail("%d objects still held after their client left" % (handed_out(watcher) - before))
    ok("objects handed to a client are released when it disconnects")


def main():
    bus = dbus.SessionBus()
    check_type_library(bus)
    check_devices(bus)
    check_status_and_scripts(bus)
    check_invoke(bus)
    check_errors(bus)
    check_interface(bus)
    check_release()
    print("bus client passed")


if __name__ == "__main__":
    main()
