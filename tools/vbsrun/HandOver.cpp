#include "HandOver.h"

#include "platform/ExecutablePath.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <unistd.h>

namespace vbsrun {

namespace {

// Where vbsrun-xap is looked for, first found first: beside this program (the build
// tree), then where the package installs it relative to this program's folder.
std::vector<std::string> handOverCandidates(const std::string& selfPath)
{
    const std::size_t slash = selfPath.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : selfPath.substr(0, slash);
    return {folder + "/" VBSRUN_XAP_NAME, folder + "/" VBSRUN_XAP_INSTALLED};
}

[[noreturn]] void handOver(char** argv)
{
    int lastError = ENOENT;
    std::string tried;
    for (const std::string& path : handOverCandidates(platform::resolvedExecutablePath())) {
        if (::access(path.c_str(), X_OK) != 0)
            continue;
        std::fflush(nullptr);
        ::execv(path.c_str(), argv);
        lastError = errno;
        tried = path;
    }
    std::cerr << "vbsrun: the host object needs " VBSRUN_XAP_NAME ", which cannot be started"
              << (tried.empty() ? std::string() : " (" + tried + ")") << ": " << std::strerror(lastError) << "\n";
    std::exit(1);
}

} // namespace

std::vector<ExtraObject> handOverExtras(char** argv)
{
    std::vector<ExtraObject> extras = extraObjectOptions();
    for (ExtraObject& extra : extras)
        extra.create = [argv]() -> vb::Ref<vb::Object> { handOver(argv); };
    return extras;
}

} // namespace vbsrun
