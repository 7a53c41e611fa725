// Variables, INI files through the shared store, and small utilities.
#include "Application.h"

#include "automation/Array.h"
#include "platform/FileSystem.h"
#include "wait/CWaitNDispatch.h"

namespace host {

namespace {

vb::Dictionary& variables(HostState& s)
{
    if (!s.variableTable)
        vb::raiseError(vb::err::ObjectVariableNotSet);
    return *s.variableTable;
}

std::string fileNameOrDefault(const vb::Optional<std::string>& fileName)
{
    return fileName && !fileName->empty() ? *fileName : std::string("settings.ini");
}

} // namespace

// ---- Variables ----

std::string Application::CreateVar(const std::string& name)
{
    vb::Dictionary& table = variables(hostState());
    const vb::Variant key(name);
    if (table.Exists(key))
        return "Variable Already Exists";
    table.Add(key, vb::Variant(std::string()));
    return {};
}

std::string Application::SaveVar(const std::string& name, const vb::Variant& obj)
{
    vb::Dictionary& table = variables(hostState());
    const vb::Variant key(name);
    if (table.Exists(key))
        table.Remove(key);
    table.Add(key, obj); // an object is kept by reference
    return {};
}

vb::Variant Application::GetVar(const std::string& name)
{
    const vb::Variant* value = variables(hostState()).find(vb::Variant(name));
    return value ? *value : vb::Variant("Name Not Found");
}

void Application::DeleteVar(const std::string& name)
{
    vb::Dictionary& table = variables(hostState());
    const vb::Variant key(name);
    if (table.Exists(key))
        table.Remove(key);
}

// ---- INI files ----

std::string Application::iniFilePath(const xap::ProgramState& program, std::string_view fileName)
{
    // The file name comes from a plug-in or script, in the Windows form.
    return platform::joinPath(program.baseFolder, "Config/" + platform::toPosixPath(fileName, program.baseFolder));
}

services::IniTool& Application::loadSharedIni(const std::string& fileName)
{
    HostState& s = hostState();
    services::IniTool& store = s.iniStore(program_.ini);
    // The name is compared as given: another spelling of the same file loads it again.
    if (fileName != s.sharedIniFile) {
        // Until a load succeeds the store holds no file: a file that cannot be read is
        // tried again (and reported through the caller's trap) at every use.
        s.sharedIniFile.clear();
        store.Load(iniFilePath(program_, fileName));
        s.sharedIniFile = fileName;
    }
    return store;
}

bool Application::saveSharedIni(services::IniTool& store)
{
    if (store.Save())
        return true;
    hostState().sharedIniFile.clear();
    return false;
}

std::string Application::GetINISetting(const std::string& section, const std::string& key,
                                       const std::string& defaultValue, vb::Optional<std::string> Filename)
{
    const std::string fileName = fileNameOrDefault(Filename);
    if (!platform::fileExists(iniFilePath(program_, fileName)))
        return defaultValue;
    return loadSharedIni(fileName).Read(section, key, defaultValue);
}

void Application::SaveINISetting(const std::string& section, const std::string& key, const vb::Variant& value,
                                 vb::Optional<std::string> Filename)
{
    const std::string text = vb::CStr(value);
    const std::string fileName = fileNameOrDefault(Filename);
    const std::string path = iniFilePath(program_, fileName);
    if (!platform::fileExists(path) && !platform::appendToFile(path, ""))
        throw vb::Error(vb::err::PathNotFound, std::string(vb::describe(vb::err::PathNotFound)) + ": " + path);
    services::IniTool& store = loadSharedIni(fileName);
    store.WriteKey(section, key, text);
    saveSharedIni(store);
}

std::string Application::GetINISection(const std::string& section, const std::string& Filename)
{
    if (!platform::fileExists(iniFilePath(program_, Filename)))
        return {};
    const services::IniTool& store = loadSharedIni(Filename);
    std::string entries;
    for (const std::string& key : store.Keys(section)) {
        if (key.empty())
            continue; // a section without keys
        if (!entries.empty())
            entries += '\0';
        entries += key;
        entries += '=';
        entries += store.Read(section, key, "");
    }
    return entries;
}

void Application::ClearIniSection(const std::string& section, const std::string& Filename)
{
    if (!platform::fileExists(iniFilePath(program_, Filename)))
        return;
    services::IniTool& store = loadSharedIni(Filename);
    store.RemoveSection(section);
    saveSharedIni(store);
}

// ---- Utilities ----

std::string Application::StringItem(const std::string& st, std::int32_t idx, const std::string& sep)
{
    if (st.empty() || idx < 1)
        return {};
    std::size_t start = 0;
    for (std::int32_t part = 1;; ++part) {
        const std::size_t at = sep.empty() ? std::string::npos : st.find(sep, start);
        if (part == idx)
            return st.substr(start, at == std::string::npos ? std::string::npos : at - start);
        if (at == std::string::npos)
            return {};
        start = at + sep.size();
    }
}

std::string Application::GetScriptPath()
{
    return platform::joinPath(program_.baseFolder, "Scripts");
}

void Application::WaitSecs(std::int16_t secs)
{
    // The period is reckoned in 16-bit arithmetic, so more than 32 seconds overflows.
    const std::int32_t milliseconds = static_cast<std::int32_t>(secs) * 1000;
    if (milliseconds > 32767 || milliseconds < -32768)
        vb::raiseError(vb::err::Overflow);
    vb::Ref<services::CWaitNDispatch> wait = vb::make<services::CWaitNDispatch>();
    wait->Wait(milliseconds);
}

vb::Variant Application::NewUpdateAvailable()
{
    return vb::Variant(vb::Array::fromValues({vb::Variant(std::string())}));
}

} // namespace host
