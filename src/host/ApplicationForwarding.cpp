// Speech, infrared, X10/IO and log lines become xAP messages (or calls of the hosted
// plug-ins' own input/output entry); Keys and Launch use the desktop.
//
// Every message is a broadcast through the module send path with an empty sub-address
// and the node's own UID.
#include "Application.h"
#include "Desktop.h"
#include "Listeners.h"
#include "PluginRegistry.h"

#include "automation/Conversions.h"
#include "automation/DateTime.h"
#include "automation/TextCompare.h"
#include "platform/FileSystem.h"
#include "xap/Outgoing.h"
#include "xap/ProgramState.h"

namespace host {

namespace {

void send(xap::ProgramState& program, const char* cls, const char* section, const std::string& body)
{
    xap::SendXap(program, "", cls, section, body, "", "");
}

bool readsAsNumber(const std::string& text)
{
    return vb::IsNumeric(vb::Variant(text));
}

} // namespace

void Application::sendVoice(std::initializer_list<std::pair<std::string_view, std::string_view>> items)
{
    send(program_, "xap.voice", "voice.speak", xap::itemList(items));
}

// ---- Speech ----

void Application::Speak(const std::string& sText, vb::Optional<bool>)
{
    HostState& s = hostState();
    if (s.hostLoading) {
        sendVoice({{"Say", sText}, {"Device", "0"}});
        return;
    }
    // One message per audio listener, each between that listener's start and stop reports.
    const std::vector<vb::Ref<vb::Object>>& listeners = s.eventListeners[kAudioListeners];
    const vb::Variant started = eventArray({"8", "1", "0"});
    const vb::Variant stopped = eventArray({"8", "0", "0"});
    for (std::size_t i = 0; i < listeners.size(); ++i) {
        const vb::Ref<vb::Object> listener = listeners[i];
        callListener(listener, started);
        vb::ignoreErrors([&] { sendVoice({{"Say", sText}}); });
        callListener(listener, stopped);
    }
    vb::clearCurrentFailure();
}

void Application::SpeakEx(std::int16_t, const std::string& text, vb::Optional<bool>)
{
    sendVoice({{"Say", text}});
}

void Application::SpeakToFile(const std::string& txt, const std::string& voice, const std::string& Filename)
{
    sendVoice({{"Say", txt}, {"Device", Filename}, {"Voice", voice}});
}

// ---- Infrared ----

void Application::SendIR(const std::string& ir)
{
    if (ir.find(',') == std::string::npos) {
        if (readsAsNumber(ir))
            send(program_, "Homeseer.IR", "IR.Transmit", xap::itemList({{"Location", ir}}));
        return;
    }
    // The dictionary's keys join the device label and the button with a blank
    // ("TV POWER"); a request names them with a comma ("TV,Power"), so the comma is read
    // as that blank when the request is not found as it stands.
    const auto& dictionary = hostState().irDictionary;
    std::string key = vb::upperCase(ir);
    auto entry = dictionary.find(key);
    if (entry == dictionary.end()) {
        for (char& c : key) {
            if (c == ',')
                c = ' ';
        }
        entry = dictionary.find(key);
    }
    if (entry == dictionary.end())
        return;
    const std::vector<std::string> parts = vb::splitAt(entry->second, ',');
    if (parts.size() != 2 || !readsAsNumber(parts[0]) || !readsAsNumber(parts[1]))
        return;
    const std::string& location = parts[0];
    const std::string& zone = parts[1];
    if (zone != "0")
        send(program_, "Homeseer.IR", "IR.Transmit", xap::itemList({{"Zone", zone}, {"Location", location}}));
    else
        send(program_, "Homeseer.IR", "IR.Transmit", xap::itemList({{"Location", location}}));
}

// ---- X10 and input/output ----

void Application::ExecIO(const std::string& code, const std::string& cmd, std::int16_t, std::int16_t)
{
    send(program_, "xap-x10.request", "xap-x10.request", xap::itemList({{"Device", code}, {"Command", cmd}}));
}

void Application::hsSetIO(const vb::Variant& device, const std::string& house, const std::string& unit,
                          std::int16_t command, std::int32_t level, std::int16_t data1, std::int16_t data2)
{
    const vb::Ref<vb::Collection> plugins = PluginCollection(registry_);
    if (!plugins)
        return; // no plug-in is hosted yet
    const auto clipped = static_cast<std::int16_t>(std::clamp<std::int32_t>(level, -32768, 32767));
    for (std::size_t i = 1; i <= plugins->size(); ++i) {
        const vb::Variant plugin = plugins->at(i);
        vb::ArgPack<7> args(device, house, unit, command, clipped, data1, data2);
        vb::requireObject(plugin).invoke("SetIO", vb::Method, args.args());
    }
}

// ---- Log lines ----

void Application::WriteLog(const std::string& c, const std::string& message)
{
    HostState& s = hostState();
    const std::string now = vb::formatGeneralDate(vb::now());
    if (!s.hostLoading)
        notifyListeners(s, kLogListeners, {"2", now, c, message});
    send(program_, "Homeseer.Event", "Event.Log", xap::itemList({{"Time", now}, {"Type", c}, {"Data", message}}));
}

// ---- Desktop ----

void Application::Keys(const std::string& k, const std::string& title, vb::Optional<bool>)
{
    sendKeys(k, title);
}

std::int32_t Application::Launch(const std::string& name, vb::Optional<std::string> params, vb::Optional<std::string>)
{
    const std::int64_t pid = launchProgram(platform::toPosixPath(name, program_.baseFolder), params.value_or(std::string()));
    if (pid > INT32_MAX || pid < INT32_MIN)
        vb::raiseError(vb::err::Overflow);
    return static_cast<std::int32_t>(pid);
}

} // namespace host
