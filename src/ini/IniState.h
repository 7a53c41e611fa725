// What the INI store keeps for one running program: who hears what it cannot read or
// write, who hears state notices, and the save failures counted per file until it is
// saved again. The program state owns one and hands it to the program's stores
// (IniTool) and to the calls that count saves.
#pragma once

#include "IniTool.h"
#include "StateNotices.h"

#include <cstddef>
#include <map>
#include <string>

namespace services {

struct IniState {
    IniState();
    ~IniState();
    IniState(const IniState&) = delete;
    IniState& operator=(const IniState&) = delete;

    IniTool::Logger logger;    // null: nothing is reported
    NoticeWriter noticeWriter; // null: notices go to standard error

    // One run of failed saves of a file: how many, and the word its notice counts in.
    struct SaveEpisode {
        std::size_t failures = 0;
        std::string plural;
    };
    std::map<std::string, SaveEpisode> saveEpisodes; // by path
    const char* savePlural = "saves"; // what a save is called now (SaveKindScope)
};

} // namespace services
