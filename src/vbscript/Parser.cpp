// Parser: program structure and statements.
#include "Parser.h"

#include "CompileError.h"
#include "Lexer.h"

#include "vbscript/base/Limits.h"

#include <cstdint>

#include "automation/Conversions.h"

namespace vbscript {

using namespace ast;

Parser::DepthGuard::DepthGuard(Parser& parser) : parser_(parser)
{
    // Checked before counting: a constructor that throws runs no destructor, so a
    // level counted here would never be uncounted.
    if (parser_.depth_ >= limits::kMaxParseNesting)
        parser_.fail(cerr::OutOfMemory);
    ++parser_.depth_;
}

Parser::Parser(std::string_view source) : tokens_(Lexer(source).tokenize())
{
    // ahead() and cur() stop at the last token, which must end the input.
    TALLIS_ASSERT(!tokens_.empty() && tokens_.back().kind == TokenKind::EndOfInput);
}

const Token& Parser::ahead(std::size_t n) const
{
    return tokens_[std::min(pos_ + n, tokens_.size() - 1)];
}

bool Parser::aheadIsKeyword(std::size_t n, Keyword k) const
{
    const Token& t = ahead(n);
    return t.kind == TokenKind::Identifier && t.keyword == k;
}

bool Parser::accept(TokenKind k)
{
    if (!is(k))
        return false;
    advance();
    return true;
}

bool Parser::acceptKeyword(Keyword k)
{
    if (!isKeyword(k))
        return false;
    advance();
    return true;
}

void Parser::expect(TokenKind k, int errorNumber)
{
    if (!accept(k))
        fail(errorNumber);
}

void Parser::expectKeyword(Keyword k, int errorNumber)
{
    if (!acceptKeyword(k))
        fail(errorNumber);
}

void Parser::fail(int errorNumber) const
{
    failAt(errorNumber, cur());
}

void Parser::failAt(int errorNumber, const Token& t) const
{
    throw CompileError(errorNumber, t.line, t.column);
}

bool Parser::atStatementEnd() const
{
    if (is(TokenKind::Newline) || is(TokenKind::Colon) || is(TokenKind::EndOfInput))
        return true;
    // "x = 2 End Sub": an End keyword closes the statement before it.
    if (isKeyword(Keyword::End))
        return true;
    return singleLineIf_ > 0 && isKeyword(Keyword::Else);
}

void Parser::endStatement()
{
    if (!atStatementEnd())
        fail(cerr::ExpectedEndOfStatement);
}

void Parser::skipSeparators()
{
    while (is(TokenKind::Newline) || is(TokenKind::Colon))
        advance();
}

bool Parser::isNameToken(const Token& t) const
{
    return t.kind == TokenKind::Identifier && !isReserved(t.keyword);
}

std::string Parser::expectName()
{
    if (!isNameToken(cur()))
        fail(cerr::ExpectedIdentifier);
    std::string name = cur().text;
    advance();
    return name;
}

std::string Parser::expectMemberName()
{
    if (!is(TokenKind::Identifier))
        fail(cerr::ExpectedIdentifier);
    std::string name = cur().text;
    advance();
    return name;
}

// ---------------------------------------------------------------------------
// Program and blocks

Program Parser::parseProgram()
{
    Program program;
    for (;;) {
        skipSeparators();
        if (is(TokenKind::EndOfInput))
            break;
        if (isKeyword(Keyword::Next))
            fail(cerr::UnexpectedNext);
        if (isKeyword(Keyword::Loop))
            fail(cerr::LoopWithoutDo);
        if (blockEnds())
            fail(cerr::ExpectedStatement);
        StmtPtr s = parseStatement();
        if (s)
            program.body.push_back(std::move(s));
        endStatement();
    }
    program.optionExplicit = optionExplicit_;
    // Every construct left what it entered.
    TALLIS_ASSERT(depth_ == 0 && doDepth_ == 0 && forDepth_ == 0 && withDepth_ == 0 && singleLineIf_ == 0);
    TALLIS_ASSERT(!inProcedure_ && !inClass_);
    return program;
}

ExprPtr Parser::parseExpressionOnly()
{
    skipSeparators();
    ExprPtr e;
    try {
        e = parseExpression();
    } catch (const CompileError& error) {
        // An expression that stops short ("1 +") is a syntax error to Eval.
        if (error.number() == cerr::ExpectedExpression)
            throw CompileError(cerr::SyntaxError, error.line(), error.column());
        throw;
    }
    skipSeparators();
    if (!is(TokenKind::EndOfInput))
        fail(cerr::ExpectedEndOfStatement);
    return e;
}

bool Parser::blockEnds() const
{
    if (is(TokenKind::EndOfInput))
        return true;
    if (cur().kind != TokenKind::Identifier)
        return false;
    switch (cur().keyword) {
    case Keyword::End:
    case Keyword::Else:
    case Keyword::ElseIf:
    case Keyword::Loop:
    case Keyword::Next:
    case Keyword::Wend:
    case Keyword::Case:
        return true;
    default:
        return false;
    }
}

Block Parser::parseBlock()
{
    DepthGuard guard(*this);
    Block block;
    for (;;) {
        skipSeparators();
        if (blockEnds())
            break;
        StmtPtr s = parseStatement();
        if (s)
            block.push_back(std::move(s));
        endStatement();
    }
    return block;
}

// ---------------------------------------------------------------------------
// Statements

StmtPtr Parser::parseStatement()
{
    const Token& t = cur();
    if (t.kind == TokenKind::Dot || (t.kind == TokenKind::Identifier && t.keyword == Keyword::Me))
        return parseSimpleStatement(false);
    if (t.kind != TokenKind::Identifier)
        fail(cerr::ExpectedStatement);

    switch (t.keyword) {
    case Keyword::Dim: {
        const int line = t.line, col = t.column;
        advance();
        return parseDim(Access::Dim, line, col);
    }
    case Keyword::Public:
    case Keyword::Private:
        return parseDeclarationWithAccess();
    case Keyword::Const: {
        const int line = t.line, col = t.column;
        advance();
        return parseConst(Access::Dim, line, col);
    }
    case Keyword::ReDim: return parseReDim();
    case Keyword::If: return parseIf();
    case Keyword::Select: return parseSelect();
    case Keyword::For: return parseFor();
    case Keyword::Do: return parseDo();
    case Keyword::While: return parseWhile();
    case Keyword::Exit: return parseExit();
    case Keyword::With: return parseWith();
    case Keyword::On: return parseOn();
    case Keyword::Call: return parseCallKeyword();
    case Keyword::Set: {
        advance();
        return parseSimpleStatement(true);
    }
    case Keyword::Option: {
        const int line = t.line, col = t.column;
        advance();
        expectKeyword(Keyword::Explicit, cerr::SyntaxError);
        optionExplicit_ = true;
        return std::make_unique<Stmt>(Stmt::Kind::OptionExplicit, line, col);
    }
    case Keyword::Sub:
    case Keyword::Function:
        if (inProcedure_ || singleLineIf_ || depth_ > 1)
            fail(cerr::ExpectedStatement);
        return parseProcedure(Access::Dim, false, t.line, t.column);
    case Keyword::Property:
        if (aheadIsKeyword(1, Keyword::Get) || aheadIsKeyword(1, Keyword::Let) || aheadIsKeyword(1, Keyword::Set)) {
            if (!inClass_)
                fail(cerr::MustBeInsideClass);
            return parseProcedure(Access::Dim, false, t.line, t.column);
        }
        break;
    case Keyword::Class:
        if (inProcedure_ || inClass_ || singleLineIf_ || depth_ > 1)
            fail(cerr::ExpectedStatement);
        {
            const int line = t.line, col = t.column;
            advance();
            return parseClass(line, col);
        }
    case Keyword::Erase:
        if (isNameToken(ahead()))
            return parseErase();
        break;
    case Keyword::Stop:
        if (ahead().kind == TokenKind::Newline || ahead().kind == TokenKind::Colon || ahead().kind == TokenKind::EndOfInput) {
            auto s = std::make_unique<Stmt>(Stmt::Kind::Nop, t.line, t.column);
            advance();
            return s;
        }
        break;
    case Keyword::Let:
        if (isNameToken(ahead())) {
            advance();
            return parseSimpleStatement(false);
        }
        break;
    case Keyword::Next: fail(cerr::UnexpectedNext);
    case Keyword::Loop: fail(cerr::LoopWithoutDo);
    default:
        if (isReserved(t.keyword))
            fail(cerr::ExpectedStatement);
        break;
    }
    return parseSimpleStatement(false);
}

// Assignment or call: reads the target chain first, then decides by what follows.
StmtPtr Parser::parseSimpleStatement(bool isSet)
{
    const Token& start = cur();
    const int line = start.line, col = start.column;
    ExprPtr base;
    if (is(TokenKind::Dot)) {
        advance();
        base = makeExpr(Expr::Kind::Member, line, col);
        base->name = expectMemberName();
    } else if (isKeyword(Keyword::Me)) {
        base = makeExpr(Expr::Kind::Me, line, col);
        advance();
    } else {
        if (!isNameToken(cur()))
            fail(isSet ? cerr::ExpectedIdentifier : cerr::ExpectedStatement);
        base = makeExpr(Expr::Kind::Name, line, col);
        base->name = cur().text;
        advance();
    }

    // The chain of members and argument lists; remember where the last list began.
    std::size_t lastParenPos = 0;
    bool endsWithParens = false;
    for (int links = 0;; ++links) {
        if (links > limits::kMaxChainLinks)
            fail(cerr::OutOfMemory);
        if (is(TokenKind::Dot) && !(withDepth_ > 0 && cur().spaceBefore)) {
            const Token& dot = cur();
            advance();
            auto m = makeExpr(Expr::Kind::Member, dot.line, dot.column);
            m->name = expectMemberName();
            m->left = std::move(base);
            base = std::move(m);
            endsWithParens = false;
        } else if (is(TokenKind::LParen)) {
            lastParenPos = pos_;
            const Token& lp = cur();
            auto c = makeExpr(Expr::Kind::Call, lp.line, lp.column);
            c->args = parseParenArgs();
            c->left = std::move(base);
            base = std::move(c);
            endsWithParens = true;
        } else {
            break;
        }
    }

    if (is(TokenKind::Equal)) {
        advance();
        auto a = std::make_unique<AssignStmt>(line, col);
        a->target = std::move(base);
        a->value = parseExpression();
        a->isSet = isSet;
        return a;
    }
    if (isSet)
        fail(cerr::ExpectedEquals);

    auto call = std::make_unique<CallStmt>(line, col);
    if (atStatementEnd()) {
        if (endsWithParens && base->kind == Expr::Kind::Call) {
            // "Foo(x)" is Foo with the one argument (x), passed by value.
            auto& args = base->args;
            if (args.size() > 1)
                failAt(cerr::NoParensCallingSub, tokens_[lastParenPos]);
            ExprPtr target = std::move(base->left);
            if (args.size() == 1 && args[0]) {
                auto paren = makeExpr(Expr::Kind::Paren, args[0]->line, args[0]->column);
                paren->left = std::move(args[0]);
                call->args.push_back(std::move(paren));
            } else if (args.size() == 1) {
                call->args.push_back(nullptr);
            }
            call->callee = std::move(target);
        } else {
            call->callee = std::move(base);
        }
        return call;
    }
    if (endsWithParens) {
        // "Foo (a) + 1, b": the parenthesis opened the first argument.
        pos_ = lastParenPos;
        call->callee = std::move(base->left);
    } else {
        call->callee = std::move(base);
    }
    call->args = parseBareArgs();
    return call;
}

StmtPtr Parser::parseCallKeyword()
{
    const Token& t = cur();
    const int line = t.line, col = t.column;
    advance();
    ExprPtr base;
    if (is(TokenKind::Dot)) {
        const Token& d = cur();
        advance();
        base = makeExpr(Expr::Kind::Member, d.line, d.column);
        base->name = expectMemberName();
    } else if (isKeyword(Keyword::Me)) {
        base = makeExpr(Expr::Kind::Me, cur().line, cur().column);
        advance();
    } else if (is(TokenKind::LParen)) {
        // "Call (New Greeter).Hello()", "Call (Twice) (4)".
        base = parsePrimary();
    } else {
        if (!isNameToken(cur()))
            fail(cerr::ExpectedIdentifier);
        base = makeExpr(Expr::Kind::Name, cur().line, cur().column);
        base->name = cur().text;
        advance();
    }
    base = parseChain(std::move(base));
    endStatement();
    auto call = std::make_unique<CallStmt>(line, col);
    if (base->kind == Expr::Kind::Call) {
        call->args = std::move(base->args);
        call->callee = std::move(base->left);
    } else {
        call->callee = std::move(base);
    }
    return call;
}

std::unique_ptr<DimStmt> Parser::parseDim(Access access, int line, int col)
{
    auto dim = std::make_unique<DimStmt>(line, col);
    dim->access = access;
    do {
        VarDecl v;
        v.line = cur().line;
        v.column = cur().column;
        v.name = expectName();
        if (accept(TokenKind::LParen)) {
            v.isArray = true;
            if (!is(TokenKind::RParen)) {
                do {
                    if (!is(TokenKind::Literal) || !cur().value.isNumericType())
                        fail(cerr::ExpectedIntegerConstant);
                    const vb::Variant& n = cur().value;
                    if (n.type() != vb::vbInteger && n.type() != vb::vbLong)
                        fail(cerr::ExpectedIntegerConstant);
                    v.upper.push_back(n.type() == vb::vbInteger ? n.integerValue() : n.longValue());
                    advance();
                } while (accept(TokenKind::Comma));
            }
            expect(TokenKind::RParen, cerr::ExpectedRParen);
        }
        dim->vars.push_back(std::move(v));
    } while (accept(TokenKind::Comma));
    return dim;
}

vb::Variant Parser::parseConstValue()
{
    bool negate = false;
    while (is(TokenKind::Minus) || is(TokenKind::Plus)) {
        if (is(TokenKind::Minus))
            negate = !negate;
        advance();
    }
    vb::Variant v;
    if (is(TokenKind::Literal)) {
        v = cur().value;
    } else if (isKeyword(Keyword::True)) {
        v = vb::Variant(true);
    } else if (isKeyword(Keyword::False)) {
        v = vb::Variant(false);
    } else if (isKeyword(Keyword::Null)) {
        v = vb::Variant::null();
    } else if (isKeyword(Keyword::Empty)) {
        v = vb::Variant();
    } else if (is(TokenKind::LParen)) {
        advance();
        v = parseConstValue();
        if (!is(TokenKind::RParen))
            fail(cerr::ExpectedRParen);
    } else {
        fail(cerr::ExpectedLiteralConstant);
    }
    advance(); // the literal or the closing parenthesis
    if (negate) {
        switch (v.type()) {
        case vb::vbInteger:
            v = v.integerValue() == -32768 ? vb::Variant(std::int32_t(32768)) : vb::Variant(std::int16_t(-v.integerValue()));
            break;
        case vb::vbLong:
            v = v.longValue() == INT32_MIN ? vb::Variant(2147483648.0) : vb::Variant(std::int32_t(-v.longValue()));
            break;
        case vb::vbDouble: v = vb::Variant(-v.doubleValue()); break;
        case vb::vbBoolean: v = vb::Variant(std::int16_t(v.booleanValue() ? 1 : 0)); break;
        case vb::vbDate: v = vb::Variant(vb::Date{-v.dateValue().serial}); break;
        case vb::vbEmpty: v = vb::Variant(std::int16_t(0)); break;
        default: fail(cerr::ExpectedLiteralConstant);
        }
    }
    return v;
}

std::unique_ptr<ConstStmt> Parser::parseConst(Access access, int line, int col)
{
    auto c = std::make_unique<ConstStmt>(line, col);
    c->access = access;
    do {
        ConstItem item;
        item.line = cur().line;
        item.column = cur().column;
        item.name = expectName();
        expect(TokenKind::Equal, cerr::ExpectedEquals);
        const std::size_t start = pos_;
        bool literal = true;
        try {
            item.value = parseConstValue();
        } catch (const CompileError&) {
            literal = false;
        }
        if (!literal || !(atStatementEnd() || is(TokenKind::Comma))) {
            pos_ = start;
            const Token& at = cur();
            item.expression = parseExpression();
            if (!item.expression)
                failAt(cerr::ExpectedLiteralConstant, at);
        }
        c->items.push_back(std::move(item));
    } while (accept(TokenKind::Comma));
    return c;
}

StmtPtr Parser::parseReDim()
{
    auto r = std::make_unique<ReDimStmt>(cur().line, cur().column);
    advance();
    if (acceptKeyword(Keyword::Preserve))
        r->preserve = true;
    do {
        ReDimItem item;
        item.line = cur().line;
        item.column = cur().column;
        item.name = expectName();
        expect(TokenKind::LParen, cerr::ExpectedLParen);
        do {
            item.upper.push_back(parseExpression());
        } while (accept(TokenKind::Comma));
        expect(TokenKind::RParen, cerr::ExpectedRParen);
        r->items.push_back(std::move(item));
    } while (accept(TokenKind::Comma));
    return r;
}

StmtPtr Parser::parseErase()
{
    auto e = std::make_unique<EraseStmt>(cur().line, cur().column);
    advance();
    do {
        ReDimItem item;
        item.line = cur().line;
        item.column = cur().column;
        item.name = expectName();
        e->targets.push_back(std::move(item));
    } while (accept(TokenKind::Comma));
    return e;
}

StmtPtr Parser::parseIf()
{
    auto s = std::make_unique<IfStmt>(cur().line, cur().column);
    advance();
    IfBranch first;
    first.condition = parseExpression();
    expectKeyword(Keyword::Then, cerr::ExpectedThen);
    if (!is(TokenKind::Newline) && !is(TokenKind::EndOfInput)) {
        // Single-line If: statements to the end of the line, optionally an Else part.
        first.body = parseSingleLineBody();
        s->branches.push_back(std::move(first));
        if (acceptKeyword(Keyword::Else))
            s->elseBody = parseSingleLineBody();
        // "If a Then b Else c End If" on one line is valid too.
        if (isKeyword(Keyword::End) && aheadIsKeyword(1, Keyword::If)) {
            advance();
            advance();
        }
        if (!atStatementEnd() && !(singleLineIf_ > 0 && isKeyword(Keyword::Else)))
            fail(cerr::ExpectedEndOfStatement);
        return s;
    }
    first.body = parseBlock();
    s->branches.push_back(std::move(first));
    for (;;) {
        if (isKeyword(Keyword::ElseIf)) {
            advance();
            IfBranch b;
            b.condition = parseExpression();
            expectKeyword(Keyword::Then, cerr::ExpectedThen);
            b.body = parseBlock();
            s->branches.push_back(std::move(b));
            continue;
        }
        if (isKeyword(Keyword::Else)) {
            advance();
            s->elseBody = parseBlock();
            if (!isKeyword(Keyword::End))
                fail(cerr::ExpectedEnd);
        }
        break;
    }
    if (!isKeyword(Keyword::End))
        fail(cerr::ExpectedEnd);
    advance();
    expectKeyword(Keyword::If, cerr::ExpectedIf);
    return s;
}

Block Parser::parseSingleLineBody()
{
    DepthGuard guard(*this);
    const Entered inside(singleLineIf_);
    Block block;
    for (;;) {
        while (accept(TokenKind::Colon)) { }
        if (is(TokenKind::Newline) || is(TokenKind::EndOfInput) || isKeyword(Keyword::Else) || isKeyword(Keyword::End))
            break;
        StmtPtr st = parseStatement();
        if (st)
            block.push_back(std::move(st));
        if (!atStatementEnd())
            fail(cerr::ExpectedEndOfStatement);
    }
    return block;
}

StmtPtr Parser::parseSelect()
{
    auto s = std::make_unique<SelectStmt>(cur().line, cur().column);
    advance();
    expectKeyword(Keyword::Case, cerr::ExpectedCase);
    s->subject = parseExpression();
    endStatement();
    for (;;) {
        skipSeparators();
        if (isKeyword(Keyword::End))
            break;
        if (!isKeyword(Keyword::Case))
            fail(cerr::ExpectedCase);
        advance();
        if (acceptKeyword(Keyword::Else)) {
            s->hasElse = true;
            s->elseBody = parseBlock();
            if (!isKeyword(Keyword::End))
                fail(cerr::ExpectedEnd);
            break;
        }
        CaseClause clause;
        do {
            CaseItem item;
            if (acceptKeyword(Keyword::Is)) {
                item.kind = CaseItem::Kind::Compare;
                switch (cur().kind) {
                case TokenKind::Equal: item.compare = BinaryOp::Equal; break;
                case TokenKind::NotEqual: item.compare = BinaryOp::NotEqual; break;
                case TokenKind::Less: item.compare = BinaryOp::Less; break;
                case TokenKind::Greater: item.compare = BinaryOp::Greater; break;
                case TokenKind::LessEqual: item.compare = BinaryOp::LessEqual; break;
                case TokenKind::GreaterEqual: item.compare = BinaryOp::GreaterEqual; break;
                default: fail(cerr::SyntaxError);
                }
                advance();
                item.value = parseConcat();
            } else {
                item.value = parseExpression();
                if (acceptKeyword(Keyword::To)) {
                    item.kind = CaseItem::Kind::Range;
                    item.upper = parseExpression();
                }
            }
            clause.items.push_back(std::move(item));
        } while (accept(TokenKind::Comma));
        clause.body = parseBlock();
        s->cases.push_back(std::move(clause));
    }
    advance(); // End
    expectKeyword(Keyword::Select, cerr::ExpectedSelect);
    return s;
}

StmtPtr Parser::parseFor()
{
    const int line = cur().line, col = cur().column;
    advance();
    if (acceptKeyword(Keyword::Each)) {
        auto s = std::make_unique<ForEachStmt>(line, col);
        s->varLine = cur().line;
        s->varColumn = cur().column;
        s->variable = expectName();
        expectKeyword(Keyword::In, cerr::ExpectedIn);
        s->collection = parseExpression();
        endStatement();
        {
            const Entered inside(forDepth_);
            s->body = parseBlock();
        }
        if (!isKeyword(Keyword::Next))
            fail(cerr::ExpectedNext);
        advance();
        if (isNameToken(cur()))
            advance();
        return s;
    }
    auto s = std::make_unique<ForStmt>(line, col);
    s->varLine = cur().line;
    s->varColumn = cur().column;
    if (!isNameToken(cur()))
        fail(cerr::ExpectedIdentifier);
    s->variable = cur().text;
    advance();
    if (is(TokenKind::Dot) || is(TokenKind::LParen))
        fail(cerr::InvalidForControl);
    expect(TokenKind::Equal, cerr::ExpectedEquals);
    s->start = parseExpression();
    expectKeyword(Keyword::To, cerr::ExpectedTo);
    s->end = parseExpression();
    if (acceptKeyword(Keyword::Step))
        s->step = parseExpression();
    endStatement();
    {
        const Entered inside(forDepth_);
        s->body = parseBlock();
    }
    if (!isKeyword(Keyword::Next))
        fail(cerr::ExpectedNext);
    advance();
    if (isNameToken(cur()))
        advance();
    return s;
}

StmtPtr Parser::parseDo()
{
    auto s = std::make_unique<DoStmt>(cur().line, cur().column);
    advance();
    if (isKeyword(Keyword::While) || isKeyword(Keyword::Until)) {
        s->test = DoStmt::Test::Before;
        s->until = isKeyword(Keyword::Until);
        advance();
        s->condition = parseExpression();
    }
    if (!atStatementEnd())
        fail(cerr::ExpectedWhileUntilOrEnd);
    {
        const Entered inside(doDepth_);
        s->body = parseBlock();
    }
    if (!isKeyword(Keyword::Loop))
        fail(cerr::ExpectedLoop);
    advance();
    if (isKeyword(Keyword::While) || isKeyword(Keyword::Until)) {
        if (s->test != DoStmt::Test::None)
            fail(cerr::ExpectedEndOfStatement);
        s->test = DoStmt::Test::After;
        s->until = isKeyword(Keyword::Until);
        advance();
        s->condition = parseExpression();
    } else if (!atStatementEnd()) {
        fail(cerr::ExpectedWhileUntilOrEnd);
    }
    return s;
}

StmtPtr Parser::parseWhile()
{
    auto s = std::make_unique<DoStmt>(cur().line, cur().column);
    advance();
    s->test = DoStmt::Test::Before;
    s->condition = parseExpression();
    endStatement();
    s->body = parseBlock();
    if (!isKeyword(Keyword::Wend))
        fail(cerr::ExpectedWend);
    advance();
    return s;
}

StmtPtr Parser::parseExit()
{
    const Token& t = cur();
    const int line = t.line, col = t.column;
    advance();
    ExitStmt::What what;
    bool valid = false;
    if (isKeyword(Keyword::Do)) {
        what = ExitStmt::What::Do;
        valid = doDepth_ > 0;
    } else if (isKeyword(Keyword::For)) {
        what = ExitStmt::What::For;
        valid = forDepth_ > 0;
    } else if (isKeyword(Keyword::Sub)) {
        what = ExitStmt::What::Sub;
        valid = inProcedure_ && procKind_ == ProcKind::Sub;
    } else if (isKeyword(Keyword::Function)) {
        what = ExitStmt::What::Function;
        valid = inProcedure_ && procKind_ == ProcKind::Function;
    } else if (isKeyword(Keyword::Property)) {
        what = ExitStmt::What::Property;
        valid = inProcedure_ && (procKind_ == ProcKind::PropertyGet || procKind_ == ProcKind::PropertyLet || procKind_ == ProcKind::PropertySet);
    } else {
        fail(cerr::SyntaxError);
    }
    if (!valid)
        fail(cerr::InvalidExit);
    advance();
    return std::make_unique<ExitStmt>(line, col, what);
}

StmtPtr Parser::parseWith()
{
    auto s = std::make_unique<WithStmt>(cur().line, cur().column);
    advance();
    s->object = parseExpression();
    endStatement();
    {
        const Entered inside(withDepth_);
        s->body = parseBlock();
    }
    if (!isKeyword(Keyword::End))
        fail(cerr::ExpectedEnd);
    advance();
    expectKeyword(Keyword::With, cerr::ExpectedWith);
    return s;
}

StmtPtr Parser::parseOn()
{
    const int line = cur().line, col = cur().column;
    advance();
    expectKeyword(Keyword::Error, cerr::SyntaxError);
    if (acceptKeyword(Keyword::Resume)) {
        expectKeyword(Keyword::Next, cerr::SyntaxError);
        return std::make_unique<OnErrorStmt>(line, col, true);
    }
    expectKeyword(Keyword::GoTo, cerr::SyntaxError);
    if (!is(TokenKind::Literal) || !cur().value.isNumericType() || vb::toDouble(cur().value) != 0.0)
        fail(cerr::SyntaxError);
    advance();
    return std::make_unique<OnErrorStmt>(line, col, false);
}

StmtPtr Parser::parseDeclarationWithAccess()
{
    const Token& t = cur();
    const int line = t.line, col = t.column;
    const Access access = t.keyword == Keyword::Public ? Access::Public : Access::Private;
    advance();
    bool isDefault = false;
    if (isKeyword(Keyword::Default)) {
        isDefault = true;
        advance();
        if (access != Access::Public)
            fail(cerr::DefaultNeedsPublic);
    }
    if (isKeyword(Keyword::Sub) || isKeyword(Keyword::Function) || isKeyword(Keyword::Property)) {
        if (inProcedure_ || singleLineIf_ || depth_ > 1)
            fail(cerr::ExpectedStatement);
        if (isKeyword(Keyword::Property) && !inClass_)
            fail(cerr::MustBeInsideClass);
        return parseProcedure(access, isDefault, line, col);
    }
    if (isDefault)
        fail(cerr::ExpectedFunction);
    if (inProcedure_)
        fail(cerr::ExpectedStatement);
    if (acceptKeyword(Keyword::Const))
        return parseConst(access, line, col);
    return parseDim(access, line, col);
}

void Parser::expectEndOf(Keyword what, int errorNumber)
{
    if (!isKeyword(Keyword::End))
        fail(cerr::ExpectedEnd);
    advance();
    expectKeyword(what, errorNumber);
}

std::unique_ptr<ProcedureDecl> Parser::parseProcedure(Access access, bool isDefault, int line, int col)
{
    auto p = std::make_unique<ProcedureDecl>(line, col);
    p->access = access;
    p->isDefault = isDefault;
    Keyword endWord;
    int endError;
    if (acceptKeyword(Keyword::Sub)) {
        p->procKind = ProcKind::Sub;
        endWord = Keyword::Sub;
        endError = cerr::ExpectedSub;
    } else if (acceptKeyword(Keyword::Function)) {
        p->procKind = ProcKind::Function;
        endWord = Keyword::Function;
        endError = cerr::ExpectedFunction;
    } else {
        expectKeyword(Keyword::Property, cerr::ExpectedProperty);
        if (acceptKeyword(Keyword::Get))
            p->procKind = ProcKind::PropertyGet;
        else if (acceptKeyword(Keyword::Let))
            p->procKind = ProcKind::PropertyLet;
        else if (acceptKeyword(Keyword::Set))
            p->procKind = ProcKind::PropertySet;
        else
            fail(cerr::ExpectedLetSetGet);
        endWord = Keyword::Property;
        endError = cerr::ExpectedProperty;
    }
    if (isDefault && p->procKind != ProcKind::PropertyGet && p->procKind != ProcKind::Function && p->procKind != ProcKind::Sub)
        fail(cerr::DefaultOnlyPropertyGet);
    p->name = expectName();
    if (accept(TokenKind::LParen)) {
        if (!is(TokenKind::RParen)) {
            do {
                Param param;
                if (acceptKeyword(Keyword::ByVal))
                    param.byVal = true;
                else
                    acceptKeyword(Keyword::ByRef);
                param.line = cur().line;
                param.column = cur().column;
                param.name = expectName();
                if (accept(TokenKind::LParen)) {
                    expect(TokenKind::RParen, cerr::ExpectedRParen);
                    param.isArray = true;
                }
                p->params.push_back(std::move(param));
            } while (accept(TokenKind::Comma));
        }
        expect(TokenKind::RParen, cerr::ExpectedRParen);
    }
    if ((p->procKind == ProcKind::PropertyLet || p->procKind == ProcKind::PropertySet) && p->params.empty())
        fail(cerr::PropertyNeedsArgument);
    // The body may start on the header's line ("Sub Bump() x = 10").

    {
        // Exit inside the body refers to this procedure, never to loops around it.
        const Scoped<bool> inProcedure(inProcedure_, true);
        const Scoped<ProcKind> kind(procKind_, p->procKind);
        const Scoped<int> noDo(doDepth_, 0), noFor(forDepth_, 0), noWith(withDepth_, 0);
        p->body = parseBlock();
    }
    expectEndOf(endWord, endError);
    return p;
}

std::unique_ptr<ClassDecl> Parser::parseClass(int line, int col)
{
    auto c = std::make_unique<ClassDecl>(line, col);
    c->name = expectName();
    // Members may start on the header's line.
    const Scoped<bool> inClass(inClass_, true);
    for (;;) {
        skipSeparators();
        if (isKeyword(Keyword::End))
            break;
        if (is(TokenKind::EndOfInput))
            fail(cerr::ExpectedEnd);
        const Token& t = cur();
        const int l = t.line, cl = t.column;
        if (acceptKeyword(Keyword::Dim)) {
            c->fields.push_back(parseDim(Access::Public, l, cl));
        } else if (isKeyword(Keyword::Public) || isKeyword(Keyword::Private)) {
            StmtPtr s = parseDeclarationWithAccess();
            if (s->kind == Stmt::Kind::Procedure)
                c->procedures.emplace_back(static_cast<ProcedureDecl*>(s.release()));
            else if (s->kind == Stmt::Kind::Const)
                c->consts.emplace_back(static_cast<ConstStmt*>(s.release()));
            else
                c->fields.emplace_back(static_cast<DimStmt*>(s.release()));
        } else if (isKeyword(Keyword::Sub) || isKeyword(Keyword::Function) || isKeyword(Keyword::Property)) {
            c->procedures.push_back(parseProcedure(Access::Dim, false, l, cl));
        } else if (acceptKeyword(Keyword::Const)) {
            c->consts.push_back(parseConst(Access::Dim, l, cl));
        } else {
            fail(cerr::ExpectedEnd);
        }
        endStatement();
    }
    advance();
    expectKeyword(Keyword::Class, cerr::ExpectedClass);
    return c;
}

} // namespace vbscript
