// Message and input boxes as the run-time library shows them. The program installs a
// Qt implementation into the engine when it has a display (LibraryState); without one
// MsgBox writes its text through the headless text sink and returns vbOK (1), and
// InputBox returns "".
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vbscript {

class UserInterface {
public:
    virtual ~UserInterface() = default;
    // VBScript's MsgBox: returns the button pressed (vbOK = 1 ... vbNo = 7).
    virtual std::int32_t msgBox(const std::string& prompt, std::int32_t buttons, const std::string& title) = 0;
    // VBScript's InputBox: nothing when cancelled.
    virtual std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                                const std::string& defaultText) = 0;
};

} // namespace vbscript
