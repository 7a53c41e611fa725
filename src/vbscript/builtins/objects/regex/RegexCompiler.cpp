// Pattern text -> syntax tree -> instructions.
#include "RegexProgram.h"

#include "vbscript/base/Limits.h"
#include "vbscript/text/UnicodeText.h"

#include "automation/Error.h"

#include <memory>

namespace vbscript::regex {

namespace {

constexpr std::int32_t kSyntaxError = 5017;
constexpr std::int32_t kUnexpectedQuantifier = 5018;
constexpr std::int32_t kExpectedBracket = 5019;
constexpr std::int32_t kExpectedParen = 5020;
constexpr std::int32_t kInvalidRange = 5021;

constexpr int kUnbounded = -1;

struct Node {
    enum Kind { Empty, Char, Any, Class, LineStart, LineEnd, WordBoundary, NotWordBoundary, BackReference, Group, Look, Sequence, Alternation, Repeat };
    Kind kind = Empty;
    char32_t ch = 0;
    int index = -1; // class, group (-1: not capturing) or back-reference number
    bool negative = false;
    int min = 0;
    int max = 0;
    bool greedy = true;
    std::vector<std::unique_ptr<Node>> children;

    explicit Node(Kind k) : kind(k) { }
};
using NodePtr = std::unique_ptr<Node>;

NodePtr makeNode(Node::Kind kind)
{
    return std::make_unique<Node>(kind);
}

bool isDigit(char32_t c)
{
    return c >= '0' && c <= '9';
}

int hexDigit(char32_t c)
{
    if (c >= '0' && c <= '9')
        return static_cast<int>(c - '0');
    if (c >= 'a' && c <= 'f')
        return static_cast<int>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F')
        return static_cast<int>(c - 'A' + 10);
    return -1;
}

class Parser {
public:
    Parser(std::string_view pattern, Program& program) : program_(program)
    {
        for (std::size_t i = 0; i < pattern.size();) {
            const text::Decoded d = text::decodeAt(pattern, i);
            chars_.push_back(d.code);
            i += d.size;
        }
        totalGroups_ = countGroups();
    }

    NodePtr parse()
    {
        NodePtr node = parseAlternation();
        if (pos_ < chars_.size())
            fail(kSyntaxError); // a ")" without its "("
        return node;
    }

private:
    [[noreturn]] static void fail(std::int32_t number) { vb::raiseError(number); }

    bool atEnd() const { return pos_ >= chars_.size(); }
    char32_t peek(std::size_t ahead = 0) const { return pos_ + ahead < chars_.size() ? chars_[pos_ + ahead] : 0; }
    bool has(std::size_t ahead) const { return pos_ + ahead < chars_.size(); }

    // Capturing groups in the whole pattern, so that \N can tell a back reference from
    // an octal escape before the group N has been read.
    int countGroups() const
    {
        int n = 0;
        bool inClass = false;
        for (std::size_t i = 0; i < chars_.size(); ++i) {
            const char32_t c = chars_[i];
            if (c == '\\') {
                ++i;
            } else if (inClass) {
                inClass = c != ']';
            } else if (c == '[') {
                inClass = true;
            } else if (c == '(' && !(i + 1 < chars_.size() && chars_[i + 1] == '?')) {
                ++n;
            }
        }
        return n;
    }

    NodePtr parseAlternation()
    {
        NodePtr first = parseSequence();
        if (peek() != '|' || atEnd())
            return first;
        NodePtr alt = makeNode(Node::Alternation);
        alt->children.push_back(std::move(first));
        while (!atEnd() && peek() == '|') {
            ++pos_;
            alt->children.push_back(parseSequence());
        }
        return alt;
    }

    NodePtr parseSequence()
    {
        NodePtr seq = makeNode(Node::Sequence);
        while (!atEnd() && peek() != '|' && peek() != ')')
            seq->children.push_back(parseQuantified());
        return seq;
    }

    // Reads {n}, {n,} or {n,m} at the current position; false (position unchanged)
    // when the brace does not start a well-formed count.
    bool readCount(int& min, int& max)
    {
        std::size_t p = pos_ + 1;
        auto number = [&](int& out) {
            if (p >= chars_.size() || !isDigit(chars_[p]))
                return false;
            long long v = 0;
            while (p < chars_.size() && isDigit(chars_[p])) {
                v = v * 10 + (chars_[p] - '0');
                if (v > 1000000)
                    v = 1000000;
                ++p;
            }
            out = static_cast<int>(v);
            return true;
        };
        int lo = 0;
        if (!number(lo))
            return false;
        int hi = lo;
        if (p < chars_.size() && chars_[p] == ',') {
            ++p;
            hi = kUnbounded;
            if (p < chars_.size() && isDigit(chars_[p]) && !number(hi))
                return false;
        }
        if (p >= chars_.size() || chars_[p] != '}')
            return false;
        pos_ = p + 1;
        min = lo;
        max = hi;
        return true;
    }

