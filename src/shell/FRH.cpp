#include "FRH.h"

#include "ShellHooks.h"
#include "ShellState.h"
#include "TallisForm.h"

#include "host/PluginRegistry.h"

namespace shell {

vb::Ref<FRH>& startObject()
{
    return shellState().startObject;
}

void releaseStartObject()
{
    startObject().reset();
}

const vb::MemberTable<FRH>& FRH::members()
{
    static const vb::MemberTable<FRH> table("FRH", {
        vb::let<&FRH::letInterface>("interface"),
        vb::get<&FRH::getInterface>("interface"),
        vb::method<&FRH::Menu>("Menu"),
    });
    return table;
}

FRH::FRH()
{
    runStep(hooks().clearX10CommandCodes);
    vb::Ref<TallisForm>& form = mainForm();
    if (!form)
        form = vb::make<TallisForm>();
    form->start();
}

FRH::~FRH()
{
    if (programEnded())
        return;
    vb::ignoreErrors([] { runStep(hooks().exit.unloadSetupForm); });
    vb::ignoreErrors([] { runStep(hooks().exit.unloadPluginMenuDialog); });
    endProgram(0);
}

void FRH::letInterface(std::string sInterface)
{
    host::InterfaceName() = std::move(sInterface);
    runStep(hooks().hostStartup);
}

std::string FRH::getInterface() const
{
    return host::InterfaceName();
}

void FRH::Menu()
{
    // Without a desktop there is no dialog to open: say so rather than do nothing.
    if (!hooks().showPluginMenu)
        throw vb::Error(vb::err::InvalidProcedureCall, std::string(kNoDisplayForMenu));
    hooks().showPluginMenu();
}

bool Main()
{
    startObject() = vb::make<FRH>();
    return mainForm() && mainForm()->initError().empty();
}

} // namespace shell
