#include "HandOver.h"

#include "platform/ExecutablePath.h"
#include "platform/ProgramHandOver.h"

#include <cstdlib>
#include <iostream>
#include <string>

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
    // A candidate that is not there is passed over; the last one that could not be
    // started is named.
    std::string reason = "No such file or directory";
    std::string tried;
    for (const std::string& path : handOverCandidates(platform::resolvedExecutablePath())) {
        if (!platform::isExecutableFile(path))
            continue;
        reason = platform::runInstead(path, argv);
        tried = path;
    }
    std::cerr << "vbsrun: the host object needs " VBSRUN_XAP_NAME ", which cannot be started"
              << (tried.empty() ? std::string() : " (" + tried + ")") << ": " << reason << "\n";
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
