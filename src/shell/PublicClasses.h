// The public classes of the type library "raruveViziva": what scripts create with
// CreateObject("raruveViziva.<Class>") and what the automation bus describes.
#pragma once

#include "automation/Object.h"

namespace vbscript {
class LibraryState;
}

#include <span>
#include <string_view>

namespace xap {
struct ProgramState;
}

namespace shell {

struct ShellState;

inline constexpr std::string_view kTypeLibrary = "raruveViziva";

struct PublicClass {
    std::string_view name;
    // A new object of the class for the program whose states are given; for Application
    // and FRH that program's one instance (null while it does not exist).
    vb::Ref<vb::Object> (*create)(xap::ProgramState& program, ShellState& shell);
};

// The public classes in the type library's order.
std::span<const PublicClass> publicClasses();

// A new object of the public class `name` for the program whose states are given (its
// one instance for Application and FRH), or null when there is no such class or no
// such instance yet.
vb::Ref<vb::Object> createPublicObject(xap::ProgramState& program, ShellState& shell, std::string_view name);

// Makes every public class creatable by its ProgID ("raruveViziva.DeviceClass") in the
// scripts of the engine `library` belongs to; what they create belongs to the program
// whose states are given (they outlive the engine's use of them).
void registerPublicClasses(vbscript::LibraryState& library, xap::ProgramState& program, ShellState& shell);

} // namespace shell
