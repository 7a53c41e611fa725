// Creation of the host object and its host-wide members.
#include "Application.h"

#include "PluginRegistry.h"
#include "ScriptService.h"

#include "platform/FileSystem.h"
#include "wait/EventPump.h"
#include "xap/FastString.h"

namespace host {

Application::Application()
{
    // The program's data file: made to exist, never written here.
    const std::string dataFile = platform::joinPath(xap::state().baseFolder, std::string("Data/") + xap::kProgramName + ".txt");
    xap::CreateFolders(dataFile);
    if (!platform::fileExists(dataFile))
        platform::appendToFile(dataFile, "");
}

vb::Ref<Application> Application::create()
{
    // The engine is given the object only once something holds it.
    vb::Ref<Application> app = vb::make<Application>();
    guarded("InitScriptControl", [&] { app->InitScriptControl(); });
    return app;
}

void Application::InitScriptControl()
{
    scriptService().initScriptControl(*this);
}

vb::Ref<vb::Object> Application::System()
{
    return vb::Ref<vb::Object>(this);
}

std::string Application::GetAppPath()
{
    return xap::state().baseFolder;
}

vb::Ref<vb::Object> Application::GetPlugins()
{
    return vb::Ref<vb::Object>(&pluginCollectionCreated());
}

std::int32_t Application::GetDebugMode()
{
    return state().debugModeSetting;
}

void Application::LetDebugMode(std::int32_t i)
{
    state().debugModeSetting = i;
}

bool Application::GetNoLog()
{
    return state().noLogSetting;
}

void Application::LetNoLog(bool b)
{
    state().noLogSetting = b;
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
