#include "PluginHost.h"
#include "ShellState.h"

#include "automation/Collection.h"
#include "automation/Conversions.h"
#include "automation/TextCompare.h"
#include "host/HostState.h"
#include "host/Listeners.h"
#include "host/PluginRegistry.h"
#include "platform/EmergencyReport.h"
#include "platform/FileSystem.h"
#include "platform/SharedLibrary.h"
#include "services/Setup.h"
#include "xap/ProgramState.h"
#include "xap/Logging.h"

#include <tallis/PluginApi.h>

#include <map>

namespace shell {

namespace {

[[noreturn]] void cannotCreate(const std::string& reason)
{
    throw vb::Error(vb::err::CantCreateObject, std::string(vb::describe(vb::err::CantCreateObject)) + ": " + reason);
}

// The library file of a class: "hspi_Audrey.hspi" -> hspi_Audrey.so in the base folder,
// found without regard to letter case.
std::string libraryPathFor(const std::string& className, const std::string& baseFolder)
{
    const std::size_t dot = className.rfind('.');
    const std::string wanted = (dot == std::string::npos ? className : className.substr(0, dot)) + ".so";
    for (const std::string& file : platform::listFolder(baseFolder)) {
        if (vb::equalsIgnoreCase(file, wanted))
            return platform::joinPath(baseFolder, file);
    }
    cannotCreate(wanted + " is not in " + baseFolder);
}

// The program's loaded libraries by path (kept in the shell state); they stay loaded
// for the life of the process, as objects made by them may outlive the program.
platform::SharedLibrary& library(const std::string& path, std::map<std::string, platform::SharedLibrary*>& loaded)
{
    platform::SharedLibrary* lib = nullptr;
    if (auto it = loaded.find(path); it != loaded.end()) {
        lib = it->second;
    } else {
        std::string error;
        lib = platform::SharedLibrary::open(path, error);
        if (!lib)
            cannotCreate(error);
        loaded.emplace(path, lib);
    }
    // A library is checked at every use: one built against another object model is
    // refused instead of being called with objects it does not understand.
    auto version = reinterpret_cast<tallis::ObjectModelVersionFn>(lib->symbol(tallis::kObjectModelVersionSymbol));
    if (!version || !lib->symbol(tallis::kCreateObjectSymbol))
        cannotCreate(path + " does not export " + tallis::kObjectModelVersionSymbol + " and " + tallis::kCreateObjectSymbol);
    const int built = version();
    if (built != TALLIS_OBJECT_MODEL_VERSION) {
        cannotCreate(path + " was built for object model version " + std::to_string(built) + "; this program has version " +
                     std::to_string(TALLIS_OBJECT_MODEL_VERSION));
    }
    return *lib;
}

} // namespace

vb::Ref<vb::Object> createPluginObject(const std::string& className, const xap::ProgramState& program, ShellState& shell)
{
    platform::SharedLibrary& lib = library(libraryPathFor(className, program.baseFolder), shell.loadedLibraries);
    auto create = reinterpret_cast<tallis::CreateObjectFn>(lib.symbol(tallis::kCreateObjectSymbol));
    vb::Object* object = nullptr;
    try {
        object = create(className.c_str());
    } catch (const vb::Error&) {
        throw;
    } catch (const std::exception& e) {
        cannotCreate(lib.path() + " failed to create " + className + ": " + e.what());
    } catch (...) {
        cannotCreate(lib.path() + " failed to create " + className);
    }
    if (!object)
        cannotCreate(lib.path() + " has no class " + className);
    return vb::Ref<vb::Object>(object);
}

bool pluginStartIncomplete(const ShellState& shell)
{
    return shell.pluginStartIncomplete && host::HostedPlugin(shell.host);
}

void RestartPlugin(xap::ProgramState& program, ShellState& shell)
{
    host::HostRegistry& registry = shell.host;
    vb::trap(xap::writeLogFileReporter(program), xap::kProgramName, "Restart Plugin", [&] {
        // Replace the object: a previous one is simply released; it gets no shutdown call. Its event
        // listeners go with it: they would keep it alive and handling events beside
        // the new instance.
        {
            platform::ActivityScope running("the creation of the plug-in");
            vb::Ref<vb::Object> previous = std::move(host::HostedPlugin(registry));
            try {
                host::HostedPlugin(registry) = createPluginObject(kHostedPluginClass, program, shell);
            } catch (...) {
                host::HostedPlugin(registry) = std::move(previous);
                throw;
            }
            if (host::HostState* s = host::loadedState(registry))
                host::forgetPluginListeners(*s, previous.get());
        }
        // Until InitIO returns, this object has not been started.
        shell.pluginStartIncomplete = true;
        vb::Object& plugin = *host::HostedPlugin(registry);
        // Name it: a fresh collection with the plug-in under its own name.
        host::PluginCollection(registry) = vb::make<vb::Collection>();
        std::string name;
        {
            platform::ActivityScope running("name");
            name = vb::CStr(vb::getProperty(plugin, "name"));
        }
        host::PluginCollection(registry)->append(vb::Variant(host::HostedPlugin(registry)), name);
        // Register it: the host callback object, by reference.
        vb::Variant callback(static_cast<vb::Object*>(services::setupForm(shell.services)));
        vb::ArgPack<1> registration{vb::Variant()};
        registration.byRef(0, callback);
        {
            platform::ActivityScope running("RegisterCallback");
            plugin.invoke("RegisterCallback", vb::Method, registration);
        }
        // Start its input/output.
        platform::ActivityScope running("InitIO");
        vb::call(plugin, "InitIO", std::int16_t(1));
        shell.pluginStartIncomplete = false;
    });
}

} // namespace shell
