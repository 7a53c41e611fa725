#include "SharedLibrary.h"

#include <dlfcn.h>

namespace platform {

SharedLibrary* SharedLibrary::open(const std::string& path, std::string& error)
{
    // Libraries stay loaded for the life of the program: objects they created may
    // outlive any one use of them.
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* message = ::dlerror();
        error = message ? message : "the library could not be loaded";
        return nullptr;
    }
    return new SharedLibrary(handle, path);
}

void* SharedLibrary::symbol(const char* name) const
{
    return ::dlsym(handle_, name);
}

} // namespace platform
