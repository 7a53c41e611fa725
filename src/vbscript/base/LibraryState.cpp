#include "LibraryState.h"

#include <cstdio>

namespace vbscript {

void LibraryState::registerProgId(std::string_view progId, ObjectFactory factory)
{
    progIds_[std::string(progId)] = std::move(factory);
}

const ObjectFactory* LibraryState::findProgId(std::string_view progId) const
{
    auto it = progIds_.find(progId);
    return it == progIds_.end() ? nullptr : &it->second;
}

void LibraryState::writeHeadlessText(const std::string& text) const
{
    if (headlessSink_) {
        headlessSink_(text);
        return;
    }
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

} // namespace vbscript
