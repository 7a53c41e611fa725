// RegExp: VBScript's regular-expression object ("New RegExp",
// CreateObject("VBScript.RegExp")).
//
// Pattern, Global, IgnoreCase and Multiline configure it; Test tells whether the
// pattern matches, Execute returns the matches (all of them when Global, else the
// first), Replace substitutes them with a text ($1 ... $99, $&, $`, $', $$) or with
// the result of a function reference called as (match, submatches..., position, text).
// A pattern with a syntax error raises its error when first used.
#pragma once

#include "regex/RegexProgram.h"

#include "automation/MemberTable.h"

#include <optional>

namespace vbscript::objects {

class RegExp final : public vb::Dispatch<RegExp> {
public:
    static const vb::MemberTable<RegExp>& members();

    std::string Pattern() const { return pattern_; }
    void LetPattern(const std::string& pattern);
    bool Global() const { return global_; }
    void LetGlobal(bool value) { global_ = value; }
    bool IgnoreCase() const { return ignoreCase_; }
    void LetIgnoreCase(bool value) { ignoreCase_ = value; }
    bool Multiline() const { return multiline_; }
    void LetMultiline(bool value) { multiline_ = value; }

    bool Test(const std::string& subject);
    vb::Variant Execute(const std::string& subject);
    std::string Replace(const std::string& subject, vb::Variant& replacement);

private:
    const regex::Program& program();

    std::string pattern_;
    bool global_ = false;
    bool ignoreCase_ = false;
    bool multiline_ = false;
    std::optional<regex::Program> compiled_;
};

} // namespace vbscript::objects
