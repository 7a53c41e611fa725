// DesktopWindow: the object served at /org/tallis/Desktop on the session bus. Its one
// member, Show, brings the running program's window to the front; a second start of
// the program in the same base folder calls it instead of ending silently.
#pragma once

#include "automation/MemberTable.h"

#include <string>

namespace shell {

struct ShellState;

class DesktopWindow final : public vb::Dispatch<DesktopWindow> {
public:
    static const vb::MemberTable<DesktopWindow>& members();

    // The window of the program whose shell state is given (it outlives the object).
    explicit DesktopWindow(ShellState& shell) : shell_(shell) { }

    // Raises 5 when the program runs without a display.
    void Show();

private:
    ShellState& shell_;
};

// Asks the program that runs in this session to show its window (the second start's
// part). Returns false with `problem` set when no such program answers.
bool askRunningProgramToShowWindow(std::string& problem);

} // namespace shell
