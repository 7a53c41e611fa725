// Saving the device records at shutdown and restoring them at start, in
// Config/vynTallis.ini, section "PluginDevices".
//
// One key per device: the device code (house character upper-cased, then the unit
// text), and as value six fields joined by ";" with no quoting:
//     location;name;status;value;last change;status text
// for example A1=Kitchen;Lamp;2;0;12/7/2026 7:05:09 PM;On. The last change is written
// and read in the program's one general date format.
//
// What an INI line cannot carry is written as "%" and two upper-case hex digits, in the
// code and in every text field: "%" itself, ";" (the field separator), the double quote
// (removed from the file on reading), "=", the NUL byte, a blank at the start of the
// code and a blank at the end of the line (INI lines are trimmed). So a status text
// "50% ;x" is written 50%25 %3Bx. CR and LF are written as blanks.
//
// A file in this form says so with the key DEVICETEXTENCODING=1 before its first
// section. Reading decodes "%XX" only in such a file: a file written before this form
// (without the key) is read as its texts stand, so "100%FF" stays "100%FF".
//
// A device file that exists but cannot be read at start is never written by that run,
// nor its "_bck": the run says so (a notice: log file and standard error), and saves
// its own devices beside it in vynTallis.ini.unsaved instead (replacing an older one).
#pragma once

#include <cstdint>
#include <string>

namespace host {
class Application;
}

namespace services {

struct ServicesState;

inline constexpr const char* kDeviceFile = "vynTallis.ini";
inline constexpr const char* kDeviceSection = "PluginDevices";
// The key (in the nameless section) that names the texts' encoding, and its value.
inline constexpr const char* kDeviceEncodingKey = "DeviceTextEncoding";
inline constexpr const char* kDeviceEncoding = "1";
// Appended to the device file's name for the devices of a run that did not load it.
inline constexpr const char* kUnsavedSuffix = ".unsaved";

// The program's services state `services` keeps what the last restore and save left.

// Writes every device of the host's device list, replacing the section. Works as if
// the section were emptied and saved, then each device written and saved in turn, but
// saves the file once: the result is the same file, and the "_bck" copy holds the file
// as it was before this save. CR and LF in a name, location, status text or code are
// written as blanks, so that no value can add lines to the file. A device whose
// fields cannot be read is reported ("SaveDevices " + code) and left out.
// Returns false when the file could not be written; lastDeviceSaveError() then says
// which file and why.
bool saveDevices(ServicesState& services, host::Application& app);
// As saveDevices; `announce` says whether saving beside an unreadable device file is
// told (the shutdown save tells where the devices went; checkpoints do not).
bool saveDevicesAnnounced(ServicesState& services, host::Application& app, bool announce);
// Why the device file could not be read at start; "" when it was read or missing.
const std::string& unreadableDeviceFileReason(ServicesState& services);
// "" after a save that succeeded, else the file and the reason ("<path>: Disk full").
const std::string& lastDeviceSaveError(ServicesState& services);

// A checkpoint: saves the devices of the loaded host (as saveDevices) when their records
// differ from those last restored or saved; does nothing without a loaded host. Returns
// true when it wrote the file.
bool checkpointDevices(ServicesState& services);

// Recreates the devices of the section through the host object's members while the
// host is loading (so nobody is notified). Each restored device gets interface
// "raruveViziva", dev_type_string "Audrey" and iotype 4. Entries are read leniently: a
// step that fails is reported ("InitDevices " + code) and the next step runs.
void initDevices(ServicesState& services, host::Application& app);

// One device's value as saved (the six fields, encoded as above).
std::string deviceRecordText(const std::string& location, const std::string& name, std::int16_t status,
                             std::int32_t value, const std::string& lastChange, const std::string& statusText);
// A device code as its key is written, and a key or field as read back.
std::string deviceKeyText(const std::string& code);
std::string decodeDeviceText(std::string_view text);

} // namespace services
