// FRH: the start object. Creating it loads the main form, whose load is the program's
// start-up; when the last reference to it goes, it unloads the host core (which saves
// the devices) and the plug-in menu dialog and ends the program. Outside clients can
// name the hosted interface through it and open the plug-in menu dialog.
#pragma once

#include "automation/MemberTable.h"

#include <string>

namespace xap {
struct ProgramState;
}

namespace shell {

struct ShellState;

// What FRH.Menu raises when the program runs without a desktop.
inline constexpr const char* kNoDisplayForMenu = "No display: the plug-in menu setup dialog cannot be opened";

class FRH final : public vb::Dispatch<FRH> {
public:
    static const vb::MemberTable<FRH>& members();

    // The start object of the program whose states are given (they outlive it).
    FRH(xap::ProgramState& program, ShellState& shell);
    ~FRH() override;

    void letInterface(std::string sInterface);
    std::string getInterface() const;
    // Opens the plug-in menu setup dialog; raises 5 with kNoDisplayForMenu when headless.
    void Menu();

private:
    ShellState& shell_;
};

// The program's start object, kept by Main.
vb::Ref<FRH>& startObject(ShellState& shell);
// Lets go of the start object (its termination runs when this was the last reference).
void releaseStartObject(ShellState& shell);

// The program's entry: creates the start object, which runs the start-up. Returns
// false when the node could not bind and the program must end with a failure.
bool Main(xap::ProgramState& program, ShellState& shell);

} // namespace shell
