// The bus notes of the served classes' members (who may call them, argument names,
// file arguments confined to a folder, results that are NUL-separated lists), and the
// system bus policy generated from them.
#pragma once

#include "platform/bus/MemberNotes.h"

#include <span>
#include <string>

namespace shell {

std::span<const platform::bus::ClassNotes> automationMemberNotes();

// The system bus policy (org.tallis.Tallis.conf): root and the user tallis own the
// name and call everything; group tallis-admin calls everything; group tallis calls
// the Control members, reads properties, introspects and releases objects.
std::string automationBusPolicy();

} // namespace shell
