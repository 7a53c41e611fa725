// The emulated host's shared state: device records and their state tables, events,
// listeners, variables, dictionaries and flags.
//
// The host core creates one HostState when its form loads and releases it when it
// unloads; every member of the host object works on it. A member call holds a
// reference for its whole duration, so a call that unloads the host core while another
// call is still running does not pull the state from under it.
#pragma once

#include "DeviceCode.h"

#include "automation/Collection.h"
#include "automation/Dictionary.h"
#include "automation/Ref.h"
#include "ini/IniTool.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace host {

class Application;
struct HostRegistry;

// Event bits 1, 2, 4 ... 64 each have a list of listeners; list i holds bit 2^i.
inline constexpr int kListenerLists = 7;
enum ListenerList : int {
    kLogListeners = 1,    // bit 2: WriteLog
    kStateListeners = 2,  // bit 4: status and value changes
    kAudioListeners = 3,  // bit 8: Speak
    kX10Listeners = 4,    // bit 16: SetX10Status
    kStringListeners = 6, // bit 64: SetDeviceString
};

// The five device state tables, one entry per cell (row * kUnitCount + unit).
struct DeviceStateTables {
    std::vector<std::int16_t> status = std::vector<std::int16_t>(kRowCount * kUnitCount);
    std::vector<std::int32_t> value = std::vector<std::int32_t>(kRowCount * kUnitCount);
    std::vector<std::string> text = std::vector<std::string>(kRowCount * kUnitCount);
    std::vector<vb::Date> lastChange = std::vector<vb::Date>(kRowCount * kUnitCount);
    std::vector<std::int32_t> time = std::vector<std::int32_t>(kRowCount * kUnitCount);
};

class HostState final : public vb::RefCounted {
public:
    HostState();
    ~HostState() override;

    // Device records and their state.
    HouseRowTable houseRows;
    DeviceStateTables tables;
    std::int32_t lastDeviceRef = 0;

    // Listeners and status-change callbacks ("script" + Chr(0) + "function").
    std::array<std::vector<vb::Ref<vb::Object>>, kListenerLists> eventListeners;
    // The listeners registered through the host callback object, that is by the hosted
    // plug-in; a restart of the plug-in removes them (identity only, no reference).
    std::vector<const vb::Object*> pluginListeners;
    std::vector<std::string> statusChangeCallbacks;

    // Dictionaries made by the host's initialisation; null before it and after shutdown.
    vb::Ref<vb::Dictionary> x10CommandCodes; // "ON" 2, "OFF" 3, "DIM" 4, "BRIGHT" 5, case-insensitive
    vb::Ref<vb::Dictionary> variableTable;   // case-insensitive names
    vb::Ref<vb::Dictionary> silentDevices;

    // Upper-case "LABEL BUTTON" -> "index,zone".
    std::unordered_map<std::string, std::string> irDictionary;

    // The INI store shared by the host object's INI members, and the name of the file it
    // last loaded ("" before the first).
    std::unique_ptr<services::IniTool> sharedIni;
    std::string sharedIniFile;

    bool hostLoading = false;
    std::int32_t debugModeSetting = 0;
    bool noLogSetting = false;

    // The one host object.
    vb::Ref<Application> hostObject;

    // The ordered device and event lists, created empty on first use.
    vb::Collection& deviceList();
    vb::Collection& eventList();
    vb::Ref<vb::Collection> deviceListRef();
    vb::Ref<vb::Collection> eventListRef();
    void releaseLists();

    // The shared INI store, created on first use with the INI state `ini` of the
    // program it serves (which outlives it).
    services::IniTool& iniStore(services::IniState& ini);

private:
    vb::Ref<vb::Collection> deviceList_;
    vb::Ref<vb::Collection> eventList_;
};

// The state loaded in `registry`, or error 91 "Object variable not set" when the host
// core is not loaded there.
HostState& state(HostRegistry& registry);
// The state loaded in `registry` or null.
HostState* loadedState(HostRegistry& registry);

// Makes a fresh state the one loaded in `registry` (replacing any) and returns it.
HostState& createState(HostRegistry& registry);
// Drops the loaded state; calls still running keep their reference until they return.
void releaseState(HostRegistry& registry);

} // namespace host
