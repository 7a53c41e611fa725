#include "InboundDispatch.h"

#include "ShellHooks.h"
#include "ShellState.h"

#include "automation/TextCompare.h"
#include "bsc/EndpointService.h"
#include "platform/EmergencyReport.h"
#include "xap/ProgramState.h"
#include "xap/Logging.h"
#include "xap/Outgoing.h"
#include "xap/SendGuards.h"
#include "xap/XapMessage.h"

namespace shell {

namespace {

void handToPlugin(ShellState& shell, const vb::Ref<xap::XapMessage>& message, const std::string& raw)
{
    const ShellHooks& hooks = shell.hooks;
    vb::Ref<vb::Object> plugin = hooks.hostedPlugin ? hooks.hostedPlugin() : nullptr;
    if (!plugin)
        return; // no plug-in loaded: the message is dropped
    if (shell.inboundObserver)
        shell.inboundObserver(message->msgSource(), message->MsgTarget(), message->MsgClass(), raw);
    // The plug-in receives the message object by reference.
    vb::Variant argument{vb::Ref<vb::Object>(message)};
    vb::ArgPack<1> pack;
    pack.byRef(0, argument);
    platform::ActivityScope running("AudreyOnXapMessage");
    plugin->invoke("AudreyOnXapMessage", vb::Method, pack.args());
}

} // namespace

void setInboundObserver(ShellState& shell, InboundObserver observer)
{
    shell.inboundObserver = std::move(observer);
}

void SendRoleNotification(xap::ProgramState& program)
{
    xap::SendXap(program, "", "Homeseer.Role", "Role.Notification",
                 xap::itemList({{"Role", "Application"}, {"Path", program.programPath}, {"Form", "SetupForm"}}), "", "");
}

void SendEchoResponse(xap::ProgramState& program, const std::string& target, const std::string& query)
{
    xap::SendXap(program, target, "ZOR.Echo", "Echo.Response", xap::itemList({{"Response", vb::lowerCase(query)}}), "", "");
}

void ReadMessage(const std::string& sRaw, xap::ProgramState& program, ShellState& shell)
{
    vb::Ref<xap::XapMessage> message;
    xap::OwnMessageScope own(program);
    vb::trap(xap::logEventReporter(program), xap::kProgramName, "Readmessage", [&] {
        message = vb::make<xap::XapMessage>(program);
        message->Init("");
        message->Reset();
        message->fromXap(sRaw);

        // Addressed to this node, or to nobody in particular (no target line).
        if (!message->CompareTarget(program.xapSource) && !message->CompareTarget("Unknown"))
            return;
        // Nothing the node sent itself makes it send again, not even a failure's report.
        own.markOwn(xap::isOwnMessage(program, message->msgSource(), message->MsgUID()));

        if (message->CompareClass("Homeseer.Role")) {
            const std::string role = vb::lowerCase(message->getItem("Role.Query", "Role"));
            if (role == "application" || role == "any")
                SendRoleNotification(program);
        } else if (message->CompareClass("ZOR.Echo")) {
            const std::string query = message->getItem("Echo.Query", "Query");
            if (query != "Unknown")
                SendEchoResponse(program, message->msgSource(), query);
        } else if (bsc::EndpointService* endpoints = shell.endpoints; !endpoints || !endpoints->handle(*message)) {
            handToPlugin(shell, message, sRaw); // BSC commands and queries stay with the endpoints when they are on
        }
    });
    message.reset();
}

} // namespace shell
