// MsgBox and InputBox. With a user interface installed and allowed by the host they
// show their boxes; otherwise MsgBox writes its prompt to the headless text sink and
// returns vbOK, and InputBox returns "".
#include "Arguments.h"
#include "Families.h"

#include <array>

namespace vbscript::builtins {

namespace {

using vb::Args;
using vb::Variant;

constexpr std::int32_t kOk = 1; // vbOK
constexpr std::string_view kDefaultTitle = "VBScript";

UserInterface* activeInterface(BuiltinContext& context)
{
    UserInterface* ui = context.library().userInterface();
    return ui && context.userInterfaceAllowed() ? ui : nullptr;
}

// MsgBox(prompt[, buttons[, title[, helpfile, context]]])
Variant MsgBox(BuiltinContext& context, Args args)
{
    const std::string prompt = stringArg(args, 0);
    const std::int32_t buttons = longArg(args, 1, 0);
    const std::string title = stringArg(args, 2, std::string(kDefaultTitle));
    if (UserInterface* ui = activeInterface(context))
        return ui->msgBox(prompt, buttons, title);
    context.library().writeHeadlessText(prompt);
    return kOk;
}

// InputBox(prompt[, title[, default[, xpos, ypos[, helpfile, context]]]]): Empty when
// the user cancels.
Variant InputBox(BuiltinContext& context, Args args)
{
    const std::string prompt = stringArg(args, 0);
    const std::string title = stringArg(args, 1, std::string(kDefaultTitle));
    const std::string defaultText = stringArg(args, 2, std::string());
    if (UserInterface* ui = activeInterface(context)) {
        if (std::optional<std::string> answer = ui->inputBox(prompt, title, defaultText))
            return *answer;
        return Variant();
    }
    return std::string();
}

constexpr std::array kFunctions = {
    BuiltinFunction{"InputBox", 1, 7, &InputBox},
    BuiltinFunction{"MsgBox", 1, 5, &MsgBox},
};

} // namespace

std::span<const BuiltinFunction> interactionFunctions()
{
    return kFunctions;
}

} // namespace vbscript::builtins
