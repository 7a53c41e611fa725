// Creation of the host object and its host-wide members.
#include "Application.h"

#include "PluginRegistry.h"
#include "ScriptService.h"

#include "platform/FileSystem.h"
#include "wait/EventPump.h"
#include "xap/FastString.h"

namespace host {

Application::Application(xap::ProgramState& program, HostRegistry& registry)
    : program_(program)
    , registry_(registry)
{
    // The program's data file: made to exist, never written here.
    const std::string dataFile = platform::joinPath(program_.baseFolder, std::string("Data/") + xap::kProgramName + ".txt");
    xap::CreateFolders(program_, dataFile);
    if (!platform::fileExists(dataFile))
        platform::appendToFile(dataFile, "");
}

vb::Ref<Application> Application::create(xap::ProgramState& program, HostRegistry& registry)
{
    // The engine is given the object only once something holds it.
    vb::Ref<Application> app = vb::make<Application>(program, registry);
    app->guarded("InitScriptControl", [&] { app->InitScriptControl(); });
    return app;
}

void Application::InitScriptControl()
{
    scriptService(registry_).initScriptControl(*this);
}

vb::Ref<vb::Object> Application::System()
{
    return vb::Ref<vb::Object>(this);
}

std::string Application::GetAppPath()
{
    return program_.baseFolder;
}

vb::Ref<vb::Object> Application::GetPlugins()
{
    return vb::Ref<vb::Object>(&pluginCollectionCreated(registry_));
}

std::int32_t Application::GetDebugMode()
{
    return hostState().debugModeSetting;
}

void Application::LetDebugMode(std::int32_t i)
{
    hostState().debugModeSetting = i;
}

bool Application::GetNoLog()
{
    return hostState().noLogSetting;
}

void Application::LetNoLog(bool b)
{
    hostState().noLogSetting = b;
}

HostState& Application::hostState() const
{
    if (!registry_.loadedState)
        vb::raiseError(vb::err::ObjectVariableNotSet);
    return *registry_.loadedState;
}

void Application::WaitEvents()
{
    services::processWaitingEvents();
}

vb::Ref<vb::Object> Application::CreateClassString()
{
    return vb::make<xap::clsString>();
}

} // namespace host
