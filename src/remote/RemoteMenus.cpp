#include "RemoteMenus.h"

#include <array>

namespace remote {

namespace {

using K = ArgumentKind;

constexpr std::array kCommands = {
    CommandSpec{"mnu_TopLEDOn", "AudreyTopLed", K::Text, "on"},
    CommandSpec{"mnu_TopLEDOff", "AudreyTopLed", K::Text, "off"},
    CommandSpec{"mnu_TopLEDBlink", "AudreyTopLed", K::Text, "blink"},
    CommandSpec{"mnu_BottomLEDOn", "AudreyMailLED", K::Text, "on"},
    CommandSpec{"mnu_BottomLEDOff", "AudreyMailLED", K::Text, "off"},
    CommandSpec{"mnu_BottomLEDBlink", "AudreyMailLED", K::Text, "blink"},
    CommandSpec{"mnu_BackLightOn", "AudreyBacklight", K::Text, "on"},
    CommandSpec{"mnu_BackLightOff", "AudreyBacklight", K::Text, "off"},
    CommandSpec{"mnu_DisplaySleep", "AudreySleep", K::Text, "sleep"},
    CommandSpec{"mnu_DisplayWake", "AudreySleep", K::Text, "wake"},
    CommandSpec{"mnu_DisplayToggle", "AudreySleep", K::Text, "toggle"},
    CommandSpec{"mnu_BrowserFullScreen", "AudreyBrowserFulScreen", K::Integer, {}, 1},
    CommandSpec{"mnu_BrowserNotFullScreen", "AudreyBrowserFulScreen", K::Integer, {}, 0},
    CommandSpec{"mnu_ToggleBrowser", "AudreyToggleBrowserFullscreen", K::None},
    CommandSpec{"mnu_MP3Play", "AudreyMP3", K::Text, "play"},
    CommandSpec{"mnu_MP3Pause", "AudreyMP3", K::Text, "pause"},
    CommandSpec{"mnu_MP3Stop", "AudreyMP3", K::Text, "stop"},
    CommandSpec{"mnu_MP3Next", "AudreyMP3", K::Text, "next"},
    CommandSpec{"mnu_MP3Prev", "AudreyMP3", K::Text, "prev"},
    CommandSpec{"mnu_Powercycle", "AudreyPowerCycle", K::None},
    CommandSpec{"mnu_Slideshow", "AudreySlideshow", K::None},
    CommandSpec{"mnu_Test", "AudreyTest", K::None},
    CommandSpec{"mnu_Speak", "AudreyTest", K::Prompt, {}, 0, "What do you want to have Audrey speak?", "Say What"},
    CommandSpec{"mnu_Text", "AudreyText", K::Prompt, {}, 0, "What message do you want to have displayed on Audrey?", "Display What"},
    CommandSpec{"mnu_WEBPage", "AudreyPushFullscreen", K::Prompt, {}, 0, "What Website Address do you want to push to Audrey?", "What Website"},
    CommandSpec{"mnu_Execute", "AudreyExecute", K::Prompt, {}, 0, "What do you want to execute on Audrey?", "Execute What"},
    CommandSpec{"mnu_SetVolume", "AudreyVolume", K::Volume, {}, 0, "What percentage do you want to set the volume to (0-100)?", "Set Volume"},
    CommandSpec{"mnu_SetSoundVolume", "AudreySoundsVolume", K::Volume, {}, 0, "What percentage do you want to set the sounds volume to (0-100)?", "Set Volume"},
};

constexpr std::array<std::string_view, 19> kSounds = {"Cancel", "Check", "Copy", "Cut", "Delete", "Help", "Major",
    "Close", "Open", "High", "Low", "Paste", "Print", "Down", "Up", "Snap", "Warm", "Sleep", "Wake"};

constexpr std::array kTopLed = {
    MenuEntrySpec{"mnu_TopLEDOn", "On"}, MenuEntrySpec{"mnu_TopLEDOff", "Off"}, MenuEntrySpec{"mnu_TopLEDBlink", "Blink"}};
constexpr std::array kLeftSpeaker = {
    MenuEntrySpec{"mnu_SetVolume", "Set Volume"}, MenuEntrySpec{"mnu_SetSoundVolume", "Set Sound Volume"}};
// The sounds of "Play Sound" are added from the sound table.
constexpr std::array kRightSpeaker = {
    MenuEntrySpec{"mnu_Speak", "Speak Text"}, MenuEntrySpec{"mnu_PlaySound", "Play Sound"}};
constexpr std::array kDisplay = {
    MenuEntrySpec{"mnu_Text", "Text to Screen"}, MenuEntrySpec{"mnu_WEBPage", "Send WEB Page to Screen"}};
constexpr std::array kDatebook = {
    MenuEntrySpec{"mnu_Execute", "Execute"}, MenuEntrySpec{"zmnu_DatebookNA", "-", true}};
constexpr std::array kBrowser = {
    MenuEntrySpec{"mnu_BrowserFullScreen", "Full Screen"}, MenuEntrySpec{"mnu_BrowserNotFullScreen", "Not Full Screen"},
    MenuEntrySpec{"zmnu_BrowserRule", "-"}, MenuEntrySpec{"mnu_ToggleBrowser", "Toggle Browser"}};
constexpr std::array kPhoneBook = {MenuEntrySpec{"mnu_ACID", "ACID"}};
constexpr std::array kOptions = {
    MenuEntrySpec{"mnu_Powercycle", "Powercycle"}, MenuEntrySpec{"mnu_Slideshow", "Start Slide Show"},
    MenuEntrySpec{"mnu_Test", "Test"}, MenuEntrySpec{"zmnu_OptionsRule1", "-"},
    MenuEntrySpec{"mnu_About", "About", true}, MenuEntrySpec{"mnu_Help", "Help", true},
    MenuEntrySpec{"zmnu_OptionsRule2", "-", true}, MenuEntrySpec{"mnu_Hide", "Hide Controls"}};
constexpr std::array kBackLight = {
    MenuEntrySpec{"mnu_Display", "Display"},
    MenuEntrySpec{"mnu_DisplaySleep", "Sleep", false, "mnu_Display"},
    MenuEntrySpec{"mnu_DisplayWake", "Wake", false, "mnu_Display"},
    MenuEntrySpec{"zmnu_SleepRule1", "-", false, "mnu_Display"},
    MenuEntrySpec{"mnu_DisplayToggle", "Toggle", false, "mnu_Display"},
    MenuEntrySpec{"mnu_TurnBackLight", "Back Light"},
    MenuEntrySpec{"mnu_BackLightOn", "On", false, "mnu_TurnBackLight"},
    MenuEntrySpec{"mnu_BackLightOff", "Off", false, "mnu_TurnBackLight"}};
constexpr std::array kBottomLed = {
    MenuEntrySpec{"mnu_BottomLEDOn", "On"}, MenuEntrySpec{"mnu_BottomLEDOff", "Off"}, MenuEntrySpec{"mnu_BottomLEDBlink", "Blink"}};
constexpr std::array kChannelKnob = {
    MenuEntrySpec{"mnu_MP3Play", "Phjuke - Play"}, MenuEntrySpec{"mnu_MP3Pause", "Phjuke - Pause"},
    MenuEntrySpec{"mnu_MP3Stop", "Phjuke - Stop"}, MenuEntrySpec{"zmnu_MP3Rule1", "-"},
    MenuEntrySpec{"mnu_MP3Next", "Phjuke - Next Song"}, MenuEntrySpec{"mnu_MP3Prev", "Phjuke - Previous Song"},
    MenuEntrySpec{"zmnu_ChannelKnobNA", "-", true}};
// The Audrey items mnu_Audrey(0..8) are added in front of these by the window.
constexpr std::array kKeyboard = {MenuEntrySpec{"zmnu_AudreyRule", "-"}, MenuEntrySpec{"mnu_AllAudreys", "All Audreys"}};

constexpr std::array kPopups = {
    PopupSpec{"popmnu_TopLED", "TopLED", kTopLed},
    PopupSpec{"popmnu_LeftSpeaker", "LeftSpeaker", kLeftSpeaker},
    PopupSpec{"popmnu_RightSpeaker", "RightSpeaker", kRightSpeaker},
    PopupSpec{"popmnu_Display", "Display", kDisplay},
    PopupSpec{"popmnu_Datebook", "DateBook", kDatebook},
    PopupSpec{"popmnu_Browser", "Browser", kBrowser},
    PopupSpec{"popmnu_PhoneBook", "PhoneBook", kPhoneBook},
    PopupSpec{"popmnu_Options", "Options", kOptions},
    PopupSpec{"popmnu_BackLight", "BackLight", kBackLight},
    PopupSpec{"popmnu_BottomLED", "BottomLED", kBottomLed},
    PopupSpec{"popmnu_ChannelKnob", "ChannelKnob", kChannelKnob},
    PopupSpec{"popmnu_KeyboardIR", "KeyboardIR", kKeyboard},
};

constexpr std::array kAreas = {
    ActiveAreaSpec{"img_TopLED", 1900, 75, 130, 1150, "Control Top LED", "popmnu_TopLED"},
    ActiveAreaSpec{"img_LeftSpeaker", 500, 1200, 600, 150, "Control Volume", "popmnu_LeftSpeaker"},
    ActiveAreaSpec{"img_RightSpeaker", 2900, 1200, 600, 150, "Play Sounds", "popmnu_RightSpeaker"},
    ActiveAreaSpec{"img_Display", 960, 1920, 2055, 1455, "Control Screen Display", "popmnu_Display"},
    ActiveAreaSpec{"img_DatebookButton", 3250, 1960, 175, 175, "Execute Command", "popmnu_Datebook"},
    ActiveAreaSpec{"img_BrowserButton", 3250, 2265, 175, 175, "Control Browser Screen", "popmnu_Browser"},
    ActiveAreaSpec{"img_PhonebookButton", 3250, 2550, 175, 175, "ACID Control", "popmnu_PhoneBook"},
    ActiveAreaSpec{"img_OptionsButton", 3265, 2950, 135, 135, "Options", "popmnu_Options"},
    ActiveAreaSpec{"img_BacklightButton", 3265, 3150, 135, 135, "Control Backlight", "popmnu_BackLight"},
    ActiveAreaSpec{"img_BottomLED", 1080, 3560, 255, 255, "Control Bottom LED", "popmnu_BottomLED"},
    ActiveAreaSpec{"img_SelectKnob", 1825, 3600, 315, 315, "Phjuke Controls", "popmnu_ChannelKnob"},
    ActiveAreaSpec{"img_Keyboard", 1750, 4000, 450, 170, "Hide Keyboard - Select Audreys", "popmnu_KeyboardIR"},
};

} // namespace

std::span<const CommandSpec> commandSpecs()
{
    return kCommands;
}

const CommandSpec* findCommandSpec(std::string_view item)
{
    for (const CommandSpec& c : kCommands) {
        if (c.item == item)
            return &c;
    }
    return nullptr;
}

std::span<const PopupSpec> popupSpecs()
{
    return kPopups;
}

std::span<const std::string_view> soundCaptions()
{
    return kSounds;
}

std::span<const ActiveAreaSpec> activeAreaSpecs()
{
    return kAreas;
}

} // namespace remote
