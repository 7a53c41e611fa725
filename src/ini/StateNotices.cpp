#include "StateNotices.h"

#include "IniState.h"

#include <iostream>

namespace services {

void stateNotice(const IniState& state, std::string_view text)
{
    if (state.noticeWriter)
        state.noticeWriter(text);
    else
        std::cerr << "tallis: " << text << std::endl;
}

std::string reasonWithoutPath(const std::string& path, const std::string& reason)
{
    const std::string tail = ": " + path;
    if (reason.size() > tail.size() && reason.compare(reason.size() - tail.size(), tail.size(), tail) == 0)
        return reason.substr(0, reason.size() - tail.size());
    return reason;
}

} // namespace services
