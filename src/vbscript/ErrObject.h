// The Err object: the last run-time error of the script and Err.Raise.
#pragma once

#include "automation/MemberTable.h"

#include <cstdint>
#include <string>

namespace vbscript {

class ErrObject final : public vb::Dispatch<ErrObject> {
public:
    static const vb::MemberTable<ErrObject>& members();

    std::int32_t Number() const { return number_; }
    void LetNumber(std::int32_t n);
    std::string Description() const { return description_; }
    void LetDescription(const std::string& s) { description_ = s; }
    std::string Source() const { return source_; }
    void LetSource(const std::string& s) { source_ = s; }
    std::string HelpFile() const { return helpFile_; }
    void LetHelpFile(const std::string& s) { helpFile_ = s; }
    std::int32_t HelpContext() const { return helpContext_; }
    void LetHelpContext(std::int32_t n) { helpContext_ = n; }
    void Clear();
    // Raise number, [source], [description], [helpfile], [helpcontext]
    static vb::Variant Raise(ErrObject& self, vb::Args args);

    // Records a caught error.
    void set(std::int32_t number, std::string description, std::string source);

private:
    std::int32_t number_ = 0;
    std::string description_;
    std::string source_;
    std::string helpFile_;
    std::int32_t helpContext_ = 0;
    // HelpFile and HelpContext given to Raise, kept when the raised error is recorded.
    bool raisePending_ = false;
    std::int32_t raisedNumber_ = 0;
    std::string raisedHelpFile_;
    std::int32_t raisedHelpContext_ = 0;
};

// The VBScript error number Err.Raise reports for `number`: HRESULTs that stand for a
// VBScript error become that error (&H8007000E is 7, "Out of memory").
std::int32_t raisedErrorNumber(std::int32_t number);

// The description VBScript gives a run-time error number.
std::string runtimeDescription(std::int32_t number);

} // namespace vbscript
