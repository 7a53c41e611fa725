#include "SaveEpisodes.h"

#include "IniState.h"
#include "StateNotices.h"

#include <map>

namespace services {

using Episode = IniState::SaveEpisode;

void noteSaveFailed(IniState& state, const std::string& path, const std::string& reason)
{
    Episode& episode = state.saveEpisodes[path];
    if (episode.failures++ == 0) {
        episode.plural = state.savePlural;
        stateNotice(state, "could not save " + path + ": " + reasonWithoutPath(path, reason) +
                               " (further failures are counted until it is saved again)");
    }
}

void noteSaved(IniState& state, const std::string& path)
{
    auto it = state.saveEpisodes.find(path);
    if (it == state.saveEpisodes.end())
        return;
    const Episode episode = std::move(it->second);
    state.saveEpisodes.erase(it);
    std::string kind = episode.plural;
    if (episode.failures == 1 && kind.ends_with('s'))
        kind.pop_back();
    stateNotice(state, path + " saved again after " + std::to_string(episode.failures) + " failed " + kind);
}

std::size_t failedSavesOf(const IniState& state, const std::string& path)
{
    auto it = state.saveEpisodes.find(path);
    return it == state.saveEpisodes.end() ? 0 : it->second.failures;
}

SaveKindScope::SaveKindScope(IniState& state, const char* plural)
    : state_(state)
    , previous_(state.savePlural)
{
    state_.savePlural = plural;
}

SaveKindScope::~SaveKindScope()
{
    state_.savePlural = previous_;
}

} // namespace services
