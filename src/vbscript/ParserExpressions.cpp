// Parser: expressions, by precedence from Imp down to the primaries and their
// member/argument chains.
#include "Parser.h"

#include "CompileError.h"

namespace vbscript {

using namespace ast;

ExprPtr Parser::binary(BinaryOp op, ExprPtr l, ExprPtr r, const Token& at)
{
    auto e = makeExpr(Expr::Kind::Binary, at.line, at.column);
    e->binaryOp = op;
    e->left = std::move(l);
    e->right = std::move(r);
    return e;
}

ExprPtr Parser::parseExpression()
{
    DepthGuard guard(*this);
    return parseImp();
}

ExprPtr Parser::parseImp()
{
    ExprPtr e = parseEqv();
    while (isKeyword(Keyword::Imp)) {
        const Token at = cur();
        advance();
        e = binary(BinaryOp::Imp, std::move(e), parseEqv(), at);
    }
    return e;
}

ExprPtr Parser::parseEqv()
{
    ExprPtr e = parseXor();
    while (isKeyword(Keyword::Eqv)) {
        const Token at = cur();
        advance();
        e = binary(BinaryOp::Eqv, std::move(e), parseXor(), at);
    }
    return e;
}

ExprPtr Parser::parseXor()
{
    ExprPtr e = parseOr();
    while (isKeyword(Keyword::Xor)) {
        const Token at = cur();
        advance();
        e = binary(BinaryOp::Xor, std::move(e), parseOr(), at);
    }
    return e;
}

ExprPtr Parser::parseOr()
{
    ExprPtr e = parseAnd();
    while (isKeyword(Keyword::Or)) {
        const Token at = cur();
        advance();
        e = binary(BinaryOp::Or, std::move(e), parseAnd(), at);
    }
    return e;
}

ExprPtr Parser::parseAnd()
{
    ExprPtr e = parseNot();
    while (isKeyword(Keyword::And)) {
        const Token at = cur();
        advance();
        e = binary(BinaryOp::And, std::move(e), parseNot(), at);
    }
    return e;
}

ExprPtr Parser::parseNot()
{
    if (isKeyword(Keyword::Not)) {
        DepthGuard guard(*this);
        auto e = makeExpr(Expr::Kind::Unary, cur().line, cur().column);
        advance();
        e->unaryOp = UnaryOp::Not;
        e->left = parseNot();
        return e;
    }
    return parseComparison();
}

ExprPtr Parser::parseComparison()
{
    ExprPtr e = parseConcat();
    for (;;) {
        BinaryOp op;
        switch (cur().kind) {
        case TokenKind::Equal: op = BinaryOp::Equal; break;
        case TokenKind::NotEqual: op = BinaryOp::NotEqual; break;
        case TokenKind::Less: op = BinaryOp::Less; break;
        case TokenKind::Greater: op = BinaryOp::Greater; break;
        case TokenKind::LessEqual: op = BinaryOp::LessEqual; break;
        case TokenKind::GreaterEqual: op = BinaryOp::GreaterEqual; break;
        default:
            if (isKeyword(Keyword::Is)) {
                op = BinaryOp::Is;
                break;
            }
            return e;
        }
        const Token at = cur();
        advance();
        e = binary(op, std::move(e), parseConcat(), at);
    }
}

ExprPtr Parser::parseConcat()
{
    ExprPtr e = parseAdditive();
    while (is(TokenKind::Ampersand)) {
        const Token at = cur();
        advance();
        e = binary(BinaryOp::Concat, std::move(e), parseAdditive(), at);
    }
    return e;
}

ExprPtr Parser::parseAdditive()
{
    ExprPtr e = parseModulo();
    while (is(TokenKind::Plus) || is(TokenKind::Minus)) {
        const Token at = cur();
        advance();
        e = binary(at.kind == TokenKind::Plus ? BinaryOp::Add : BinaryOp::Subtract, std::move(e), parseModulo(), at);
    }
    return e;
}

ExprPtr Parser::parseModulo()
{
    ExprPtr e = parseIntDivide();
    while (isKeyword(Keyword::Mod)) {
        const Token at = cur();
        advance();
        e = binary(BinaryOp::Modulo, std::move(e), parseIntDivide(), at);
    }
    return e;
}

ExprPtr Parser::parseIntDivide()
{
    ExprPtr e = parseMultiplicative();
    while (is(TokenKind::Backslash)) {
        const Token at = cur();
        advance();
        e = binary(BinaryOp::IntDivide, std::move(e), parseMultiplicative(), at);
    }
    return e;
}

ExprPtr Parser::parseMultiplicative()
{
    ExprPtr e = parseUnary();
    while (is(TokenKind::Star) || is(TokenKind::Slash)) {
        const Token at = cur();
        advance();
        e = binary(at.kind == TokenKind::Star ? BinaryOp::Multiply : BinaryOp::Divide, std::move(e), parseUnary(), at);
    }
    return e;
}

ExprPtr Parser::parseUnary()
{
    if (is(TokenKind::Minus) || is(TokenKind::Plus)) {
        DepthGuard guard(*this);
        auto e = makeExpr(Expr::Kind::Unary, cur().line, cur().column);
        e->unaryOp = is(TokenKind::Minus) ? UnaryOp::Negate : UnaryOp::Plus;
        advance();
        e->left = parseUnary();
        return e;
    }
    return parsePower();
}

ExprPtr Parser::parsePower()
{
    ExprPtr e = parsePostfix();
    while (is(TokenKind::Caret)) {
        const Token at = cur();
        advance();
        ExprPtr rhs;
        if (is(TokenKind::Minus) || is(TokenKind::Plus)) {
            // "2 ^ -1": the exponent may carry a sign.
            DepthGuard guard(*this);
            rhs = makeExpr(Expr::Kind::Unary, cur().line, cur().column);
            rhs->unaryOp = is(TokenKind::Minus) ? UnaryOp::Negate : UnaryOp::Plus;
            advance();
            rhs->left = parsePower();
        } else {
            rhs = parsePostfix();
        }
        e = binary(BinaryOp::Power, std::move(e), std::move(rhs), at);
    }
    return e;
}

ExprPtr Parser::parsePostfix()
{
    ExprPtr e = parsePrimary();
    if (e->kind == Expr::Kind::Literal)
        return e;
    return parseChain(std::move(e));
}

ExprPtr Parser::parseChain(ExprPtr base)
{
    for (;;) {
        if (is(TokenKind::Dot) && !(withDepth_ > 0 && cur().spaceBefore)) {
            const Token& dot = cur();
            auto m = makeExpr(Expr::Kind::Member, dot.line, dot.column);
            advance();
            m->name = expectMemberName();
            m->left = std::move(base);
            base = std::move(m);
        } else if (is(TokenKind::LParen)) {
            auto c = makeExpr(Expr::Kind::Call, cur().line, cur().column);
            c->args = parseParenArgs();
            c->left = std::move(base);
            base = std::move(c);
        } else {
            return base;
        }
    }
}

std::vector<ExprPtr> Parser::parseParenArgs()
{
    DepthGuard guard(*this);
    expect(TokenKind::LParen, cerr::ExpectedLParen);
    std::vector<ExprPtr> args;
    if (accept(TokenKind::RParen))
        return args;
    for (;;) {
        if (is(TokenKind::Comma) || is(TokenKind::RParen))
            args.push_back(nullptr);
        else
            args.push_back(parseExpression());
        if (accept(TokenKind::Comma))
            continue;
        expect(TokenKind::RParen, cerr::ExpectedRParen);
        return args;
    }
}

std::vector<ExprPtr> Parser::parseBareArgs()
{
    std::vector<ExprPtr> args;
    for (;;) {
        if (is(TokenKind::Comma) || atStatementEnd())
            args.push_back(nullptr);
        else
            args.push_back(parseExpression());
        if (accept(TokenKind::Comma))
            continue;
        endStatement();
        return args;
    }
}

ExprPtr Parser::parsePrimary()
{
    const Token& t = cur();
    switch (t.kind) {
    case TokenKind::Literal: {
        auto e = makeExpr(Expr::Kind::Literal, t.line, t.column);
        e->value = t.value;
        advance();
        return e;
    }
    case TokenKind::LParen: {
        DepthGuard guard(*this);
        auto e = makeExpr(Expr::Kind::Paren, t.line, t.column);
        advance();
        e->left = parseExpression();
        expect(TokenKind::RParen, cerr::ExpectedRParen);
        return e;
    }
    case TokenKind::Dot: {
        auto e = makeExpr(Expr::Kind::Member, t.line, t.column);
        advance();
        e->name = expectMemberName();
        return e;
    }
    case TokenKind::Identifier: {
        auto literal = [&](vb::Variant v) {
            auto e = makeExpr(Expr::Kind::Literal, t.line, t.column);
            e->value = std::move(v);
            advance();
            return e;
        };
        switch (t.keyword) {
        case Keyword::True: return literal(vb::Variant(true));
        case Keyword::False: return literal(vb::Variant(false));
        case Keyword::Empty: return literal(vb::Variant());
        case Keyword::Null: return literal(vb::Variant::null());
        case Keyword::Nothing: return literal(vb::Variant::nothing());
        case Keyword::Me: {
            auto e = makeExpr(Expr::Kind::Me, t.line, t.column);
            advance();
            return e;
        }
        case Keyword::New: {
            auto e = makeExpr(Expr::Kind::New, t.line, t.column);
            advance();
            e->name = expectName();
            return e;
        }
        case Keyword::Not: {
            DepthGuard guard(*this);
            auto e = makeExpr(Expr::Kind::Unary, t.line, t.column);
            advance();
            e->unaryOp = UnaryOp::Not;
            e->left = parseUnary();
            return e;
        }
        default:
            if (isReserved(t.keyword))
                fail(cerr::ExpectedExpression);
            auto e = makeExpr(Expr::Kind::Name, t.line, t.column);
            e->name = t.text;
            advance();
            return e;
        }
    }
    default:
        fail(cerr::ExpectedExpression);
    }
}

} // namespace vbscript
