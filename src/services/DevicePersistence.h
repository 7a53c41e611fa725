// Saving the device records at shutdown and restoring them at start, in
// Config/vynTallis.ini, section "PluginDevices".
//
// One key per device: the device code (house character upper-cased, then the unit
// text), and as value six fields joined by ";" with no quoting:
//     location;name;status;value;last change;status text
// for example A1=Kitchen;Lamp;2;0;12/7/2026 7:05:09 PM;On. The last change is written
// and read in the program's one general date format.
#pragma once

#include <cstdint>
#include <string>

namespace host {
class Application;
}

namespace services {

inline constexpr const char* kDeviceFile = "vynTallis.ini";
inline constexpr const char* kDeviceSection = "PluginDevices";

// Writes every device of the host's device list, replacing the section. Works as if
// the section were emptied and saved, then each device written and saved in turn, but
// saves the file once: the result is the same file, and the "_bck" copy holds the file
// as it was before this save. CR and LF in a name, location, status text or code are
// written as blanks, so that no value can add lines to the file. A device whose
// fields cannot be read is reported ("SaveDevices " + code) and left out.
void saveDevices(host::Application& app);

// Recreates the devices of the section through the host object's members while the
// host is loading (so nobody is notified). Each restored device gets interface
// "raruveViziva", dev_type_string "Audrey" and iotype 4. Entries are read leniently: a
// step that fails is reported ("InitDevices " + code) and the next step runs.
void initDevices(host::Application& app);

// One device's value as saved (the six fields), CR and LF replaced by blanks.
std::string deviceRecordText(const std::string& location, const std::string& name, std::int16_t status,
                             std::int32_t value, const std::string& lastChange, const std::string& statusText);

} // namespace services
