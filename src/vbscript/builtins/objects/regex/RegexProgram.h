// A compiled regular expression: instructions for a backtracking matcher.
//
// The pattern language is that of VBScript's RegExp object: alternation, groups
// (capturing, "(?:", and the lookaheads "(?=" and "(?!"), the quantifiers * + ? {n}
// {n,} {n,m} with lazy forms, character classes, the escapes \d \w \s \b and their
// negations, back references, and ^ $ which match at line ends when Multiline is set.
// "." matches any character except "\n".
#pragma once

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace vbscript::regex {

enum class Op : std::uint8_t {
    Char,           // ch
    AnyButNewline,  //
    Class,          // a: class index
    Split,          // try a first, then b
    Jump,           // a
    Save,           // a: capture slot
    LineStart,      //
    LineEnd,        //
    WordBoundary,   //
    NotWordBoundary,
    BackReference,  // a: group number
    MarkPosition,   // a: register; remembers where a loop iteration starts
    CheckProgress,  // a: register; fails when the iteration matched nothing
    LookAhead,      // negative: flag; a: the instruction after the matching LookEnd
    LookEnd,
    Match,
};

struct Instruction {
    Op op;
    bool flag = false;
    int a = 0;
    int b = 0;
    char32_t ch = 0;
};

struct CharClass {
    enum Escape : std::uint8_t {
        Digit = 1,
        NotDigit = 2,
        Word = 4,
        NotWord = 8,
        Space = 16,
        NotSpace = 32,
    };
    bool negated = false;
    std::uint8_t escapes = 0;
    std::vector<std::pair<char32_t, char32_t>> ranges;

    bool contains(char32_t c) const
    {
        if (c < 128 && asciiKnown)
            return (((ascii[c >> 6] >> (c & 63)) & 1) != 0) != negated;
        return containsSlowly(c);
    }
    // Records which ASCII characters the ranges and escapes hold (before the
    // negation, so a copy with `negated` changed still answers right): the matcher
    // then answers those with one bit test.
    void tabulateAscii();

private:
    bool inRangesOrEscapes(char32_t c) const;
    bool containsSlowly(char32_t c) const { return inRangesOrEscapes(c) != negated; }

    std::uint64_t ascii[2] = {0, 0};
    bool asciiKnown = false;
};

bool isWordCharacter(char32_t c);
bool isSpaceCharacter(char32_t c);

struct Program {
    std::vector<Instruction> code;
    std::vector<CharClass> classes;
    int groups = 0;    // capturing groups; slots 2g and 2g+1 hold group g
    int registers = 0; // loop registers
};

// Compiles a pattern. Raises vb::Error 5017 "Syntax error in regular expression",
// 5018 "Unexpected quantifier", 5019 "Expected ']' in regular expression", 5020
// "Expected ')' in regular expression" or 5021 "Invalid range in character set".
Program compile(std::string_view pattern);

} // namespace vbscript::regex
