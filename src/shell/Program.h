// Runs the program: chooses the application kind, starts up through the start object,
// takes the system's stop requests along the tray menu's Exit path, and runs the event
// loop until the program ends.
#pragma once

namespace shell {

int runProgram(int argc, char** argv);

} // namespace shell
