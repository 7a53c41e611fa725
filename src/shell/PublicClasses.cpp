#include "PublicClasses.h"

#include "FRH.h"
#include "ShellState.h"
#include "objcb.h"

#include "host/CustomStatus.h"
#include "host/DeviceClass.h"
#include "host/Application.h"
#include "host/HostState.h"
#include "events/Condition.h"
#include "events/DevFunc.h"
#include "events/EventClass.h"
#include "vbscript/builtins/Builtins.h"
#include "xap/FastString.h"
#include "xap/XapMessage.h"

#include <array>
#include <string>

namespace shell {

namespace {

template <class T>
vb::Ref<vb::Object> createNew(xap::ProgramState&, ShellState&)
{
    return vb::make<T>();
}

// A message is built with its program's header and logs its parse failures there.
vb::Ref<vb::Object> createMessage(xap::ProgramState& program, ShellState&)
{
    return vb::make<xap::XapMessage>(program);
}

vb::Ref<vb::Object> hostObject(xap::ProgramState&, ShellState& shell)
{
    host::HostState* s = host::loadedState(shell.host);
    return s ? vb::Ref<vb::Object>(s->hostObject) : nullptr;
}

vb::Ref<vb::Object> frhObject(xap::ProgramState&, ShellState& shell)
{
    return startObject(shell);
}

constexpr std::array kClasses = {
    PublicClass{"Application", &hostObject},
    PublicClass{"DeviceClass", &createNew<host::DeviceClass>},
    PublicClass{"clsString", &createNew<xap::clsString>},
    PublicClass{"EventClass", &createNew<services::EventClass>},
    PublicClass{"condition", &createNew<services::condition>},
    PublicClass{"devFunc", &createNew<services::devFunc>},
    PublicClass{"CustomStatus", &createNew<host::CustomStatus>},
    PublicClass{"objcb", &createNew<objcb>},
    PublicClass{"FRH", &frhObject},
    PublicClass{"XapMessage", &createMessage},
};

} // namespace

std::span<const PublicClass> publicClasses()
{
    return kClasses;
}

vb::Ref<vb::Object> createPublicObject(xap::ProgramState& program, ShellState& shell, std::string_view name)
{
    for (const PublicClass& c : kClasses)
        if (c.name == name)
            return c.create(program, shell);
    return nullptr;
}

void registerPublicClasses(vbscript::LibraryState& library, xap::ProgramState& program, ShellState& shell)
{
    for (const PublicClass& c : kClasses)
        library.registerProgId(std::string(kTypeLibrary) + "." + std::string(c.name),
                               [create = c.create, &program, &shell] { return create(program, shell); });
}

} // namespace shell
