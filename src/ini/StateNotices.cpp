#include "StateNotices.h"

#include "IniState.h"

#include <iostream>

namespace services {

namespace {

NoticeWriter& writer()
{
    return iniState().noticeWriter;
}

} // namespace

void setStateNoticeWriter(NoticeWriter w)
{
    writer() = std::move(w);
}

void stateNotice(std::string_view text)
{
    if (writer())
        writer()(text);
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
