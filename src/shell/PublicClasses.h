// The public classes of the type library "raruveViziva": what scripts create with
// CreateObject("raruveViziva.<Class>") and what the automation bus describes.
#pragma once

#include "automation/Object.h"

namespace vbscript {
class LibraryState;
}

#include <span>
#include <string_view>

namespace shell {

struct ShellState;

inline constexpr std::string_view kTypeLibrary = "raruveViziva";

struct PublicClass {
    std::string_view name;
    // A new object of the class; for Application and FRH the one instance of the
    // program whose shell state is given (null while it does not exist).
    vb::Ref<vb::Object> (*create)(ShellState& shell);
};

// The public classes in the type library's order.
std::span<const PublicClass> publicClasses();

// A new object of the public class `name` (the program's one instance for Application
// and FRH), or null when there is no such class or no such instance yet.
vb::Ref<vb::Object> createPublicObject(ShellState& shell, std::string_view name);

// Makes every public class creatable by its ProgID ("raruveViziva.DeviceClass") in the
// scripts of the engine `library` belongs to; Application and FRH are those of the
// program whose shell state is given (it outlives the engine's use of them).
void registerPublicClasses(vbscript::LibraryState& library, ShellState& shell);

} // namespace shell
