// The member table of the host object, in slot order: host-wide and system members,
// devices, device state, forwarding, variables and settings, events and scripts, then
// the members with fixed results and those that do nothing.
#include "Application.h"
#include "HostMember.h"

namespace host {

using A = Application;
using namespace result;

const vb::MemberTable<Application>& Application::members()
{
    static const vb::MemberTable<Application> table("Application", {
        // Host-wide and system members.
        working<&A::InitScriptControl>("InitScriptControl"),
        working<&A::System>("System"),
        fixed<0, &Version>("Version"),
        fixed<0, &InterfaceVersion>("InterfaceVersion"),
        working<&A::GetAppPath>("GetAppPath"),
        working<&A::GetPlugins>("GetPlugins"),
        workingGet<&A::GetDebugMode>("DebugMode"),
        workingLet<&A::LetDebugMode>("DebugMode"),
        workingGet<&A::GetNoLog>("NoLog"),
        workingLet<&A::LetNoLog>("NoLog"),
        working<&A::WaitEvents>("WaitEvents"),
        working<&A::CreateClassString>("CreateClassString"),

        // Device records and lookup.
        working<&A::NewDevice>("NewDevice"),
        working<&A::NewDeviceEx>("NewDeviceEx"),
        working<&A::GetDevice>("GetDevice"),
        working<&A::GetDeviceByRef>("GetDeviceByRef"),
        working<&A::GetDeviceEx>("GetDeviceEx"),
        working<&A::GetDeviceByCode>("GetDeviceByCode"),
        working<&A::GetDeviceCode>("GetDeviceCode"),
        working<&A::GetDeviceRef>("GetDeviceRef"),
        working<&A::GetDeviceRefByName>("GetDeviceRefByName"),
        working<&A::GetDeviceList>("GetDeviceList"),
        working<&A::DeviceExists>("DeviceExists"),
        working<&A::DeleteDevice>("DeleteDevice"),
        workingGet<&A::DeviceCount>("DeviceCount"),
        ignoredLet("DeviceCount"),

        // Device state, listeners and X10 commands.
        working<&A::SetDeviceStatus>("SetDeviceStatus"),
        working<&A::SetDeviceStatusNoReport>("SetDeviceStatusNoReport"),
        working<&A::SetDeviceValue>("SetDeviceValue"),
        working<&A::SetDeviceValueNoReport>("SetDeviceValueNoReport"),
        working<&A::SetDeviceValueByName>("SetDeviceValueByName"),
        working<&A::SetDeviceString>("SetDeviceString"),
        working<&A::SetDeviceStringByName>("SetDeviceStringByName"),
        working<&A::SetDeviceTime>("SetDeviceTime"),
        working<&A::SetDeviceLastChange>("SetDeviceLastChange"),
        working<&A::DeviceStatus>("DeviceStatus"),
        working<&A::DeviceValue>("DeviceValue"),
        working<&A::DeviceValueByName>("DeviceValueByName"),
        working<&A::DeviceString>("DeviceString"),
        working<&A::DeviceStringByName>("DeviceStringByName"),
        working<&A::DeviceTime>("DeviceTime"),
        working<&A::DeviceTimeByName>("DeviceTimeByName"),
        working<&A::DeviceLastChange>("DeviceLastChange"),
        working<&A::isOn>("isOn"),
        working<&A::isOnByName>("isOnByName"),
        working<&A::isOff>("isOff"),
        working<&A::isOffByName>("isOffByName"),
        working<&A::ExecX10>("ExecX10"),
        working<&A::ExecX10ByName>("ExecX10ByName"),
        working<&A::ExecX10NoLog>("ExecX10NoLog"),
        vb::method<&A::SetX10Status>("SetX10Status"), // no trap of its own
        working<&A::RegisterEventCB>("RegisterEventCB"),
        working<&A::RegisterStatusChangeCB>("RegisterStatusChangeCB"),
        vb::method<&A::SetSilentDeviceCollection>("SetSilentDeviceCollection"), // no trap of its own

        // Speech, infrared, IO, log lines, desktop.
        working<&A::Speak>("Speak"),
        working<&A::SpeakEx>("SpeakEx"),
        working<&A::SpeakToFile>("SpeakToFile"),
        working<&A::SendIR>("SendIR"),
        working<&A::ExecIO>("ExecIO"),
        unnamed<&A::hsSetIO>("hsSetIO"),
        working<&A::WriteLog>("WriteLog"),
        working<&A::Keys>("Keys"),
        working<&A::Launch>("Launch"),

        // Variables, INI files, utilities.
        working<&A::CreateVar>("CreateVar"),
        working<&A::GetVar>("GetVar"),
        working<&A::SaveVar>("SaveVar"),
        working<&A::DeleteVar>("DeleteVar"),
        working<&A::GetINISetting>("GetINISetting"),
        working<&A::SaveINISetting>("SaveINISetting"),
        working<&A::GetINISection>("GetINISection"),
        working<&A::ClearIniSection>("ClearIniSection"),
        working<&A::StringItem>("StringItem"),
        working<&A::GetScriptPath>("GetScriptPath"),
        working<&A::WaitSecs>("WaitSecs"),
        workingGet<&A::NewUpdateAvailable>("NewUpdateAvailable"),
        ignoredLet("NewUpdateAvailable"),

        // Event records, scripts, plug-ins.
        working<&A::NewEvent>("NewEvent"),
        working<&A::NewEventEx>("NewEventEx"),
        working<&A::GetEvent>("GetEvent"),
        working<&A::GetEventIndex>("GetEventIndex"),
        working<&A::GetEventEx>("GetEventEx"),
        working<&A::GetEventList>("GetEventList"),
        workingGet<&A::EventCount>("EventCount"),
        ignoredLet("EventCount"),
        working<&A::EventExists>("EventExists"),
        working<&A::DeleteEvent>("DeleteEvent"),
        working<&A::EnableEvent>("EnableEvent"),
        working<&A::DisableEvent>("DisableEvent"),
        working<&A::Run>("Run"),
        working<&A::RunEx>("RunEx"),
        working<&A::NewCondition>("NewCondition"),
        working<&A::NewDevFunc>("NewDevFunc"),
        workingGet<&A::plugin>("plugin"),

        // Fixed results.
        fixed<2, &BooleanTrue>("WEBValidateUser"),
        fixedGet<&Eight>("Sunrise"),
        ignoredLet("Sunrise"),
        fixedGet<&Eight>("Sunset"),
        ignoredLet("Sunset"),
        fixedGet<&Now>("SunriseDt"),
        ignoredLet("SunriseDt"),
        fixedGet<&Now>("SolarNoon"),
        ignoredLet("SolarNoon"),
        fixedGet<&EightAsDate>("SunsetDt"),
        ignoredLet("SunsetDt"),
        fixedGet<&TimeZone>("TimeZoneName"),
        ignoredLet("TimeZoneName"),

        // Subs that accept their arguments and do nothing.
        fixed<1>("AddVoiceCommand"),
        fixed<0>("AppReset"),
        fixed<0>("ClearAllVoiceCommands"),
        fixed<0>("ClearLastX10"),
        fixed<0>("ClearLog"),
        fixed<2>("DelayTrigger"),
        fixed<1>("DeleteIODevices"),
        fixed<3>("DeviceButtonAdd"),
        fixed<2>("DeviceButtonRemove"),
        fixed<3>("DeviceValueAdd"),
        fixed<0>("EnterCriticalSection"),
        fixed<0>("ExitCriticalSection"),
        fixed<5>("ftpSetProxy"),
        fixed<1>("ListenForCommands"),
        fixed<1>("MailDelete"),
        fixed<1>("MediaMute"),
        fixed<0>("MediaPause"),
        fixed<0>("MediaPlay"),
        fixed<0>("MediaStop"),
        fixed<1>("PlayWavFile"),
        fixed<4>("PlayWavFileEx"),
        fixed<1>("PollDevice"),
        fixed<0>("PowerFailRecover"),
        fixed<2>("RemoveDelayedEvent"),
        fixed<0>("ResetHSPCallback"),
        fixed<0>("RestartSystem"),
        fixed<5>("SendEmail"),
        fixed<2>("SetAudioEvent"),
        fixed<3>("SetConfigChangeEvent"),
        fixed<1>("SetHSPCallback"),
        fixed<3>("SetLogEvent"),
        fixed<1>("SetRemoteTimeout"),
        fixed<1>("SetSecurityMode"),
        fixed<1>("SetSpeaker"),
        fixed<5>("SetStatusChange"),
        fixed<2>("SetStringChangeEvent"),
        fixed<3>("SetVolume"),
        fixed<1>("SetVRThreshold"),
        fixed<5>("SetX10Event"),
        fixed<6>("SetX10TransmitEvent"),
        fixed<0>("shutdown"),
        fixed<3>("SpeakProxy"),
        fixed<0>("StartListen"),
        fixed<0>("StopListen"),
        fixed<0>("StopSpeaking"),

        // Properties whose Let drops the value (those with a Get of their own follow below).
        ignoredLet("DaylightSavings"),
        ignoredLet("hwnd"),
        ignoredLet("LastCommandSelected"),
        ignoredLet("LastVoiceCommand"),
        ignoredLet("MediaFilename"),
        ignoredLet("MediaVolume"),
        ignoredLet("MuteSpeech"),
        ignoredLet("ScheduleFile"),
        ignoredLet("ThreadID"),
        ignoredLet("WEBStatsPageViews"),

        // Members that do nothing and return False.
        fixed<0, &BooleanFalse>("AppStarting"),
        fixed<2, &BooleanFalse>("CheckRunStatus"),
        fixedGet<&BooleanFalse>("DaylightSavings"),
        fixed<1, &BooleanFalse>("isScriptRunning"),
        fixed<0, &BooleanFalse>("MediaIsPlaying"),
        fixedGet<&BooleanFalse>("MuteSpeech"),

        // Members that do nothing and return 0 (Integer or Long as the interface has it).
        fixed<1, &IntegerZero>("GetComPortCount"),
        fixed<2, &LongZero>("GetVolume"),
        fixedGet<&LongZero>("hwnd"),
        fixed<0, &IntegerZero>("ListenMode"),
        fixed<0, &LongZero>("LocalDST"),
        fixed<0, &LongZero>("LocalTimeZone"),
        fixed<0, &IntegerZero>("MailMsgCount"),
        fixed<0, &LongZero>("MailTrigger"),
        fixedGet<&LongZero>("MediaVolume"),
        fixed<2, &IntegerZero>("MoveSettings"),
        fixed<6, &LongZero>("NewIRKey"),
        fixed<13, &IntegerZero>("NewRecurringEvent"),
        fixed<14, &IntegerZero>("NewTimeEvent"),
        fixed<2, &IntegerZero>("ping"),
        fixed<1, &IntegerZero>("SetSpeakingSpeed"),
        fixedGet<&LongZero>("ThreadID"),
        fixed<8, &IntegerZero>("Transmit"),
        fixed<1, &IntegerZero>("TriggerEvent"),
        fixed<2, &IntegerZero>("TriggerEventEx"),
        fixedGet<&IntegerZero>("WEBStatsPageViews"),
        fixed<0, &IntegerZero>("X10InterfaceStatus"),

        // Members that do nothing and return an empty text.
        fixed<1, &EmptyText>("CloseComPort"),
        fixed<3, &EmptyText>("ControlThermostat"),
        fixed<2, &EmptyText>("DecryptString"),
        fixed<0, &EmptyText>("DeviceVCBuild"),
        fixed<3, &EmptyText>("DeviceVCProcess"),
        fixed<7, &EmptyText>("ftp"),
        fixed<0, &EmptyText>("FTPLastError"),
        fixed<1, &EmptyText>("GetComPortData"),
        fixed<0, &EmptyText>("GetIPAddress"),
        fixed<0, &EmptyText>("GetLastEvent"),
        fixed<4, &EmptyText>("GetURL"),
        fixed<2, &EmptyText>("GetURLIE"),
        fixed<2, &EmptyText>("InstallScript"),
        fixedGet<&EmptyText>("LastCommandSelected"),
        fixed<0, &EmptyText>("LastSecurityEvent"),
        fixedGet<&EmptyText>("LastVoiceCommand"),
        fixed<0, &EmptyText>("LastX10"),
        fixed<1, &EmptyText>("MailDate"),
        fixed<1, &EmptyText>("MailFrom"),
        fixed<1, &EmptyText>("MailFromDisplay"),
        fixed<1, &EmptyText>("MailSubject"),
        fixed<1, &EmptyText>("MailText"),
        fixed<1, &EmptyText>("MailTo"),
        fixed<1, &EmptyText>("MailToDisplay"),
        fixedGet<&EmptyText>("MediaFilename"),
        fixed<5, &EmptyText>("OpenComPort"),
        fixed<7, &EmptyText>("OpenComPortEx"),
        fixed<2, &EmptyText>("PutURL"),
        fixedGet<&EmptyText>("ScheduleFile"),
        fixed<0, &EmptyText>("SystemUpTime"),
        fixed<4, &EmptyText>("UpdateSingleDevice"),
        fixed<4, &EmptyText>("URLAction"),
        fixed<0, &EmptyText>("WebLoggedInUser"),

        // Members that do nothing and return a Variant holding an empty text.
        fixed<3, &EmptyTextInVariant>("EncryptString"),
        fixed<3, &EmptyTextInVariant>("PhoneEvent"),
        fixed<1, &EmptyTextInVariant>("PrintOut"),
        fixed<2, &EmptyTextInVariant>("PrintOutRaw"),
        fixed<1, &EmptyTextInVariant>("RegisterLink"),
        fixed<0, &EmptyTextInVariant>("SaveEventDevices"),
        fixed<2, &EmptyTextInVariant>("SendToComPort"),
        fixed<3, &EmptyTextInVariant>("SetComPortRTSDTR"),
        fixed<0, &EmptyTextInVariant>("UnregisterStatusChangeCB"),

        // Members that do nothing and return no object.
        fixed<0, &NoObject>("GetHSPRef"),
        fixed<0, &NoObject>("GetPrinter"),
    });
    return table;
}

vb::Variant Application::invoke(vb::MemberId id, vb::CallKind kind, vb::Args args)
{
    const auto& list = members().members();
    if (id < 0 || id >= static_cast<vb::MemberId>(list.size()))
        vb::raiseError(vb::err::NoSuchMember);
    // The state stays alive for the whole call, even if the call unloads the host core.
    const vb::Ref<HostState> pin(loadedState(registry_));
    struct Restore {
        std::string_view& slot;
        std::string_view saved;
        ~Restore() { slot = saved; }
    } restore{callingMember_, callingMember_};
    callingMember_ = list[static_cast<std::size_t>(id)].name;
    return members().invoke(*this, id, kind, args);
}

} // namespace host
