// A plug-in for tests: it records every call the host makes and can be told to fail.
// Built three ways: a working library, one that claims another object-model version,
// and one whose creation throws.
#include <tallis/PluginApi.h>

#include "automation/MemberTable.h"

#include <cstdlib>
#include <stdexcept>
#include <string>

#ifdef RECORDER_OTHER_VERSION
#undef TALLIS_OBJECT_MODEL_VERSION
#define TALLIS_OBJECT_MODEL_VERSION 99
#endif

namespace {

int gCreated = 0;
int gLive = 0;

class RecorderPlugin final : public vb::Dispatch<RecorderPlugin> {
public:
    static const vb::MemberTable<RecorderPlugin>& members()
    {
        static const vb::MemberTable<RecorderPlugin> table("hspi_Recorder", {
            vb::get<&RecorderPlugin::name>("name"),
            vb::method<&RecorderPlugin::RegisterCallback>("RegisterCallback"),
            vb::method<&RecorderPlugin::InitIO>("InitIO"),
            vb::get<&RecorderPlugin::Capabilities>("Capabilities"),
            vb::method<&RecorderPlugin::ShutdownIO>("ShutdownIO"),
            vb::method<&RecorderPlugin::AudreyOnXapMessage>("AudreyOnXapMessage"),
            vb::method<&RecorderPlugin::GoSilent>("GoSilent"),
            vb::get<&RecorderPlugin::Calls>("Calls"),
            vb::get<&RecorderPlugin::Serial>("Serial"),
            vb::method<&RecorderPlugin::HSEvent>("HSEvent"),
            vb::get<&RecorderPlugin::Events>("Events"),
            vb::get<&RecorderPlugin::Live>("Live"),
        });
        return table;
    }

    std::string name()
    {
        if (silent_)
            throw std::runtime_error("the plug-in no longer answers");
        // RECORDER_NAME_FAILS=N: the next N reads of a name (over all instances) fail.
        if (const char* fails = std::getenv("RECORDER_NAME_FAILS"); fails && std::atoi(fails) > 0) {
            setenv("RECORDER_NAME_FAILS", std::to_string(std::atoi(fails) - 1).c_str(), 1);
            throw std::runtime_error("no name yet");
        }
        record("name");
        return "Recorder";
    }
    RecorderPlugin() { ++gLive; }
    ~RecorderPlugin() override { --gLive; }

    void RegisterCallback(vb::Variant& callback)
    {
        record("RegisterCallback(" + vb::typeName(callback) + ")");
        // As a plug-in that follows the host's events: itself as the listener of every kind.
        if (std::getenv("RECORDER_LISTENS")) {
            vb::Variant self(static_cast<vb::Object*>(this));
            vb::ArgPack<2> args{std::int16_t(127), vb::Variant()};
            args.byRef(1, self);
            vb::requireObject(callback).invoke("RegisterEventCB", vb::Method, args);
        }
    }
    void HSEvent(const vb::Variant&) { ++events_; }
    std::int32_t Events() const { return events_; }
    std::int32_t Live() const { return gLive; }
    void InitIO(const vb::Variant& port)
    {
        record("InitIO(" + vb::typeName(port) + " " + vb::CStr(port) + ")");
        if (std::getenv("RECORDER_FAIL_INITIO"))
            throw std::runtime_error("InitIO failed on purpose");
    }
    std::int32_t Capabilities() { return 4; }
    void ShutdownIO() { record("ShutdownIO"); }
    void AudreyOnXapMessage(vb::Variant& message)
    {
        record("AudreyOnXapMessage(" + vb::typeName(message) + ")");
        throw std::logic_error("a plug-in bug");
    }
    void GoSilent() { silent_ = true; }
    std::string Calls() const { return calls_; }
    std::int32_t Serial() const { return serial_; }

private:
    void record(const std::string& call) { calls_ += call + ";"; }
    std::string calls_;
    bool silent_ = false;
    std::int32_t serial_ = ++gCreated;
    std::int32_t events_ = 0;
};

} // namespace

TALLIS_PLUGIN_ENTRY(
#ifdef RECORDER_THROWS_ON_CREATE
    throw std::runtime_error("the plug-in cannot start");
#endif
    if (name.starts_with("hspi_")) return new RecorderPlugin;)
