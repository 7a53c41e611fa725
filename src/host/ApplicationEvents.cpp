// Event records, the script runners and the plug-in lookup.
//
// EventList is ordered and unkeyed; events are found by name, without regard to case,
// first match first. The list is handed out live (GetEventList), so objects of other
// classes a caller added are read by name.
#include "Application.h"
#include "PluginRegistry.h"
#include "ScriptService.h"

#include "automation/TextCompare.h"
#include "events/Condition.h"
#include "events/DevFunc.h"
#include "events/EventClass.h"

namespace host {

namespace {

std::int16_t asInteger(std::size_t n)
{
    if (n > 32767)
        vb::raiseError(vb::err::Overflow);
    return static_cast<std::int16_t>(n);
}

bool eventNamed(const vb::Variant& item, std::string_view name)
{
    vb::Object& record = vb::requireObject(item);
    if (auto* event = dynamic_cast<services::EventClass*>(&record))
        return vb::equalsIgnoreCase(event->name, name);
    return vb::equalsIgnoreCase(vb::CStr(vb::getProperty(record, "name")), name);
}

// 1-based position of the first event with that name, or 0.
std::size_t positionOfEvent(const vb::Collection& list, std::string_view name)
{
    for (std::size_t position = 1; position <= list.size(); ++position) {
        if (eventNamed(list.at(position), name))
            return position;
    }
    return 0;
}

} // namespace

std::int16_t Application::NewEvent(const std::string& name)
{
    vb::Ref<services::EventClass> event = vb::make<services::EventClass>();
    event->name = name;
    vb::Collection& list = hostState().eventList();
    list.append(vb::Variant(vb::Ref<vb::Object>(event)));
    return asInteger(list.size());
}

vb::Ref<vb::Object> Application::NewEventEx(const std::string& name)
{
    const std::int16_t position = guarded<std::int16_t>("NewEvent", [&] { return NewEvent(name); });
    return guarded<vb::Ref<vb::Object>>("GetEvent", [&] { return GetEvent(position); });
}

vb::Ref<vb::Object> Application::GetEvent(std::int16_t index)
{
    const vb::Collection& list = hostState().eventList();
    if (index < 1 || static_cast<std::size_t>(index) > list.size())
        return nullptr;
    return list.at(static_cast<std::size_t>(index)).objectRef();
}

std::int16_t Application::GetEventIndex(const std::string& eventName)
{
    const std::size_t position = positionOfEvent(hostState().eventList(), eventName);
    return position ? asInteger(position) : std::int16_t(-1);
}

vb::Ref<vb::Object> Application::GetEventEx(const std::string& eventName)
{
    const vb::Collection& list = hostState().eventList();
    const std::size_t position = positionOfEvent(list, eventName);
    return position ? list.at(position).objectRef() : nullptr;
}

bool Application::EventExists(const std::string& eventName)
{
    return bool(guarded<vb::Ref<vb::Object>>("GetEventEx", [&] { return GetEventEx(eventName); }));
}

vb::Ref<vb::Object> Application::GetEventList()
{
    return hostState().eventListRef();
}

std::int16_t Application::EventCount()
{
    return asInteger(hostState().eventList().size());
}

void Application::DeleteEvent(const std::string& evname)
{
    const std::int16_t position = guarded<std::int16_t>("GetEventIndex", [&] { return GetEventIndex(evname); });
    vb::Collection& list = hostState().eventList();
    if (position >= 1 && static_cast<std::size_t>(position) <= list.size())
        list.removeAt(static_cast<std::size_t>(position));
}

namespace {

void setEnabled(Application& app, const std::string& evname, bool enabled)
{
    const vb::Ref<vb::Object> event = app.guarded<vb::Ref<vb::Object>>("GetEventEx", [&] { return app.GetEventEx(evname); });
    if (!event)
        return;
    if (auto* record = dynamic_cast<services::EventClass*>(event.get()))
        record->Enabled = enabled;
    else
        vb::setProperty(*event, "Enabled", vb::Variant(enabled));
}

} // namespace

void Application::EnableEvent(const std::string& evname)
{
    setEnabled(*this, evname, true);
}

void Application::DisableEvent(const std::string& evname)
{
    setEnabled(*this, evname, false);
}

void Application::Run(const std::string& scr)
{
    scriptService(registry_).run(scr);
}

vb::Variant Application::RunEx(const std::string& scr, const std::string& func, const std::string& param)
{
    return scriptService(registry_).runEx(scr, func, vb::Variant(param));
}

vb::Ref<vb::Object> Application::NewCondition()
{
    return vb::make<services::condition>();
}

vb::Ref<vb::Object> Application::NewDevFunc()
{
    return vb::make<services::devFunc>();
}

vb::Ref<vb::Object> Application::plugin(const std::string& name)
{
    const vb::Ref<vb::Collection> plugins = PluginCollection(registry_);
    if (!plugins)
        return nullptr;
    const std::string wanted = vb::lowerCase(name);
    for (std::size_t i = 1; i <= plugins->size(); ++i) {
        const vb::Variant candidate = plugins->at(i);
        vb::Object& object = vb::requireObject(candidate);
        if (vb::lowerCase(vb::CStr(vb::getProperty(object, "name"))) == wanted)
            return candidate.objectRef();
    }
    return nullptr;
}

} // namespace host
