#include "AudreyCommands.h"

#include "automation/Conversions.h"
#include "automation/TextCompare.h"

#include <array>
#include <cmath>

namespace audrey {

namespace {

constexpr std::array kCommands = {
    Command{"AudreyBacklight", "Backlight", ValueKind::Word, "on|off"},
    Command{"AudreyMailLED", "MailLED", ValueKind::Word, "on|off|blink"},
    Command{"AudreyTopLed", "TopLed", ValueKind::Word, "on|off|blink"},
    Command{"AudreyBrowserFulScreen", "BrowserFulScreen", ValueKind::Number, {}, 0, 1},
    Command{"AudreyToggleBrowserFullscreen", "ToggleBrowserFullscreen", ValueKind::None},
    Command{"AudreyPowerCycle", "PowerCycle", ValueKind::None},
    Command{"AudreySlideshow", "Slideshow", ValueKind::None},
    Command{"AudreySleep", "Sleep", ValueKind::Word, "sleep|wake|toggle"},
    Command{"AudreyExecute", "Execute", ValueKind::Text},
    Command{"AudreyText", "Text", ValueKind::Text},
    Command{"AudreyPushFullscreen", "PushFullscreen", ValueKind::Text},
    Command{"AudreyMP3", "MP3", ValueKind::Word, "play|pause|stop|next|prev"},
    Command{"AudreySoundsVolume", "SoundsVolume", ValueKind::Number, {}, 0, 100},
    Command{"AudreyVolume", "Volume", ValueKind::Number, {}, 0, 100},
    Command{"AudreyPlaySound", "PlaySound", ValueKind::Number, {}, 0, 18},
    Command{"AudreyTest", "Test", ValueKind::OptionalText},
    Command{"AudreyCyclePower", "CyclePower", ValueKind::None},
};

static_assert(kCommands.size() == kCommandCount);

bool wordAllowed(std::string_view allowed, std::string_view word)
{
    while (!allowed.empty()) {
        const std::size_t bar = allowed.find('|');
        if (vb::equalsIgnoreCase(allowed.substr(0, bar), word))
            return true;
        if (bar == std::string_view::npos)
            break;
        allowed.remove_prefix(bar + 1);
    }
    return false;
}

} // namespace

std::span<const Command> commands()
{
    return kCommands;
}

const Command* findCommand(std::string_view commandName)
{
    for (const Command& c : kCommands) {
        if (vb::equalsIgnoreCase(c.command, commandName))
            return &c;
    }
    return nullptr;
}

std::optional<std::string> acceptValue(const Command& command, bool present, const std::string& value)
{
    switch (command.kind) {
    case ValueKind::None:
        return std::string();
    case ValueKind::OptionalText:
    case ValueKind::Text:
        if (!present && command.kind == ValueKind::Text)
            return std::nullopt;
        return present ? value : std::string();
    case ValueKind::Word:
        if (!present || !wordAllowed(command.allowed, value))
            return std::nullopt;
        return vb::lowerCase(value);
    case ValueKind::Number: {
        if (!present)
            return std::nullopt;
        auto n = vb::parseNumber(value);
        if (!n)
            return std::nullopt;
        const double rounded = vb::roundHalfEven(*n);
        if (rounded < command.minimum || rounded > command.maximum)
            return std::nullopt;
        return std::to_string(static_cast<long>(rounded));
    }
    }
    return std::nullopt;
}

} // namespace audrey
