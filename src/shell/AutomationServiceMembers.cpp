#include "AutomationServiceMembers.h"

#include <array>
#include <vector>

namespace shell {

namespace {

using platform::bus::Access;
using platform::bus::ClassNotes;
using platform::bus::Folder;
using platform::bus::MemberNote;

constexpr Access C = Access::Control;
constexpr Access A = Access::Admin;

MemberNote control(std::string_view member, std::string_view args = {})
{
    return MemberNote{member, C, args};
}
MemberNote admin(std::string_view member, std::string_view args = {})
{
    return MemberNote{member, A, args};
}
MemberNote file(MemberNote note, std::int8_t arg, Folder folder)
{
    note.fileArg = arg;
    note.folder = folder;
    return note;
}
MemberNote list(MemberNote note)
{
    note.nulList = true;
    return note;
}
MemberNote announced(MemberNote note)
{
    note.emitsChanged = true;
    return note;
}

// Control: reading state and records, device control. Admin (every member not listed
// as Control, stand-ins included): running code, writing files, changing settings,
// restarting things.
const std::vector<MemberNote>& applicationNotes()
{
    static const std::vector<MemberNote> notes = {
        admin("InitScriptControl"),
        control("System"),
        control("Version"),
        control("InterfaceVersion"),
        control("GetAppPath"),
        admin("GetPlugins"),
        announced(admin("DebugMode", "i")),
        announced(admin("NoLog", "b")),
        control("WaitEvents"),
        control("CreateClassString"),

        admin("NewDevice", "name,sDC"),
        admin("NewDeviceEx", "name,sDC"),
        control("GetDevice", "index"),
        control("GetDeviceByRef", "ref"),
        control("GetDeviceEx", "deviceName"),
        control("GetDeviceByCode", "device"),
        control("GetDeviceCode", "name"),
        control("GetDeviceRef", "sAddress"),
        control("GetDeviceRefByName", "deviceName"),
        control("GetDeviceList"),
        control("DeviceExists", "device"),
        admin("DeleteDevice", "ref"),
        announced(control("DeviceCount")),

        control("SetDeviceStatus", "dev,Status"),
        control("SetDeviceStatusNoReport", "dev,Status,iReport"),
        control("SetDeviceValue", "dev,value"),
        control("SetDeviceValueNoReport", "dev,value,iReport"),
        control("SetDeviceValueByName", "devName,value"),
        control("SetDeviceString", "dev,str,Reset"),
        control("SetDeviceStringByName", "devName,str,Reset"),
        control("SetDeviceTime", "dev,value"),
        control("SetDeviceLastChange", "dev,change_time"),
        control("DeviceStatus", "dev"),
        control("DeviceValue", "dev"),
        control("DeviceValueByName", "name"),
        control("DeviceString", "dev"),
        control("DeviceStringByName", "name"),
        control("DeviceTime", "dev"),
        control("DeviceTimeByName", "name"),
        control("DeviceLastChange", "dev"),
        control("isOn", "device"),
        control("isOnByName", "deviceName"),
        control("isOff", "device"),
        control("isOffByName", "deviceName"),
        control("ExecX10", "device,cmd,dimlevel,data2,unused"),
        control("ExecX10ByName", "name,cmd,dimlevel,data2,unused"),
        control("ExecX10NoLog", "device,cmd,dimlevel,data2,unused"),
        control("SetX10Status", "device,cmd,dimlevel,data2"),
        admin("RegisterEventCB", "evtype,obj"),
        file(admin("RegisterStatusChangeCB", "script,func"), 0, Folder::Scripts),
        admin("SetSilentDeviceCollection", "c"),

        control("Speak", "sText,Wait"),
        control("SpeakEx", "device,text,Wait"),
        admin("SpeakToFile", "txt,voice,Filename"),
        control("SendIR", "ir"),
        control("ExecIO", "code,cmd,brightness,iData1"),
        control("hsSetIO", "device,house,unit,command,level,data1,data2"),
        admin("WriteLog", "c,message"),
        admin("Keys", "k,title,Wait"),
        admin("Launch", "name,params,direc"),

        admin("CreateVar", "name"),
        admin("SaveVar", "name,obj"),
        control("GetVar", "name"),
        admin("DeleteVar", "name"),
        file(control("GetINISetting", "section,key,defaultValue,Filename"), 3, Folder::Config),
        file(admin("SaveINISetting", "section,key,value,Filename"), 3, Folder::Config),
        list(file(control("GetINISection", "section,Filename"), 1, Folder::Config)),
        file(admin("ClearIniSection", "section,Filename"), 1, Folder::Config),
        control("StringItem", "st,idx,sep"),
        control("GetScriptPath"),
        control("WaitSecs", "secs"),
        control("NewUpdateAvailable"),

        admin("NewEvent", "name"),
        admin("NewEventEx", "name"),
        control("GetEvent", "index"),
        control("GetEventIndex", "eventName"),
        control("GetEventEx", "eventName"),
        control("GetEventList"),
        announced(control("EventCount")),
        control("EventExists", "eventName"),
        admin("DeleteEvent", "evname"),
        admin("EnableEvent", "evname"),
        admin("DisableEvent", "evname"),
        file(admin("Run", "scr"), 0, Folder::Scripts),
        file(admin("RunEx", "scr,func,param"), 0, Folder::Scripts),
        admin("NewCondition"),
        admin("NewDevFunc"),
        admin("plugin", "name"),

        control("WEBValidateUser", "UserName,Password"),
        control("Sunrise"),
        control("Sunset"),
        control("SunriseDt"),
        control("SolarNoon"),
        control("SunsetDt"),
        control("TimeZoneName"),

        // Stand-ins: they do nothing, and stay Admin as every member not listed as Control.
        admin("AddVoiceCommand", "cmd"),
        admin("DelayTrigger", "secs,evname"),
        admin("DeleteIODevices", "ioname"),
        admin("DeviceButtonAdd", "device,ref,name"),
        admin("DeviceButtonRemove", "device,name"),
        admin("DeviceValueAdd", "device,values,show"),
        admin("ftpSetProxy", "phost,puser,ppassword,pport,ptype"),
        admin("ListenForCommands", "action"),
        admin("MailDelete", "index"),
        admin("MediaMute", "mode"),
        admin("PlayWavFile", "Filename"),
        admin("PlayWavFileEx", "Filename,deviceID,vol,Wait"),
        admin("PollDevice", "dev"),
        admin("RemoveDelayedEvent", "device,eventName"),
        admin("SendEmail", "mto,mfrom,msubject,message,attach"),
        admin("SetAudioEvent", "started,device"),
        admin("SetConfigChangeEvent", "ctype,id,extra"),
        admin("SetHSPCallback", "callback"),
        admin("SetLogEvent", "logDateTime,logClass,logData"),
        admin("SetRemoteTimeout", "timeout"),
        admin("SetSecurityMode", "mode"),
        admin("SetSpeaker", "sprk"),
        admin("SetStringChangeEvent", "hcuc,str"),
        admin("SetVolume", "levelLeft,levelRight,deviceID"),
        admin("SetVRThreshold", "level"),
        admin("SpeakProxy", "device,text,Wait"),
        admin("CheckRunStatus", "app_name,timeout"),
        admin("isScriptRunning", "scr"),
        admin("GetComPortCount", "port"),
        admin("GetVolume", "channel,deviceID"),
        admin("MoveSettings", "sectionFrom,sectionTo"),
        admin("NewIRKey", "dv,label,ircommand,image,row,column"),
        admin("ping", "host,timeout"),
        admin("SetSpeakingSpeed", "speed"),
        admin("TriggerEvent", "name"),
        admin("TriggerEventEx", "line,name"),
        admin("CloseComPort", "port"),
        admin("ControlThermostat", "device,command,val"),
        admin("DecryptString", "sToDecrypt,sPassword"),
        admin("DeviceVCProcess", "command,id,phrase"),
        admin("ftp", "host,UserName,Password,command,path,localfile,remotefile"),
        admin("GetComPortData", "port"),
        admin("GetURL", "host,page,strip_tags,port"),
        admin("GetURLIE", "host,strip_tags"),
        admin("InstallScript", "scrName,param"),
        admin("MailDate", "index"),
        admin("MailFrom", "index"),
        admin("MailFromDisplay", "index"),
        admin("MailSubject", "index"),
        admin("MailText", "index"),
        admin("MailTo", "index"),
        admin("MailToDisplay", "index"),
        admin("OpenComPort", "port,config,mode,cb_script,cb_func"),
        admin("OpenComPortEx", "port,config,mode,cb_script,cb_func,term,res"),
        admin("UpdateSingleDevice", "hc,dc,stat,level"),
        admin("EncryptString", "sToEncrypt,sPassword,bRecurse"),
        admin("PhoneEvent", "eline,evnum,dtmf"),
        admin("PrintOut", "txt"),
        admin("PrintOutRaw", "txt,port"),
        admin("RegisterLink", "cbo"),
        admin("SendToComPort", "port,str"),
        admin("SetComPortRTSDTR", "port,rtsval,dtrval"),
        // Only the number of their arguments is known: positional names p1, p2, ...
        admin("SetStatusChange", "p1,p2,p3,p4,p5"),
        admin("SetX10Event", "p1,p2,p3,p4,p5"),
        admin("SetX10TransmitEvent", "p1,p2,p3,p4,p5,p6"),
        admin("NewRecurringEvent", "p1,p2,p3,p4,p5,p6,p7,p8,p9,p10,p11,p12,p13"),
        admin("NewTimeEvent", "p1,p2,p3,p4,p5,p6,p7,p8,p9,p10,p11,p12,p13,p14"),
        admin("Transmit", "p1,p2,p3,p4,p5,p6,p7,p8"),
        admin("PutURL", "p1,p2"),
        admin("URLAction", "p1,p2,p3,p4"),
    };
    return notes;
}

// The host callback object: everything it does drives the host or the plug-in's
// start-up, so every member stays Admin; the notes name the arguments.
const std::vector<MemberNote>& setupNotes()
{
    static const std::vector<MemberNote> notes = {
        admin("GetSelectedPlugins", "sPlugin"),
        admin("RegisterMenu", "sInterface,sTitle"),
        admin("RegisterMenuEx", "sInterface,sTitle,sDisplay"),
        admin("UnRegisterAllMenus", "sName"),
        admin("ForceFront", "iHwnd"),
        admin("CheckTrigger", "sText"),
        admin("X10Event", "units,houseCode,command,extra1,extra2"),
        admin("IREvent", "IR_NUMBER"),
        admin("WriteSplash", "sText"),
        admin("ValueChangeEvent", "device,value"),
        admin("DisplayEvDTMF", "bFlag"),
        admin("RegisterProxySpeakPlug", "sInterace,frmObject"),
        admin("UnRegisterProxySpeakPlug", "sInterace"),
        admin("RegisterEventCB", "iType,obj"),
        admin("SendXapMessage", "sTarget,sClass,sSection,sBody,sSubaddress,sUID"),
    };
    return notes;
}

// A message object works on itself only: reading and building it is Control.
const std::vector<MemberNote>& xapMessageNotes()
{
    static const std::vector<MemberNote> notes = {
        control("AddHeader"),
        control("AddItem", "sSection,sItem,sValue"),
        control("AddSection", "sSection"),
        control("CompareAddress", "sItem1,sItem2"),
        control("CompareClass", "sClass"),
        control("CompareSource", "sSource"),
        control("CompareTarget", "sTarget"),
        control("FromXap", "sRawMessage"),
        control("GetItem", "sSection,sItem"),
        control("Init", "sMessage"),
        control("Reset"),
        control("ToXap"),
        control("msgCollection", "index"),
    };
    return notes;
}

// A text builder works on itself only: Control, like the xAP message. The same builder
// made by name (CreateClassString) is served as clsString.
const std::vector<MemberNote>& fastStringNotes()
{
    static const std::vector<MemberNote> notes = {
        control("Add", "strValue"),
    };
    return notes;
}

// Collections: the device and event lists (host-owned: adding and removing change the
// host's records, Admin) and a message section's items (read-only). Reading is Control.
const std::vector<MemberNote>& collectionNotes()
{
    static const std::vector<MemberNote> notes = {
        admin("Add", "Item,Key,Before,After"),
        control("Item", "Index"),
        admin("Remove", "Index"),
    };
    return notes;
}

// The records (DeviceClass, EventClass, condition, devFunc, CustomStatus), objcb and FRH
// publish properties and methods without arguments only: they need no names here and
// keep the default access (their properties are read through Properties.Get).
const std::array<ClassNotes, 6>& classes()
{
    static const std::array<ClassNotes, 6> all = {
        ClassNotes{"Application", applicationNotes()},
        ClassNotes{"Setup", setupNotes()},
        ClassNotes{"XapMessage", xapMessageNotes()},
        ClassNotes{"FastString", fastStringNotes()},
        ClassNotes{"clsString", fastStringNotes()},
        ClassNotes{"Collection", collectionNotes()},
    };
    return all;
}

void allow(std::string& out, std::string_view attributes)
{
    out += "    <allow send_destination=\"org.tallis.Tallis\" ";
    out += attributes;
    out += "/>\n";
}

} // namespace

std::span<const ClassNotes> automationMemberNotes()
{
    return classes();
}

std::string automationBusPolicy()
{
    std::string out =
        "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN\"\n"
        " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
        "<!-- Tallis's automation interface on the system bus (tallis run as the system service\n"
        "     with TALLIS_BUS=system). Generated from the members' access notes by\n"
        "     tallis-bus-policy: do not edit by hand.\n"
        "     Only root and the user tallis may own the name. Root, the user tallis and the\n"
        "     group tallis-admin may call every member: tallis-admin is equivalent to the\n"
        "     service account (it runs scripts and programs, writes settings). The group\n"
        "     tallis may read state and records and control devices. -->\n"
        "<busconfig>\n"
        "  <policy context=\"default\">\n"
        "    <deny own=\"org.tallis.Tallis\"/>\n"
        "    <deny send_destination=\"org.tallis.Tallis\"/>\n"
        "  </policy>\n"
        "  <policy group=\"tallis\">\n";
    allow(out, "send_interface=\"org.freedesktop.DBus.Introspectable\"");
    allow(out, "send_interface=\"org.freedesktop.DBus.Peer\"");
    allow(out, "send_interface=\"org.freedesktop.DBus.ObjectManager\"");
    allow(out, "send_interface=\"org.freedesktop.DBus.Properties\" send_member=\"Get\"");
    allow(out, "send_interface=\"org.freedesktop.DBus.Properties\" send_member=\"GetAll\"");
    allow(out, "send_interface=\"org.tallis.Automation\" send_member=\"Release\"");
    for (const ClassNotes& c : classes()) {
        for (const MemberNote& m : c.members) {
            if (m.access != Access::Control)
                continue;
            allow(out, "send_interface=\"org.tallis." + std::string(c.className) + "\" send_member=\"" + std::string(m.member)
                           + "\"");
        }
    }
    out += "  </policy>\n"
           "  <policy group=\"tallis-admin\">\n"
           "    <allow send_destination=\"org.tallis.Tallis\"/>\n"
           "  </policy>\n"
           "  <policy user=\"tallis\">\n"
           "    <allow own=\"org.tallis.Tallis\"/>\n"
           "    <allow send_destination=\"org.tallis.Tallis\"/>\n"
           "  </policy>\n"
           "  <policy user=\"root\">\n"
           "    <allow own=\"org.tallis.Tallis\"/>\n"
           "    <allow send_destination=\"org.tallis.Tallis\"/>\n"
           "  </policy>\n"
           "</busconfig>\n";
    return out;
}

} // namespace shell
