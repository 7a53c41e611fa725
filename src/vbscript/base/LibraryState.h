// What the run-time library keeps for one engine: the creatable classes its host
// registered, the message and input boxes, where a headless MsgBox writes, the
// sequence of Rnd, and the host folder whose spelling file paths keep. The engine
// owns one, kept across a Reset; library functions reach it through their context
// (BuiltinContext::library).
#pragma once

#include "RandomSequence.h"
#include "UserInterface.h"

#include "automation/Object.h"
#include "automation/TextCompare.h"

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace vbscript {

// A class the host lets scripts create (CreateObject("ProgID")).
using ObjectFactory = std::function<vb::Ref<vb::Object>()>;

class LibraryState {
public:
    // The host's creatable classes come before the library's own, so that the host may
    // replace a library class.
    void registerProgId(std::string_view progId, ObjectFactory factory);
    // The factory registered for `progId` (without regard to case); null when none is.
    const ObjectFactory* findProgId(std::string_view progId) const;

    // Message and input boxes; null (the default) for the headless behaviour.
    void setUserInterface(UserInterface* ui) { userInterface_ = ui; }
    UserInterface* userInterface() const { return userInterface_; }

    // Where the headless MsgBox writes its text (standard error when unset).
    void setHeadlessTextSink(std::function<void(const std::string&)> sink) { headlessSink_ = std::move(sink); }
    void writeHeadlessText(const std::string& text) const;

    RandomSequence& random() { return random_; }

    // A folder of the host's own (its base folder) whose spelling the scripts' file
    // paths keep: a "\" in it is part of a name ("": none).
    void setVerbatimFolder(std::string folder) { verbatimFolder_ = std::move(folder); }
    const std::string& verbatimFolder() const { return verbatimFolder_; }

private:
    std::unordered_map<std::string, ObjectFactory, vb::CaseInsensitiveHash, vb::CaseInsensitiveEqual> progIds_;
    UserInterface* userInterface_ = nullptr;
    std::function<void(const std::string&)> headlessSink_;
    RandomSequence random_;
    std::string verbatimFolder_;
};

} // namespace vbscript