    bool atQuantifier()
    {
        const char32_t c = peek();
        if (c == '*' || c == '+' || c == '?')
            return true;
        if (c == '{') {
            const std::size_t saved = pos_;
            int a, b;
            const bool ok = readCount(a, b);
            pos_ = saved;
            return ok;
        }
        return false;
    }

    NodePtr parseQuantified()
    {
        if (atQuantifier())
            fail(kUnexpectedQuantifier);
        NodePtr atom = parseAtom();
        if (atEnd() || !atQuantifier())
            return atom;
        if (atom->kind == Node::LineStart || atom->kind == Node::LineEnd || atom->kind == Node::WordBoundary
            || atom->kind == Node::NotWordBoundary)
            fail(kUnexpectedQuantifier);
        int min = 0, max = kUnbounded;
        const char32_t c = peek();
        if (c == '*') {
            ++pos_;
        } else if (c == '+') {
            min = 1;
            ++pos_;
        } else if (c == '?') {
            max = 1;
            ++pos_;
        } else {
            readCount(min, max);
            if (max != kUnbounded && max < min)
                fail(kSyntaxError);
        }
        bool greedy = true;
        if (!atEnd() && peek() == '?') {
            greedy = false;
            ++pos_;
        }
        if (!atEnd() && atQuantifier())
            fail(kUnexpectedQuantifier);
        NodePtr repeat = makeNode(Node::Repeat);
        repeat->min = min;
        repeat->max = max;
        repeat->greedy = greedy;
        repeat->children.push_back(std::move(atom));
        return repeat;
    }

    NodePtr charNode(char32_t c)
    {
        NodePtr n = makeNode(Node::Char);
        n->ch = c;
        return n;
    }

    NodePtr parseAtom()
    {
        const char32_t c = chars_[pos_++];
        switch (c) {
        case '(': return parseGroup();
        case '[': return parseClass();
        case '.': return makeNode(Node::Any);
        case '^': return makeNode(Node::LineStart);
        case '$': return makeNode(Node::LineEnd);
        case '\\': return parseEscape();
        default: return charNode(c);
        }
    }

    NodePtr parseGroup()
    {
        if (++depth_ > limits::kMaxRegexNesting)
            fail(kSyntaxError);
        NodePtr node;
        if (peek() == '?' && has(1) && (peek(1) == ':' || peek(1) == '=' || peek(1) == '!')) {
            const char32_t kind = peek(1);
            pos_ += 2;
            if (kind == ':') {
                node = makeNode(Node::Group);
            } else {
                node = makeNode(Node::Look);
                node->negative = kind == '!';
            }
        } else if (peek() == '?') {
            fail(kSyntaxError);
        } else {
            node = makeNode(Node::Group);
            node->index = ++program_.groups;
        }
        node->children.push_back(parseAlternation());
        if (atEnd() || peek() != ')')
            fail(kExpectedParen);
        ++pos_;
        --depth_;
        return node;
    }

    // An escape that stands for one character, shared by classes and the rest of the
    // pattern; false when the escape is something else.
    bool characterEscape(char32_t c, char32_t& out)
    {
        switch (c) {
        case 'n': out = '\n'; return true;
        case 'r': out = '\r'; return true;
        case 't': out = '\t'; return true;
        case 'f': out = '\f'; return true;
        case 'v': out = '\v'; return true;
        case 'x':
            if (has(1) && hexDigit(peek()) >= 0 && hexDigit(peek(1)) >= 0) {
                out = static_cast<char32_t>(hexDigit(peek()) * 16 + hexDigit(peek(1)));
                pos_ += 2;
            } else {
                out = 'x';
            }
            return true;
        case 'u':
            if (has(3) && hexDigit(peek()) >= 0 && hexDigit(peek(1)) >= 0 && hexDigit(peek(2)) >= 0 && hexDigit(peek(3)) >= 0) {
                out = static_cast<char32_t>(hexDigit(peek()) * 4096 + hexDigit(peek(1)) * 256 + hexDigit(peek(2)) * 16 + hexDigit(peek(3)));
                pos_ += 4;
            } else {
                out = 'u';
            }
            return true;
        case 'c':
            if (!atEnd() && ((peek() >= 'a' && peek() <= 'z') || (peek() >= 'A' && peek() <= 'Z'))) {
                out = peek() % 32;
                ++pos_;
            } else {
                --pos_; // "\c" without a letter is a backslash followed by "c"
                out = '\\';
            }
            return true;
        default: return false;
        }
    }

