// The entry points of a Tallis plug-in library.
//
// A plug-in class "hspi_Name.hspi" lives in the shared library hspi_Name.so in the
// program's folder. The library exports two C functions:
//
//   tallis_object_model_version()  the object-model version it was built against;
//                                  the program refuses a library of another version.
//   tallis_create_object(name)     a new object of the named class ("hspi_Name.hspi"),
//                                  or null when the library has no such class. The
//                                  object comes with a reference count of zero; the
//                                  program takes the first reference.
//
// Objects are vb::Object (src/automation): members are called late-bound by name.
// Build a plug-in with the CMake target tallis_plugin_sdk; the object model itself is
// provided by the program at load time, so every plug-in shares the program's copy.
#pragma once

#include "automation/Object.h"

// Raise this whenever a change to the object model breaks plug-ins built before it.
#define TALLIS_OBJECT_MODEL_VERSION 1

#define TALLIS_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))

namespace tallis {
using CreateObjectFn = vb::Object* (*)(const char* className);
using ObjectModelVersionFn = int (*)();
inline constexpr const char* kCreateObjectSymbol = "tallis_create_object";
inline constexpr const char* kObjectModelVersionSymbol = "tallis_object_model_version";
} // namespace tallis

// Declares both entry points for a library; put it in one source file of the plug-in:
//   TALLIS_PLUGIN_ENTRY(if (name == "hspi_Audrey.hspi") return new AudreyPlugin; )
#define TALLIS_PLUGIN_ENTRY(...)                                                      \
    TALLIS_PLUGIN_EXPORT int tallis_object_model_version() { return TALLIS_OBJECT_MODEL_VERSION; } \
    TALLIS_PLUGIN_EXPORT vb::Object* tallis_create_object(const char* className_)     \
    {                                                                                 \
        const std::string_view name(className_ ? className_ : "");                    \
        __VA_ARGS__                                                                   \
        return nullptr;                                                               \
    }
