// The message and input boxes of scripts (MsgBox, InputBox) on the desktop.
#pragma once

#include "vbscript/builtins/Builtins.h"

namespace shell {

class ScriptDialogs final : public vbscript::UserInterface {
public:
    // MsgBox: the buttons argument's button set, icon and default button; returns the
    // button pressed as VBScript numbers them (vbOK 1 ... vbNo 7).
    std::int32_t msgBox(const std::string& prompt, std::int32_t buttons, const std::string& title) override;
    std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                        const std::string& defaultText) override;
};

} // namespace shell
