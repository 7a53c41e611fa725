// The smallest useful plug-in: it answers every "Example.Ping" message with an
// "Example.Pong" message carrying the ping's text back. Built out of tree with
// find_package(Tallis) or `pkg-config tallis-plugin`.
#include <tallis/PluginApi.h>

#include "automation/Conversions.h"
#include "automation/MemberTable.h"

#include <string>

namespace {

class ExamplePlugin final : public vb::Dispatch<ExamplePlugin> {
public:
    static const vb::MemberTable<ExamplePlugin>& members()
    {
        static const vb::MemberTable<ExamplePlugin> table("hspi_Example", {
            vb::get<&ExamplePlugin::name>("name"),
            vb::method<&ExamplePlugin::RegisterCallback>("RegisterCallback"),
            vb::method<&ExamplePlugin::InitIO>("InitIO"),
            vb::get<&ExamplePlugin::Capabilities>("Capabilities"),
            vb::method<&ExamplePlugin::ShutdownIO>("ShutdownIO"),
            vb::method<&ExamplePlugin::AudreyOnXapMessage>("AudreyOnXapMessage"),
        });
        return table;
    }

    std::string name() { return "Example"; }
    void RegisterCallback(vb::Variant& callback) { callback_ = callback.objectRef(); }
    void InitIO(const vb::Variant&) {}
    std::int32_t Capabilities() { return 4; }
    void ShutdownIO() { callback_.reset(); }

    void AudreyOnXapMessage(vb::Variant& message)
    {
        vb::Object& m = vb::requireObject(message);
        if (!callback_ || !vb::CBool(vb::call(m, "CompareClass", "Example.Ping")))
            return;
        std::string body = "Text";
        body += '\1';
        body += vb::CStr(vb::call(m, "GetItem", "Example.Ping", "Text"));
        vb::call(*callback_, "SendXapMessage", "", "Example.Pong", "Example.Pong", body, "", "00");
    }

private:
    vb::Ref<vb::Object> callback_;
};

} // namespace

TALLIS_PLUGIN_ENTRY(if (name == "hspi_Audrey.hspi") return new ExamplePlugin;)
