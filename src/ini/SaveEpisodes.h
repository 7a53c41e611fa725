// Save failures told without flooding. A file that cannot be saved starts an episode:
// its first failure is a notice ("could not save PATH: REASON"), the failures after it
// are only counted, and the first save that succeeds ends it ("PATH saved again after
// N failed saves"). Each failure still sends its own xAP event; the notices are for the
// log file and standard error (StateNotices).
#pragma once

#include <cstddef>
#include <string>

namespace services {

struct IniState;

// The episodes are those of one program's INI state; its notices go where it says.
void noteSaveFailed(IniState& state, const std::string& path, const std::string& reason);
void noteSaved(IniState& state, const std::string& path);
// Failures of the file's current episode (0 when its last save succeeded).
std::size_t failedSavesOf(const IniState& state, const std::string& path);

// While one lives, an episode of `state` that starts is counted in `plural`
// ("checkpoints") instead of "saves".
class SaveKindScope {
public:
    SaveKindScope(IniState& state, const char* plural);
    ~SaveKindScope();
    SaveKindScope(const SaveKindScope&) = delete;
    SaveKindScope& operator=(const SaveKindScope&) = delete;

private:
    IniState& state_;
    const char* previous_;
};

} // namespace services
