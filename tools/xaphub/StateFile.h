// The hub's state file: the client table, kept so that a restarted hub relays to the
// same clients at once instead of waiting for their next heartbeat (a node may
// announce itself only every ten minutes).
//
// One line per client, "port interval expiry source", the expiry in seconds since
// the Unix epoch (the steady clock does not survive a restart). Written to a new
// temporary file (created exclusively, never through a link), synced and renamed
// over the old one, so a reader never sees half a table.
#pragma once

#include "ClientTable.h"

#include <string>

namespace xaphub {

using WallClock = std::chrono::system_clock;

// Writes the table; false when the file cannot be written.
bool saveClients(const std::string& path, const ClientTable& table, Clock::time_point now, WallClock::time_point wallNow);

// Adds the clients of the file whose time has not passed to `table` (its limits
// apply); returns how many were taken. A missing or damaged file gives none.
std::size_t loadClients(const std::string& path, ClientTable& table, Clock::time_point now, WallClock::time_point wallNow);

} // namespace xaphub
