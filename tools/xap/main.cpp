// xap: send, listen to and query the xAP network from the command line.
#include "CommandLine.h"
#include "Commands.h"

int main(int argc, char** argv)
{
    const xaptool::ParseResult parsed = xaptool::parseCommandLine(argc, argv);
    if (!parsed.line)
        return parsed.exitStatus;
    const xaptool::CommandLine& line = *parsed.line;
    if (line.command == "send")
        return xaptool::sendCommand(line.options);
    if (line.command == "listen")
        return xaptool::listenCommand(line.options);
    if (line.command == "bsc")
        return xaptool::bscCommand(line.options);
    if (line.command == "bsc-query")
        return xaptool::bscQueryCommand(line.options);
    return xaptool::queryCommand(line.options);
}
