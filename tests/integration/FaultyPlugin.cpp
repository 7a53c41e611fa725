// A plug-in that misbehaves on purpose, for the scenes that check how the program
// survives or reports a plug-in's faults. FAULTY_PLUGIN in the environment says how:
//   crash-initio     a segmentation fault in InitIO
//   crash-message    InitIO creates device Q1 (status text "ready"); the first message
//                    of class Test.Poke sets it to "lost" and crashes
//   block-message    as crash-message, but the message handler blocks for good
//   crash-shutdown   InitIO creates Q1; a Test.Poke message sets it to "poked";
//                    ShutdownIO crashes
//   block-shutdown   as crash-shutdown, but ShutdownIO blocks for good
//   (anything else)  InitIO creates Q1 and the plug-in behaves
#include <tallis/PluginApi.h>

#include "automation/MemberTable.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

namespace {

std::string mode()
{
    const char* m = std::getenv("FAULTY_PLUGIN");
    return m ? m : "";
}

// A real segmentation fault (the undefined-behaviour sanitizer would stop it first).
[[noreturn]] __attribute__((no_sanitize("undefined"))) void crash()
{
    volatile int* nowhere = nullptr;
    *nowhere = 1;
    std::abort();
}

class FaultyPlugin final : public vb::Dispatch<FaultyPlugin> {
public:
    static const vb::MemberTable<FaultyPlugin>& members()
    {
        static const vb::MemberTable<FaultyPlugin> table("hspi_Faulty", {
            vb::get<&FaultyPlugin::name>("name"),
            vb::method<&FaultyPlugin::RegisterCallback>("RegisterCallback"),
            vb::method<&FaultyPlugin::InitIO>("InitIO"),
            vb::get<&FaultyPlugin::Capabilities>("Capabilities"),
            vb::method<&FaultyPlugin::ShutdownIO>("ShutdownIO"),
            vb::method<&FaultyPlugin::AudreyOnXapMessage>("AudreyOnXapMessage"),
        });
        return table;
    }

    std::string name() { return "Faulty"; }
    void RegisterCallback(vb::Variant& callback) { callback_ = callback; }
    void InitIO(const vb::Variant&)
    {
        if (mode() == "crash-initio")
            crash();
        vb::Variant host = vb::call(vb::requireObject(callback_), "GetHSIface");
        const vb::Variant known = vb::call(vb::requireObject(host), "GetDeviceByCode", std::string("Q1"));
        if (!known.isObject() || !known.objectRef())
            vb::call(vb::requireObject(host), "NewDeviceEx", std::string("Faulty"), std::string("Q1"));
        vb::call(vb::requireObject(host), "SetDeviceString", std::string("Q1"), std::string("ready"), true);
    }
    std::int32_t Capabilities() { return 4; }
    void ShutdownIO()
    {
        if (mode() == "crash-shutdown")
            crash();
        if (mode() == "block-shutdown") {
            while (true)
                std::this_thread::sleep_for(std::chrono::seconds(1));
        }
    }
    void AudreyOnXapMessage(vb::Variant& message)
    {
        // Only the scene's own poke counts; the node's other traffic passes by.
        if (!vb::call(vb::requireObject(message), "CompareClass", std::string("Test.Poke")).booleanValue())
            return;
        vb::Variant host = vb::call(vb::requireObject(callback_), "GetHSIface");
        const bool fatal = mode() == "crash-message" || mode() == "block-message";
        vb::call(vb::requireObject(host), "SetDeviceString", std::string("Q1"), std::string(fatal ? "lost" : "poked"), true);
        // FAULTY_POKED names a file made once the poke is handled (scenes wait for it).
        if (const char* mark = std::getenv("FAULTY_POKED"))
            std::ofstream(mark) << "poked\n";
        if (mode() == "crash-message")
            crash();
        if (mode() == "block-message") {
            while (true)
                std::this_thread::sleep_for(std::chrono::seconds(1));
        }
    }

private:
    vb::Variant callback_;
};

} // namespace

TALLIS_PLUGIN_ENTRY(if (name.starts_with("hspi_")) return new FaultyPlugin;)