    // An octal escape \0 ... \377 whose first digit has been read.
    char32_t octalEscape(char32_t first)
    {
        int value = static_cast<int>(first - '0');
        for (int n = 1; n < 3 && !atEnd() && peek() >= '0' && peek() <= '7'; ++n) {
            const int next = value * 8 + static_cast<int>(peek() - '0');
            if (next > 0377)
                break;
            value = next;
            ++pos_;
        }
        return static_cast<char32_t>(value);
    }

    std::uint8_t classEscape(char32_t c)
    {
        switch (c) {
        case 'd': return CharClass::Digit;
        case 'D': return CharClass::NotDigit;
        case 'w': return CharClass::Word;
        case 'W': return CharClass::NotWord;
        case 's': return CharClass::Space;
        case 'S': return CharClass::NotSpace;
        default: return 0;
        }
    }

    NodePtr classNode(CharClass cls)
    {
        program_.classes.push_back(std::move(cls));
        NodePtr n = makeNode(Node::Class);
        n->index = static_cast<int>(program_.classes.size()) - 1;
        return n;
    }

    NodePtr parseEscape()
    {
        if (atEnd())
            fail(kSyntaxError); // "\" at the end of the pattern
        const char32_t c = chars_[pos_++];
        if (const std::uint8_t e = classEscape(c)) {
            CharClass cls;
            cls.escapes = e;
            return classNode(std::move(cls));
        }
        if (c == 'b')
            return makeNode(Node::WordBoundary);
        if (c == 'B')
            return makeNode(Node::NotWordBoundary);
        char32_t ch;
        if (characterEscape(c, ch))
            return charNode(ch);
        if (c >= '1' && c <= '9') {
            // A back reference when that group exists, otherwise an octal escape (or the digit).
            std::size_t p = pos_;
            int number = static_cast<int>(c - '0');
            while (p < chars_.size() && isDigit(chars_[p]) && number * 10 + static_cast<int>(chars_[p] - '0') <= totalGroups_) {
                number = number * 10 + static_cast<int>(chars_[p] - '0');
                ++p;
            }
            if (number <= totalGroups_) {
                pos_ = p;
                NodePtr n = makeNode(Node::BackReference);
                n->index = number;
                return n;
            }
            return charNode(c <= '7' ? octalEscape(c) : c);
        }
        if (c == '0')
            return charNode(octalEscape(c));
        return charNode(c); // any other character stands for itself
    }

    // One member of a class: a character (returned) or a class escape (in `escape`).
    char32_t classAtom(std::uint8_t& escape)
    {
        escape = 0;
        const char32_t c = chars_[pos_++];
        if (c != '\\')
            return c;
        if (atEnd())
            fail(kExpectedBracket);
        const char32_t e = chars_[pos_++];
        if ((escape = classEscape(e)))
            return 0;
        if (e == 'b')
            return '\b';
        char32_t ch;
        if (characterEscape(e, ch))
            return ch;
        if (e >= '0' && e <= '7')
            return octalEscape(e);
        return e;
    }

    NodePtr parseClass()
    {
        CharClass cls;
        if (peek() == '^' && !atEnd()) {
            cls.negated = true;
            ++pos_;
        }
        while (true) {
            if (atEnd())
                fail(kExpectedBracket);
            if (peek() == ']') {
                ++pos_;
                break;
            }
            std::uint8_t escape;
            const char32_t lo = classAtom(escape);
            if (escape) {
                cls.escapes |= escape;
                continue;
            }
            if (!atEnd() && peek() == '-' && has(1) && peek(1) != ']') {
                ++pos_;
                std::uint8_t escape2;
                const char32_t hi = classAtom(escape2);
                if (escape2) {
                    // "[a-\d]": the dash is an ordinary character.
                    cls.ranges.emplace_back(lo, lo);
                    cls.ranges.emplace_back('-', '-');
                    cls.escapes |= escape2;
                    continue;
                }
                if (hi < lo)
                    fail(kInvalidRange);
                cls.ranges.emplace_back(lo, hi);
            } else {
                cls.ranges.emplace_back(lo, lo);
            }
        }
        return classNode(std::move(cls));
    }

    Program& program_;
    std::vector<char32_t> chars_;
    std::size_t pos_ = 0;
    int totalGroups_ = 0;
    int depth_ = 0;
};

class CodeGenerator {
public:
    explicit CodeGenerator(Program& program) : program_(program) { }

    void generate(const Node& root)
    {
        emitNode(root);
        emit({Op::Match});
    }

private:
    int here() const { return static_cast<int>(program_.code.size()); }

    int emit(Instruction in)
    {
        if (program_.code.size() >= limits::kMaxRegexInstructions)
            vb::raiseError(kSyntaxError);
        program_.code.push_back(in);
        return here() - 1;
    }

