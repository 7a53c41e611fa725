// The registry of hosted plug-ins and their menu registrations.
//
// Each is kept in the registry given (host/HostRegistry.h). The plug-in host fills
// HostedPlugin and PluginCollection when it (re)creates the plug-in; the host object
// reads them (GetPlugins, hsSetIO, plugin) and the host core walks them at shutdown.
// MenuCallbacks holds the plug-in's menu registrations for the plug-in menu dialog.
#pragma once

#include "automation/Collection.h"
#include "automation/Dictionary.h"
#include "automation/Ref.h"

#include <string>

namespace xap {
struct ProgramState;
}

namespace host {

struct HostRegistry;

// The plug-in object; null before the first successful creation.
vb::Ref<vb::Object>& HostedPlugin(HostRegistry& registry);

// The hosted plug-ins keyed by their `name`; null until the plug-in host creates it.
vb::Ref<vb::Collection>& PluginCollection(HostRegistry& registry);
// PluginCollection, created empty first when it does not exist.
vb::Collection& pluginCollectionCreated(HostRegistry& registry);

// Menu registrations: key = interface name + "~" + menu title, value = display text.
// Keys compare case-sensitively and keep their order. Null until the first registration.
vb::Ref<vb::Dictionary>& MenuCallbacks(HostRegistry& registry);

// The hosted interface's name as set from outside (empty when none was set).
std::string& InterfaceName(HostRegistry& registry);

// Records one menu registration (the first display text of a key wins) and always
// returns the empty text. With the host's debug mode at 1 every registration is reported
// as "Accepting Callback " + key; a failure is reported as "AcceptMenuCallbacks" (both
// in `program`'s log).
vb::Variant AcceptMenuCallbacks(xap::ProgramState& program, HostRegistry& registry, const std::string& sInterface,
                                const std::string& sTitle, const std::string& sDisplay);

// Drops the plug-in object and the collection (host shutdown).
void releaseHostedPlugins(HostRegistry& registry);

} // namespace host
