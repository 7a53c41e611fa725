#include "SaveEpisodes.h"

#include "IniState.h"
#include "StateNotices.h"

#include <map>

namespace services {

namespace {

using Episode = IniState::SaveEpisode;

std::map<std::string, Episode>& episodes()
{
    return iniState().saveEpisodes;
}

const char*& currentPlural()
{
    return iniState().savePlural;
}

} // namespace

void noteSaveFailed(const std::string& path, const std::string& reason)
{
    Episode& episode = episodes()[path];
    if (episode.failures++ == 0) {
        episode.plural = currentPlural();
        stateNotice("could not save " + path + ": " + reasonWithoutPath(path, reason) +
                    " (further failures are counted until it is saved again)");
    }
}

void noteSaved(const std::string& path)
{
    auto it = episodes().find(path);
    if (it == episodes().end())
        return;
    const Episode episode = std::move(it->second);
    episodes().erase(it);
    std::string kind = episode.plural;
    if (episode.failures == 1 && kind.ends_with('s'))
        kind.pop_back();
    stateNotice(path + " saved again after " + std::to_string(episode.failures) + " failed " + kind);
}

std::size_t failedSavesOf(const std::string& path)
{
    auto it = episodes().find(path);
    return it == episodes().end() ? 0 : it->second.failures;
}

SaveKindScope::SaveKindScope(const char* plural) : previous_(currentPlural())
{
    currentPlural() = plural;
}

SaveKindScope::~SaveKindScope()
{
    currentPlural() = previous_;
}

} // namespace services