    void emitNode(const Node& n)
    {
        switch (n.kind) {
        case Node::Empty: break;
        case Node::Char: emit({Op::Char, false, 0, 0, n.ch}); break;
        case Node::Any: emit({Op::AnyButNewline}); break;
        case Node::Class: emit({Op::Class, false, n.index}); break;
        case Node::LineStart: emit({Op::LineStart}); break;
        case Node::LineEnd: emit({Op::LineEnd}); break;
        case Node::WordBoundary: emit({Op::WordBoundary}); break;
        case Node::NotWordBoundary: emit({Op::NotWordBoundary}); break;
        case Node::BackReference: emit({Op::BackReference, false, n.index}); break;
        case Node::Sequence:
            for (const NodePtr& child : n.children)
                emitNode(*child);
            break;
        case Node::Group:
            if (n.index >= 0)
                emit({Op::Save, false, 2 * n.index});
            emitNode(*n.children[0]);
            if (n.index >= 0)
                emit({Op::Save, false, 2 * n.index + 1});
            break;
        case Node::Look: {
            const int look = emit({Op::LookAhead, n.negative});
            emitNode(*n.children[0]);
            emit({Op::LookEnd});
            program_.code[static_cast<std::size_t>(look)].a = here();
            break;
        }
        case Node::Alternation: emitAlternation(n); break;
        case Node::Repeat: emitRepeat(n); break;
        }
    }

    void emitAlternation(const Node& n)
    {
        std::vector<int> jumpsToEnd;
        for (std::size_t i = 0; i < n.children.size(); ++i) {
            if (i + 1 < n.children.size()) {
                const int split = emit({Op::Split});
                program_.code[static_cast<std::size_t>(split)].a = here();
                emitNode(*n.children[i]);
                jumpsToEnd.push_back(emit({Op::Jump}));
                program_.code[static_cast<std::size_t>(split)].b = here();
            } else {
                emitNode(*n.children[i]);
            }
        }
        for (int j : jumpsToEnd)
            program_.code[static_cast<std::size_t>(j)].a = here();
    }

    // A greedy split prefers the body of the repeat, a lazy one the way out.
    void patchSplit(int split, bool greedy, int body, int exit)
    {
        Instruction& in = program_.code[static_cast<std::size_t>(split)];
        in.a = greedy ? body : exit;
        in.b = greedy ? exit : body;
    }

    void emitRepeat(const Node& n)
    {
        const Node& body = *n.children[0];
        for (int i = 0; i < n.min; ++i)
            emitNode(body);
        if (n.max == kUnbounded) {
            const int reg = program_.registers++;
            const int loop = emit({Op::Split});
            const int start = here();
            emit({Op::MarkPosition, false, reg});
            emitNode(body);
            emit({Op::CheckProgress, false, reg});
            emit({Op::Jump, false, loop});
            patchSplit(loop, n.greedy, start, here());
            return;
        }
        std::vector<int> splits;
        for (int i = n.min; i < n.max; ++i) {
            splits.push_back(emit({Op::Split}));
            emitNode(body);
        }
        const int exit = here();
        for (int split : splits)
            patchSplit(split, n.greedy, split + 1, exit);
    }

    Program& program_;
};

} // namespace

bool isWordCharacter(char32_t c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool isSpaceCharacter(char32_t c)
{
    switch (c) {
    case ' ':
    case '\t':
    case '\n':
    case '\v':
    case '\f':
    case '\r':
    case 0x00A0:
    case 0x1680:
    case 0x2028:
    case 0x2029:
    case 0x202F:
    case 0x205F:
    case 0x3000:
    case 0xFEFF:
        return true;
    default:
        return c >= 0x2000 && c <= 0x200A;
    }
}

void CharClass::tabulateAscii()
{
    ascii[0] = ascii[1] = 0;
    for (char32_t c = 0; c < 128; ++c) {
        if (inRangesOrEscapes(c))
            ascii[c >> 6] |= std::uint64_t(1) << (c & 63);
    }
    asciiKnown = true;
}

bool CharClass::inRangesOrEscapes(char32_t c) const
{
    bool found = false;
    for (const auto& [lo, hi] : ranges) {
        if (c >= lo && c <= hi) {
            found = true;
            break;
        }
    }
    if (!found && escapes) {
        const bool digit = c >= '0' && c <= '9';
        const bool word = isWordCharacter(c);
        const bool space = isSpaceCharacter(c);
        found = ((escapes & Digit) && digit) || ((escapes & NotDigit) && !digit) || ((escapes & Word) && word)
            || ((escapes & NotWord) && !word) || ((escapes & Space) && space) || ((escapes & NotSpace) && !space);
    }
    return found;
}

Program compile(std::string_view pattern)
{
    Program program;
    Parser parser(pattern, program);
    const NodePtr root = parser.parse();
    CodeGenerator(program).generate(*root);
    for (CharClass& cls : program.classes)
        cls.tabulateAscii();
    return program;
}

} // namespace vbscript::regex
