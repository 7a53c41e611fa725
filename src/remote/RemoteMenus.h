// The remote-control window's pop-up menus and the commands behind their items, as
// tables.
#pragma once

#include <span>
#include <string_view>

namespace remote {

// How a command's argument after the Audrey selection is formed.
enum class ArgumentKind {
    None,    // no further argument
    Text,    // the fixed text `text`
    Integer, // the fixed Integer `number`
    Prompt,  // the text the user types at `prompt` / `title` ("" when cancelled)
    Volume,  // a typed volume 0 to 100, validated; nothing is sent when invalid
};

struct CommandSpec {
    std::string_view item;   // menu item name, "mnu_TopLEDOn"
    std::string_view member; // plug-in member, "AudreyTopLed"
    ArgumentKind kind;
    std::string_view text = {};
    int number = 0;
    std::string_view prompt = {};
    std::string_view title = {};
};

std::span<const CommandSpec> commandSpecs();
const CommandSpec* findCommandSpec(std::string_view item);

// One entry of a pop-up menu; `submenu` names the entries of a nested menu.
struct MenuEntrySpec {
    std::string_view name;    // "mnu_TopLEDOn"; separators are named too
    std::string_view caption; // "-" for a separator
    bool hidden = false;
    std::string_view parent = {}; // the nested menu it belongs to, empty for the top level
};

struct PopupSpec {
    std::string_view name;    // "popmnu_TopLED"
    std::string_view caption; // "TopLED"
    std::span<const MenuEntrySpec> entries;
};

std::span<const PopupSpec> popupSpecs();

// The captions of the nineteen sounds of "Play Sound", index 0 to 18.
std::span<const std::string_view> soundCaptions();

// An active area of the picture: position in twips, tool tip and its menu.
struct ActiveAreaSpec {
    std::string_view name;
    int left, top, width, height; // twips
    std::string_view toolTip;
    std::string_view popup;
};

std::span<const ActiveAreaSpec> activeAreaSpecs();

} // namespace remote
