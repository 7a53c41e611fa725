#include "SendKeys.h"

#include "automation/Error.h"
#include "automation/TextCompare.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <unordered_map>

namespace host {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

const std::unordered_map<std::string, std::string>& namedKeys()
{
    static const std::unordered_map<std::string, std::string> keys = {
        {"BACKSPACE", "BackSpace"}, {"BS", "BackSpace"}, {"BKSP", "BackSpace"}, {"BREAK", "Break"},
        {"CAPSLOCK", "Caps_Lock"}, {"DELETE", "Delete"}, {"DEL", "Delete"}, {"DOWN", "Down"},
        {"END", "End"}, {"ENTER", "Return"}, {"ESC", "Escape"}, {"HELP", "Help"}, {"HOME", "Home"},
        {"INSERT", "Insert"}, {"INS", "Insert"}, {"LEFT", "Left"}, {"NUMLOCK", "Num_Lock"},
        {"PGDN", "Next"}, {"PGUP", "Prior"}, {"PRTSC", "Print"}, {"RIGHT", "Right"},
        {"SCROLLLOCK", "Scroll_Lock"}, {"TAB", "Tab"}, {"UP", "Up"}, {"ADD", "KP_Add"},
        {"SUBTRACT", "KP_Subtract"}, {"MULTIPLY", "KP_Multiply"}, {"DIVIDE", "KP_Divide"},
    };
    return keys;
}

// The keysym of one character, for chords ("ctrl+c", "shift+period").
std::string keysymOf(char c)
{
    if (std::isalnum(static_cast<unsigned char>(c)))
        return std::string(1, c);
    static const std::unordered_map<char, std::string> names = {
        {' ', "space"}, {'.', "period"}, {',', "comma"}, {'-', "minus"}, {'+', "plus"}, {'=', "equal"},
        {'/', "slash"}, {'\\', "backslash"}, {';', "semicolon"}, {'\'', "apostrophe"}, {'`', "grave"},
        {'[', "bracketleft"}, {']', "bracketright"}, {'{', "braceleft"}, {'}', "braceright"},
        {'(', "parenleft"}, {')', "parenright"}, {'^', "asciicircum"}, {'%', "percent"}, {'~', "asciitilde"},
        {'!', "exclam"}, {'@', "at"}, {'#', "numbersign"}, {'$', "dollar"}, {'&', "ampersand"},
        {'*', "asterisk"}, {'_', "underscore"}, {':', "colon"}, {'"', "quotedbl"}, {'<', "less"},
        {'>', "greater"}, {'?', "question"}, {'|', "bar"}, {'\t', "Tab"}, {'\n', "Return"},
    };
    auto it = names.find(c);
    if (it == names.end())
        vb::raiseError(vb::err::InvalidProcedureCall);
    return it->second;
}

class Reader {
public:
    explicit Reader(std::string_view keys) : keys_(keys) { }

    std::vector<KeyStep> run()
    {
        while (pos_ < keys_.size())
            step({});
        return std::move(steps_);
    }

private:
    [[noreturn]] static void invalid() { vb::raiseError(vb::err::InvalidProcedureCall); }

    // Reads one key (or one group) with the modifiers held so far.
    void step(std::string modifiers)
    {
        const char c = keys_[pos_++];
        switch (c) {
        case '+': return step(modifiers + "shift+");
        case '^': return step(modifiers + "ctrl+");
        case '%': return step(modifiers + "alt+");
        case '~': return chord(modifiers + "Return");
        case '{': return braced(modifiers);
        case '(': {
            if (modifiers.empty())
                invalid();
            // Every key of the group is pressed with the modifiers held.
            while (pos_ < keys_.size() && keys_[pos_] != ')')
                step(modifiers);
            if (pos_ >= keys_.size())
                invalid();
            ++pos_;
            return;
        }
        case ')':
        case '}': invalid();
        default:
            if (modifiers.empty())
                type(c);
            else
                chord(modifiers + keysymOf(c));
        }
    }

    void braced(const std::string& modifiers)
    {
        // "{}}" and "{{}" name the braces themselves; otherwise the name runs to the first "}".
        std::size_t close = keys_.find('}', pos_ + 1);
        if (close == std::string_view::npos)
            invalid();
        std::string_view inside = keys_.substr(pos_, close - pos_);
        pos_ = close + 1;
        int repeat = 1;
        const std::size_t blank = inside.rfind(' ');
        if (blank != std::string_view::npos && blank > 0) {
            const std::string_view count = inside.substr(blank + 1);
            if (count.empty() || count.size() > 4 || !std::all_of(count.begin(), count.end(), isDigit))
                invalid();
            repeat = std::stoi(std::string(count));
            inside = inside.substr(0, blank);
        }
        if (inside.empty())
            invalid();
        for (int i = 0; i < repeat; ++i)
            namedKey(modifiers, inside);
    }

    void namedKey(const std::string& modifiers, std::string_view name)
    {
        if (name.size() == 1) {
            if (modifiers.empty())
                type(name[0]);
            else
                chord(modifiers + keysymOf(name[0]));
            return;
        }
        const std::string upper = vb::upperCase(name);
        auto it = namedKeys().find(upper);
        if (it != namedKeys().end())
            return chord(modifiers + it->second);
        if (upper[0] == 'F' && upper.size() <= 3 && std::all_of(upper.begin() + 1, upper.end(), isDigit)) {
            const int n = std::stoi(upper.substr(1));
            if (n >= 1 && n <= 16)
                return chord(modifiers + "F" + std::to_string(n));
        }
        invalid();
    }

    void type(char c)
    {
        if (steps_.empty() || steps_.back().kind != KeyStep::Type)
            steps_.push_back(KeyStep{KeyStep::Type, {}});
        steps_.back().text += c;
    }

    void chord(std::string keys) { steps_.push_back(KeyStep{KeyStep::Chord, std::move(keys)}); }

    std::string_view keys_;
    std::size_t pos_ = 0;
    std::vector<KeyStep> steps_;
};

} // namespace

std::vector<KeyStep> parseSendKeys(std::string_view keys)
{
    return Reader(keys).run();
}

} // namespace host
