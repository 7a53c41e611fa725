// Application: the one emulated host object (known to scripts as `hs`, to the script
// engine as "xap").
//
// It publishes the member set of the host's scripting interface by name. About a third
// of the members do real work on the host-wide state (HostState); the others accept
// their arguments and return a fixed value. The member table is in
// ApplicationMembers.cpp; the working members are grouped by family:
//   Application.cpp             creation and host-wide members
//   ApplicationDevices.cpp      device records and lookup
//   ApplicationDeviceState.cpp  device state, listeners, X10 commands
//   ApplicationForwarding.cpp   speech, infrared, IO, log lines, desktop
//   ApplicationSettings.cpp     variables, INI files, utilities
//   ApplicationEvents.cpp       event records, scripts, plug-ins
//
// Error convention: a member called by name runs under an error trap. A failure inside
// it is reported through LogEvent with the source "raruveViziva" and the member's name
// ("" for hsSetIO), and the member returns its type's default; nothing reaches the
// caller. SetSilentDeviceCollection and SetX10Status have no trap. A wrong argument
// count or an argument that cannot be converted to its parameter's type is the
// caller's error, as with any late-bound call, and is raised to the caller.
//
// The C++ methods below are the member bodies without the trap; they raise on failure.
// Code that stands for a call of another member (one member calling another) goes
// through guarded() so that the callee's own trap applies.
#pragma once

#include "HostRegistry.h"
#include "HostState.h"

#include "automation/MemberTable.h"
#include "xap/ProgramState.h"
#include "xap/Logging.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace host {

class DeviceClass;

class Application final : public vb::Dispatch<Application> {
public:
    static const vb::MemberTable<Application>& members();

    // Creation: makes sure Data/raruveViziva.txt exists (an existing file is left as it
    // is), then prepares the script engine (InitScriptControl). The object serves the
    // program whose state and host registry it is given; both outlive it.
    static vb::Ref<Application> create(xap::ProgramState& program, HostRegistry& registry);
    Application(xap::ProgramState& program, HostRegistry& registry);

    // Calls by name run with the calling member's name known to the trap.
    vb::Variant invoke(vb::MemberId id, vb::CallKind kind, vb::Args args) override;
    using vb::Dispatch<Application>::invoke;

    // The program the host object works for.
    xap::ProgramState& program() const { return program_; }

    // The name of the member whose call is running ("" outside any call).
    std::string_view callingMember() const { return callingMember_; }

    // Runs `body` under the trap of the member `name` and returns its result, or R's
    // default after the failure has been reported through the program's LogEvent.
    template <class R = void, class Body>
    R guarded(std::string_view name, Body&& body)
    {
        if constexpr (std::is_void_v<R>) {
            vb::trap(xap::logEventReporter(program_), xap::kProgramName, name, std::forward<Body>(body));
        } else {
            R result{};
            vb::trap(xap::logEventReporter(program_), xap::kProgramName, name, [&] { result = body(); });
            return result;
        }
    }

    // Host-wide and system members.
    void InitScriptControl();
    vb::Ref<vb::Object> System();
    std::string GetAppPath();
    vb::Ref<vb::Object> GetPlugins();
    std::int32_t GetDebugMode();
    void LetDebugMode(std::int32_t i);
    bool GetNoLog();
    void LetNoLog(bool b);
    void WaitEvents();
    vb::Ref<vb::Object> CreateClassString();

    // Device records and lookup.
    std::int16_t NewDevice(const std::string& name, vb::Optional<std::string> sDC);
    vb::Ref<vb::Object> NewDeviceEx(const std::string& name, vb::Optional<std::string> sDC);
    vb::Ref<vb::Object> GetDevice(std::int16_t index);
    vb::Ref<vb::Object> GetDeviceByRef(std::int32_t ref);
    vb::Ref<vb::Object> GetDeviceEx(const std::string& deviceName);
    vb::Ref<vb::Object> GetDeviceByCode(const std::string& device);
    std::string GetDeviceCode(const std::string& name);
    std::int32_t GetDeviceRef(const std::string& sAddress);
    std::int32_t GetDeviceRefByName(const std::string& deviceName);
    vb::Ref<vb::Object> GetDeviceList();
    std::int16_t DeviceExists(const std::string& device);
    bool DeleteDevice(std::int32_t ref);
    std::int16_t DeviceCount();

