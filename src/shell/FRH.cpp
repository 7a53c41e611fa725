#include "FRH.h"

#include "ShellHooks.h"
#include "ShellState.h"
#include "TallisForm.h"

#include "host/PluginRegistry.h"

namespace shell {

vb::Ref<FRH>& startObject(ShellState& shell)
{
    return shell.startObject;
}

void releaseStartObject(ShellState& shell)
{
    shell.startObject.reset();
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

FRH::FRH(xap::ProgramState& program, ShellState& shell)
    : shell_(shell)
{
    runStep(shell.hooks.clearX10CommandCodes);
    vb::Ref<TallisForm>& form = shell.mainForm;
    if (!form)
        form = vb::make<TallisForm>(program, shell);
    form->start();
}

FRH::~FRH()
{
    if (programEnded(shell_))
        return;
    ShellHooks& hooks = shell_.hooks;
    vb::ignoreErrors([&] { runStep(hooks.exit.unloadSetupForm); });
    vb::ignoreErrors([&] { runStep(hooks.exit.unloadPluginMenuDialog); });
    endProgram(shell_, 0);
}

void FRH::letInterface(std::string sInterface)
{
    host::InterfaceName(shell_.host) = std::move(sInterface);
    runStep(shell_.hooks.hostStartup);
}

std::string FRH::getInterface() const
{
    return host::InterfaceName(shell_.host);
}

void FRH::Menu()
{
    // Without a desktop there is no dialog to open: say so rather than do nothing.
    if (!shell_.hooks.showPluginMenu)
        throw vb::Error(vb::err::InvalidProcedureCall, std::string(kNoDisplayForMenu));
    shell_.hooks.showPluginMenu();
}

bool Main(xap::ProgramState& program, ShellState& shell)
{
    shell.startObject = vb::make<FRH>(program, shell);
    return shell.mainForm && shell.mainForm->initError().empty();
}

} // namespace shell
