// MemberNotes: what the bus face needs to know about a published member beyond its
// signature, kept as data per class: who may call it, its argument names, which
// argument names a file that must stay inside one folder, and how its result travels.
//
// A member without a note takes the defaults: Admin access, arguments named arg0...
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace platform::bus {

// Who may call a member on the system bus: Control (reading and device control: group
// tallis) or Admin (runs code, writes files, changes settings: group tallis-admin).
enum class Access : std::uint8_t { Control, Admin };

// The folder of the instance a file-name argument must stay inside.
enum class Folder : std::uint8_t { None, Config, Scripts };

struct MemberNote {
    std::string_view member;
    Access access = Access::Admin;
    // The argument names, separated by commas ("dev,Status"); empty: arg0, arg1, ...
    std::string_view argNames;
    // The index of an argument that names a file inside `folder` (-1: none).
    std::int8_t fileArg = -1;
    Folder folder = Folder::None;
    // The String result is a list of texts separated by NUL characters: `as` on the bus.
    bool nulList = false;
    // A property whose changes the service announces with PropertiesChanged.
    bool emitsChanged = false;
};

struct ClassNotes {
    std::string_view className;
    std::span<const MemberNote> members;
};

// The note of a member among `notes`, or null.
const MemberNote* memberNote(std::span<const ClassNotes> notes, std::string_view className, std::string_view member);

} // namespace platform::bus
