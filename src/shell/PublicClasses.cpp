#include "PublicClasses.h"

#include "FRH.h"
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
vb::Ref<vb::Object> createNew(xap::ProgramState&)
{
    return vb::make<T>();
}

// A message is built with its program's header and logs its parse failures there.
vb::Ref<vb::Object> createMessage(xap::ProgramState& program)
{
    return vb::make<xap::XapMessage>(program);
}

vb::Ref<vb::Object> hostObject(xap::ProgramState&)
{
    host::HostState* s = host::loadedState();
    return s ? vb::Ref<vb::Object>(s->hostObject) : nullptr;
}

vb::Ref<vb::Object> frhObject(xap::ProgramState&)
{
    return startObject();
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

vb::Ref<vb::Object> createPublicObject(std::string_view name, xap::ProgramState& program)
{
    for (const PublicClass& c : kClasses)
        if (c.name == name)
            return c.create(program);
    return nullptr;
}

void registerPublicClasses(vbscript::LibraryState& library, xap::ProgramState& program)
{
    for (const PublicClass& c : kClasses)
        library.registerProgId(std::string(kTypeLibrary) + "." + std::string(c.name),
                               [create = c.create, &program] { return create(program); });
}

} // namespace shell