    // Device state and its reports.
    void SetDeviceStatus(const std::string& dev, std::int16_t Status);
    void SetDeviceStatusNoReport(const std::string& dev, std::int16_t Status, std::int16_t iReport);
    void SetDeviceValue(const std::string& dev, std::int32_t value);
    void SetDeviceValueNoReport(const std::string& dev, std::int32_t value, std::int16_t iReport);
    void SetDeviceValueByName(const std::string& devName, std::int32_t value);
    void SetDeviceString(const std::string& dev, const std::string& str, vb::Optional<bool> Reset);
    void SetDeviceStringByName(const std::string& devName, const std::string& str, vb::Optional<bool> Reset);
    void SetDeviceTime(const std::string& dev, std::int32_t value);
    void SetDeviceLastChange(const std::string& dev, vb::Date change_time);
    std::int16_t DeviceStatus(const std::string& dev);
    std::int32_t DeviceValue(const std::string& dev);
    std::int32_t DeviceValueByName(const std::string& name);
    std::string DeviceString(const std::string& dev);
    std::string DeviceStringByName(const std::string& name);
    std::int32_t DeviceTime(const std::string& dev);
    std::int32_t DeviceTimeByName(const std::string& name);
    vb::Date DeviceLastChange(const std::string& dev);
    bool isOn(const std::string& device);
    bool isOnByName(const std::string& deviceName);
    bool isOff(const std::string& device);
    bool isOffByName(const std::string& deviceName);
    std::int16_t ExecX10(const std::string& device, const std::string& cmd, vb::Optional<std::int16_t> dimlevel,
                         vb::Optional<std::int16_t> data2, vb::Optional<vb::Variant> unused);
    std::int16_t ExecX10ByName(const std::string& name, const std::string& cmd, vb::Optional<std::int16_t> dimlevel,
                               vb::Optional<std::int16_t> data2, vb::Optional<vb::Variant> unused);
    std::int16_t ExecX10NoLog(const std::string& device, const std::string& cmd, vb::Optional<std::int16_t> dimlevel,
                              vb::Optional<std::int16_t> data2, vb::Optional<vb::Variant> unused);
    void SetX10Status(const std::string& device, const std::string& cmd, std::int16_t dimlevel, std::int16_t data2);
    void RegisterEventCB(std::int32_t evtype, vb::Ref<vb::Object> obj);
    vb::Variant RegisterStatusChangeCB(const std::string& script, const std::string& func);
    void SetSilentDeviceCollection(vb::Ref<vb::Object> c);

    // Speech, infrared, IO, log lines, desktop.
    void Speak(const std::string& sText, vb::Optional<bool> Wait);
    void SpeakEx(std::int16_t device, const std::string& text, vb::Optional<bool> Wait);
    void SpeakToFile(const std::string& txt, const std::string& voice, const std::string& Filename);
    void SendIR(const std::string& ir);
    void ExecIO(const std::string& code, const std::string& cmd, std::int16_t brightness, std::int16_t iData1);
    void hsSetIO(const vb::Variant& device, const std::string& house, const std::string& unit, std::int16_t command,
                 std::int32_t level, std::int16_t data1, std::int16_t data2);
    void WriteLog(const std::string& c, const std::string& message);
    void Keys(const std::string& k, const std::string& title, vb::Optional<bool> Wait);
    std::int32_t Launch(const std::string& name, vb::Optional<std::string> params, vb::Optional<std::string> direc);

    // Variables, INI files, utilities.
    std::string CreateVar(const std::string& name);
    std::string SaveVar(const std::string& name, const vb::Variant& obj);
    vb::Variant GetVar(const std::string& name);
    void DeleteVar(const std::string& name);
    std::string GetINISetting(const std::string& section, const std::string& key, const std::string& defaultValue,
                              vb::Optional<std::string> Filename);
    void SaveINISetting(const std::string& section, const std::string& key, const vb::Variant& value,
                        vb::Optional<std::string> Filename);
    std::string GetINISection(const std::string& section, const std::string& Filename);
    void ClearIniSection(const std::string& section, const std::string& Filename);
    std::string StringItem(const std::string& st, std::int32_t idx, const std::string& sep);
    std::string GetScriptPath();
    void WaitSecs(std::int16_t secs);
    vb::Variant NewUpdateAvailable();

    // Event records, scripts, plug-ins.
    std::int16_t NewEvent(const std::string& name);
    vb::Ref<vb::Object> NewEventEx(const std::string& name);
    vb::Ref<vb::Object> GetEvent(std::int16_t index);
    std::int16_t GetEventIndex(const std::string& eventName);
    vb::Ref<vb::Object> GetEventEx(const std::string& eventName);
    bool EventExists(const std::string& eventName);
    vb::Ref<vb::Object> GetEventList();
    std::int16_t EventCount();
    void DeleteEvent(const std::string& evname);
    void EnableEvent(const std::string& evname);
    void DisableEvent(const std::string& evname);
    void Run(const std::string& scr);
    vb::Variant RunEx(const std::string& scr, const std::string& func, const std::string& param);
    vb::Ref<vb::Object> NewCondition();
    vb::Ref<vb::Object> NewDevFunc();
    vb::Ref<vb::Object> plugin(const std::string& name);

    // The path of an INI file of `program`'s Config folder, as the INI members address it.
    static std::string iniFilePath(const xap::ProgramState& program, std::string_view fileName);
    // The shared store holding `fileName` of this program's Config folder: loaded from
    // disk only when the store last held another file, so changes made by others are
    // not seen until then.
    services::IniTool& loadSharedIni(const std::string& fileName);
    // Saves the shared store. When the save fails the store forgets its file, so the
    // next use reads the file again and nobody reads a value the disk does not hold.
    bool saveSharedIni(services::IniTool& store);

    // The registry this object was made for.
    HostRegistry& registry() const { return registry_; }

private:
    // The device record at a 1-based position that a first-match scan found, or null.
    vb::Ref<vb::Object> findByCode(std::string_view code, std::size_t* position = nullptr);
    vb::Ref<vb::Object> findByFullName(std::string_view fullName);
    void setStatus(const std::string& dev, std::int16_t status, bool reportToListeners);
    void setValue(const std::string& dev, std::int32_t value, bool callInputOutput);
    void execX10(const std::string& device, const std::string& cmd, std::int16_t dimlevel, std::int16_t data2);
    void sendVoice(std::initializer_list<std::pair<std::string_view, std::string_view>> items);
    // The loaded host state of this object's registry; raises 91 when none is loaded.
    HostState& hostState() const;

    xap::ProgramState& program_;
    HostRegistry& registry_;
    std::string_view callingMember_;
};

} // namespace host
