// What the xap tool does: send a message, listen to the network, ask a question (echo
// or role) and print the answers, and command or query BSC endpoints.
#pragma once

#include "Wire.h"

#include <cstdint>
#include <string>
#include <vector>

namespace xaptool {

struct Options {
    // Where messages go: the hub's port on the broadcast address.
    std::string broadcast = "255.255.255.255";
    std::uint16_t hubPort = 3639;
    // The tool's own receiving port (0: the first free one from 50000 up).
    std::uint16_t listenPort = 0;
    int heartbeatInterval = 60;

    Header header; // uid, class, source, target of what is sent
    std::vector<Block> blocks;

    // listen
    std::string classFilter;
    std::string sourceFilter;
    std::string targetFilter;
    std::vector<std::pair<std::string, std::string>> itemFilters; // body items, all must match
    double quietWarning = 5; // seconds without any datagram before "is a hub running?"
    bool heartbeats = true;
    bool summary = false;
    int count = 0;        // stop after this many messages (0: no limit)
    double timeout = 0;   // seconds (0: no limit)

    // query
    std::string query;    // "echo" or "role"
    std::string text = "ping";
    std::string role = "application";
    bool all = false;     // keep printing answers until the timeout

    // bsc, bsc-query: the endpoints addressed, and what a command changes
    std::string bscTarget;
    std::string bscId = "*";
    std::vector<std::pair<std::string, std::string>> bscItems; // state=, level= or text=
};

int sendCommand(const Options& options);
int listenCommand(const Options& options);
int queryCommand(const Options& options);
// A BSC command (xAPBSC.cmd) or query (xAPBSC.query) to the endpoints TARGET names;
// prints their answers (xAPBSC.event, xAPBSC.info).
int bscCommand(const Options& options);
int bscQueryCommand(const Options& options);

} // namespace xaptool
