// Loading shared libraries and finding their symbols.
#pragma once

#include <string>

namespace platform {

class SharedLibrary {
public:
    // Loads the library; on failure `error` holds the loader's own message.
    static SharedLibrary* open(const std::string& path, std::string& error);
    // The address of an exported symbol, or null.
    void* symbol(const char* name) const;
    const std::string& path() const { return path_; }

private:
    SharedLibrary(void* handle, std::string path) : handle_(handle), path_(std::move(path)) { }
    void* handle_;
    std::string path_;
};

} // namespace platform
