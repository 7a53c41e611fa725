// Compiler: expressions, names used as values and calls, and assignment targets.
#include "Compiler.h"

#include "CompileError.h"
#include "Engine.h"
#include "Scope.h"
#include "ScriptClass.h"
#include "StmtNodes.h"
#include "vbscript/base/Limits.h"

#include "automation/Error.h"
#include "base/Assert.h"

namespace vbscript {

using ast::BinaryOp;

bool isSourceLiteral(const ast::Expr& e)
{
    if (e.kind != ast::Expr::Kind::Literal)
        return false;
    switch (e.value.type()) {
    case vb::vbInteger:
    case vb::vbLong:
    case vb::vbSingle:
    case vb::vbDouble:
    case vb::vbCurrency:
    case vb::vbByte:
    case vb::vbDate:
        return true;
    default:
        return false;
    }
}

namespace {

bool isConstant(const Expr* e)
{
    return dynamic_cast<const ConstantExpr*>(e) != nullptr;
}

const vb::Variant& constantOf(const Expr* e)
{
    return static_cast<const ConstantExpr*>(e)->value();
}

using BinaryFn = vb::Variant (*)(const vb::Variant&, const vb::Variant&);

BinaryFn binaryFunction(BinaryOp op)
{
    switch (op) {
    case BinaryOp::Add: return ops::add;
    case BinaryOp::Subtract: return ops::subtract;
    case BinaryOp::Multiply: return ops::multiply;
    case BinaryOp::Divide: return ops::divide;
    case BinaryOp::IntDivide: return ops::intDivide;
    case BinaryOp::Modulo: return ops::modulo;
    case BinaryOp::Power: return ops::power;
    case BinaryOp::Concat: return ops::concat;
    case BinaryOp::Equal: return ops::equal;
    case BinaryOp::NotEqual: return ops::notEqual;
    case BinaryOp::Less: return ops::less;
    case BinaryOp::Greater: return ops::greater;
    case BinaryOp::LessEqual: return ops::lessEqual;
    case BinaryOp::GreaterEqual: return ops::greaterEqual;
    case BinaryOp::And: return ops::logicalAnd;
    case BinaryOp::Or: return ops::logicalOr;
    case BinaryOp::Xor: return ops::logicalXor;
    case BinaryOp::Eqv: return ops::logicalEqv;
    case BinaryOp::Imp: return ops::logicalImp;
    case BinaryOp::Is: return ops::isOperator;
    }
    return nullptr;
}

bool isComparison(BinaryOp op)
{
    return op >= BinaryOp::Equal && op <= BinaryOp::GreaterEqual;
}

// "5 < x" is "x > 5": the constant goes to the right, where the fast nodes expect it.
BinaryOp mirrored(BinaryOp op)
{
    switch (op) {
    case BinaryOp::Less: return BinaryOp::Greater;
    case BinaryOp::Greater: return BinaryOp::Less;
    case BinaryOp::LessEqual: return BinaryOp::GreaterEqual;
    case BinaryOp::GreaterEqual: return BinaryOp::LessEqual;
    default: return op;
    }
}

// CBool ... CStr: VBScript compiles them to conversions, which cannot stand as a
// statement ("Call CInt(1)"): the conversion runs (and raises its own error), and
// only one that succeeded fails as a statement.
bool isConversionFunction(std::string_view name)
{
    static constexpr std::string_view kNames[] = {"CBool", "CByte", "CCur", "CDate", "CDbl", "CInt", "CLng", "CSng", "CStr"};
    for (std::string_view n : kNames) {
        if (vb::equalsIgnoreCase(n, name))
            return true;
    }
    return false;
}

// Randomize is a statement; it has no value to use ("v = Randomize(1)").
bool isStatementOnly(std::string_view name)
{
    return vb::equalsIgnoreCase(name, "Randomize");
}

// True when the result depends on the script's locale (set only when the code runs):
// text of a fractional number or a date ("x" & 1.5), or a string read as a number.
bool dependsOnLocale(BinaryOp op, const vb::Variant& a, const vb::Variant& b)
{
    // Arithmetic reads a string operand as a number of the locale.
    if (op != BinaryOp::Concat && !isComparison(op))
        return a.isString() || b.isString();
    const auto localized = [](const vb::Variant& v) {
        const vb::VarType t = v.type();
        return t == vb::vbSingle || t == vb::vbDouble || t == vb::vbCurrency || t == vb::vbDate;
    };
    if (op == BinaryOp::Concat)
        return localized(a) || localized(b);
    return (a.isString() && !b.isString()) || (b.isString() && !a.isString());
}


} // namespace

ArgList Compiler::compileArgs(const std::vector<ast::ExprPtr>& args)
{
    std::vector<ExprPtr> out;
    out.reserve(args.size());
    for (const ast::ExprPtr& a : args)
        out.push_back(a ? compileExpr(*a) : nullptr);
    return ArgList(std::move(out));
}

ExprPtr Compiler::withObject()
{
    if (withSlots_.empty())
        return std::make_unique<ErrorExpr>(rterr::InvalidReference);
    return std::make_unique<LocalExpr>(withSlots_.back());
}

// "xap.Version": a member of a named object, its id looked up once, now.
ExprPtr Compiler::namedObjectMember(const ast::Expr& member, const std::vector<ast::ExprPtr>* args)
{
    if (!member.left || member.left->kind != ast::Expr::Kind::Name)
        return nullptr;
    Resolved r = resolve(member.left->name, false);
    if (r.kind != Resolved::Kind::NamedObject)
        return nullptr;
    const vb::MemberId id = r.object->memberId(member.name);
    if (id == vb::kNoMember)
        return nullptr;
    return std::make_unique<NamedMemberExpr>(r.object, id, args ? compileArgs(*args) : ArgList());
}

ExprPtr Compiler::compileExpr(const ast::Expr& e)
{
    using K = ast::Expr::Kind;
    switch (e.kind) {
    case K::Literal: return std::make_unique<ConstantExpr>(e.value);
    case K::Name: return compileName(e);
    case K::Member: {
        if (ExprPtr named = namedObjectMember(e, nullptr))
            return named;
        ExprPtr object = e.left ? compileExpr(*e.left) : withObject();
        return std::make_unique<MemberExpr>(std::move(object), e.name, ArgList());
    }
    case K::Call: return compileCallee(*e.left, e.args, false);
    case K::Unary: {
        ExprPtr operand = compileExpr(*e.left);
        UnaryExpr::Fn fn = e.unaryOp == ast::UnaryOp::Negate ? ops::negate : e.unaryOp == ast::UnaryOp::Plus ? ops::unaryPlus : ops::logicalNot;
        if (isConstant(operand.get())) {
            try {
                return std::make_unique<ConstantExpr>(fn(constantOf(operand.get())));
            } catch (const vb::Error&) {
            }
        }
        return std::make_unique<UnaryExpr>(fn, std::move(operand));
    }
    case K::Binary: return compileBinary(e);
    case K::Chain: return compileChain(e);
    case K::Paren: {
        ExprPtr inner = compileExpr(*e.left);
        // Parentheses only keep a variable from being passed by reference: a value
        // that never has an address (an operator's result) needs no wrapper.
        if (isConstant(inner.get()) || !inner->mayHaveAddress())
            return inner;
        return std::make_unique<ValueOnlyExpr>(std::move(inner));
    }
    case K::New: return std::make_unique<NewExpr>(e.name, &scope_);
    case K::Me:
        if (!class_)
            fail(cerr::InvalidUseOfMe, e.line, e.column);
        return std::make_unique<MeExpr>();
    }
    return nullptr;
}

ExprPtr Compiler::compileBinary(const ast::Expr& e)
{
    TALLIS_ASSERT(e.left && e.right); // the parser gives every binary operator both operands
    ExprPtr l = compileExpr(*e.left);
    ExprPtr r = compileExpr(*e.right);
    return makeBinary(e.binaryOp, std::move(l), std::move(r), isSourceLiteral(*e.left), isSourceLiteral(*e.right));
}

// Operands joined left to right: the first ones as nested nodes (with constants
// folded), the rest of a long chain as one ChainExpr evaluated in a loop.
ExprPtr Compiler::compileChain(const ast::Expr& e)
{
    ExprPtr acc = compileExpr(*e.args[0]);
    std::vector<ChainExpr::Link> links;
    int nested = 0;
    for (std::size_t i = 0; i < e.chainOps.size(); ++i) {
        ExprPtr r = compileExpr(*e.args[i + 1]);
        const BinaryOp op = e.chainOps[i];
        if (links.empty() && (nested < limits::kMaxNestedOperators || (isConstant(acc.get()) && isConstant(r.get())))) {
            acc = makeBinary(op, std::move(acc), std::move(r), i == 0 && isSourceLiteral(*e.args[0]), isSourceLiteral(*e.args[i + 1]));
            if (!isConstant(acc.get()))
                ++nested;
            continue;
        }
        links.push_back(ChainExpr::Link{binaryFunction(op), std::move(r)});
    }
    if (links.empty())
        return acc;
    return std::make_unique<ChainExpr>(std::move(acc), std::move(links));
}

namespace {

// The operators with a node for "left <op> constant".
bool hasConstantForm(BinaryOp op)
{
    switch (op) {
    case BinaryOp::Add:
    case BinaryOp::Subtract:
    case BinaryOp::Multiply:
    case BinaryOp::IntDivide:
    case BinaryOp::Modulo:
    case BinaryOp::Concat:
    case BinaryOp::Equal:
    case BinaryOp::NotEqual:
    case BinaryOp::Less:
    case BinaryOp::Greater:
    case BinaryOp::LessEqual:
    case BinaryOp::GreaterEqual: return true;
    default: return false;
    }
}

// The node for "left <op> constant" (an operator with such a form).
template <class Left>
ExprPtr makeConstOperation(BinaryOp op, Left&& l, const vb::Variant& c, bool literal)
{
    using L = std::decay_t<Left>;
    switch (op) {
    case BinaryOp::Add: return std::make_unique<BinaryConstExpr<fast::add, L>>(std::move(l), c);
    case BinaryOp::Subtract: return std::make_unique<BinaryConstExpr<fast::subtract, L>>(std::move(l), c);
    case BinaryOp::Multiply: return std::make_unique<BinaryConstExpr<fast::multiply, L>>(std::move(l), c);
    case BinaryOp::IntDivide: return std::make_unique<BinaryConstExpr<fast::intDivide, L>>(std::move(l), c);
    case BinaryOp::Modulo: return std::make_unique<BinaryConstExpr<fast::modulo, L>>(std::move(l), c);
    case BinaryOp::Concat: return std::make_unique<BinaryConstExpr<ops::concat, L>>(std::move(l), c);
    case BinaryOp::Equal: return std::make_unique<CompareConstExpr<fast::equal, L>>(std::move(l), c, literal);
    case BinaryOp::NotEqual: return std::make_unique<CompareConstExpr<fast::notEqual, L>>(std::move(l), c, literal);
    case BinaryOp::Less: return std::make_unique<CompareConstExpr<fast::less, L>>(std::move(l), c, literal);
    case BinaryOp::Greater: return std::make_unique<CompareConstExpr<fast::greater, L>>(std::move(l), c, literal);
    case BinaryOp::LessEqual: return std::make_unique<CompareConstExpr<fast::lessEqual, L>>(std::move(l), c, literal);
    case BinaryOp::GreaterEqual: return std::make_unique<CompareConstExpr<fast::greaterEqual, L>>(std::move(l), c, literal);
    default: return nullptr;
    }
}

} // namespace

ExprPtr Compiler::makeBinary(BinaryOp op, ExprPtr l, ExprPtr r, bool leftLiteral, bool rightLiteral)
{
    if (op == BinaryOp::Is)
        return std::make_unique<IsExpr>(std::move(l), std::move(r));
    if (isComparison(op) && isConstant(l.get()) && (leftLiteral ? !rightLiteral : !isConstant(r.get()))) {
        std::swap(l, r);
        std::swap(leftLiteral, rightLiteral);
        op = mirrored(op);
    }
    // A string compared with a number literal is read as a number.
    const bool literal = isComparison(op) && rightLiteral && !leftLiteral;
    BinaryFn fn = binaryFunction(op);
    if (isConstant(l.get()) && isConstant(r.get()) && !dependsOnLocale(op, constantOf(l.get()), constantOf(r.get()))) {
        try {
            if (literal)
                return std::make_unique<ConstantExpr>(ops::literalComparison(op, constantOf(l.get()), constantOf(r.get())));
            return std::make_unique<ConstantExpr>(fn(constantOf(l.get()), constantOf(r.get())));
        } catch (const vb::Error&) {
            // Left for run time, which reports it in its place.
        }
    }
    if (isConstant(r.get()) && hasConstantForm(op)) {
        const vb::Variant c = constantOf(r.get());
        // An argument or local on the left is read from the frame directly.
        if (const auto* arg = dynamic_cast<const ArgExpr*>(l.get()))
            return makeConstOperation(op, ArgOperand{arg->index()}, c, literal);
        if (const auto* local = dynamic_cast<const LocalExpr*>(l.get()))
            return makeConstOperation(op, LocalOperand{local->slot()}, c, literal);
        return makeConstOperation(op, NodeOperand{std::move(l)}, c, literal);
    }
    switch (op) {
    case BinaryOp::Add: return std::make_unique<BinaryExpr<fast::add>>(std::move(l), std::move(r));
    case BinaryOp::Subtract: return std::make_unique<BinaryExpr<fast::subtract>>(std::move(l), std::move(r));
    case BinaryOp::Multiply: return std::make_unique<BinaryExpr<fast::multiply>>(std::move(l), std::move(r));
    case BinaryOp::Divide: return std::make_unique<BinaryExpr<ops::divide>>(std::move(l), std::move(r));
    case BinaryOp::IntDivide: return std::make_unique<BinaryExpr<fast::intDivide>>(std::move(l), std::move(r));
    case BinaryOp::Modulo: return std::make_unique<BinaryExpr<fast::modulo>>(std::move(l), std::move(r));
    case BinaryOp::Power: return std::make_unique<BinaryExpr<ops::power>>(std::move(l), std::move(r));
    case BinaryOp::Concat: return std::make_unique<BinaryExpr<ops::concat>>(std::move(l), std::move(r));
    case BinaryOp::Equal: return std::make_unique<CompareExpr<fast::equal>>(std::move(l), std::move(r));
    case BinaryOp::NotEqual: return std::make_unique<CompareExpr<fast::notEqual>>(std::move(l), std::move(r));
    case BinaryOp::Less: return std::make_unique<CompareExpr<fast::less>>(std::move(l), std::move(r));
    case BinaryOp::Greater: return std::make_unique<CompareExpr<fast::greater>>(std::move(l), std::move(r));
    case BinaryOp::LessEqual: return std::make_unique<CompareExpr<fast::lessEqual>>(std::move(l), std::move(r));
    case BinaryOp::GreaterEqual: return std::make_unique<CompareExpr<fast::greaterEqual>>(std::move(l), std::move(r));
    case BinaryOp::And: return std::make_unique<BinaryExpr<ops::logicalAnd>>(std::move(l), std::move(r));
    case BinaryOp::Or: return std::make_unique<BinaryExpr<ops::logicalOr>>(std::move(l), std::move(r));
    case BinaryOp::Xor: return std::make_unique<BinaryExpr<ops::logicalXor>>(std::move(l), std::move(r));
    case BinaryOp::Eqv: return std::make_unique<BinaryExpr<ops::logicalEqv>>(std::move(l), std::move(r));
    case BinaryOp::Imp: return std::make_unique<BinaryExpr<ops::logicalImp>>(std::move(l), std::move(r));
    case BinaryOp::Is: break;
    }
    return nullptr;
}

ExprPtr Compiler::compileName(const ast::Expr& e)
{
    using K = Resolved::Kind;
    Resolved r = resolve(e.name, false);
    switch (r.kind) {
    case K::Constant: return std::make_unique<ConstantExpr>(r.constant);
    case K::Global:
        if (r.global->kind == GlobalSlot::Kind::Procedure)
            return std::make_unique<ProcCallExpr>(r.global, ArgList());
        return std::make_unique<GlobalExpr>(r.global);
    case K::ClassMember: return std::make_unique<MethodCallExpr>(r.index, ArgList());
    case K::NamedObject: return std::make_unique<NamedObjectExpr>(r.object);
    case K::NamedMember: return std::make_unique<NamedMemberExpr>(r.object, r.memberId, ArgList());
    case K::Builtin:
        if (isStatementOnly(r.builtin->name))
            return std::make_unique<ErrorExpr>(vb::err::TypeMismatch);
        return std::make_unique<BuiltinCallExpr>(r.builtin, ArgList());
    case K::Intrinsic: return std::make_unique<IntrinsicExpr>(r.intrinsic, ArgList());
    case K::Err: return std::make_unique<ErrExpr>();
    default: return variableNode(r, e.name);
    }
}

ExprPtr Compiler::compileNameCall(const std::string& name, const std::vector<ast::ExprPtr>& args, bool asStatement)
{
    using K = Resolved::Kind;
    Resolved r = resolve(name, true);
    switch (r.kind) {
    case K::Global:
        if (r.global->kind == GlobalSlot::Kind::Procedure || r.global->kind == GlobalSlot::Kind::Class)
            return std::make_unique<ProcCallExpr>(r.global, compileArgs(args));
        return std::make_unique<IndexExpr>(std::make_unique<GlobalExpr>(r.global), compileArgs(args), asStatement);
    case K::ClassMember: return std::make_unique<MethodCallExpr>(r.index, compileArgs(args));
    case K::NamedObject: return std::make_unique<IndexExpr>(std::make_unique<NamedObjectExpr>(r.object), compileArgs(args));
    case K::NamedMember: return std::make_unique<NamedMemberExpr>(r.object, r.memberId, compileArgs(args));
    case K::Builtin:
        if (asStatement && isConversionFunction(r.builtin->name))
            return std::make_unique<ThenErrorExpr>(std::make_unique<BuiltinCallExpr>(r.builtin, compileArgs(args)), rterr::UnsupportedType);
        if (!asStatement && isStatementOnly(r.builtin->name))
            return std::make_unique<ErrorExpr>(vb::err::TypeMismatch);
        return std::make_unique<BuiltinCallExpr>(r.builtin, compileArgs(args));
    case K::Intrinsic: return std::make_unique<IntrinsicExpr>(r.intrinsic, compileArgs(args));
    case K::Constant: return std::make_unique<IndexExpr>(std::make_unique<ConstantExpr>(r.constant), compileArgs(args));
    case K::Err: return std::make_unique<IndexExpr>(std::make_unique<ErrExpr>(), compileArgs(args));
    case K::Late: {
        auto late = std::make_unique<LateNameExpr>(name, &scope_, r.implicitSlot, unit_.optionExplicit || scope_.optionExplicit);
        return std::make_unique<LateCallExpr>(std::move(late), compileArgs(args), asStatement);
    }
    default: return std::make_unique<IndexExpr>(variableNode(r, name), compileArgs(args), asStatement);
    }
}

ExprPtr Compiler::compileCallee(const ast::Expr& callee, const std::vector<ast::ExprPtr>& args, bool asStatement)
{
    using K = ast::Expr::Kind;
    switch (callee.kind) {
    case K::Paren:
        // "(Twice)(4)": a parenthesised name or member is still what is called.
        if (callee.left->kind == K::Name || callee.left->kind == K::Member || callee.left->kind == K::Paren)
            return compileCallee(*callee.left, args, asStatement);
        return std::make_unique<IndexExpr>(compileExpr(callee), compileArgs(args));
    case K::Name: return compileNameCall(callee.name, args, asStatement);
    case K::Member: {
        if (ExprPtr named = namedObjectMember(callee, &args))
            return named;
        ExprPtr object = callee.left ? compileExpr(*callee.left) : withObject();
        return std::make_unique<MemberExpr>(std::move(object), callee.name, compileArgs(args), true, asStatement);
    }
    default: return std::make_unique<IndexExpr>(compileExpr(callee), compileArgs(args));
    }
}

ExprPtr Compiler::compileTarget(const ast::Expr& e)
{
    using K = ast::Expr::Kind;
    using RK = Resolved::Kind;
    switch (e.kind) {
    case K::Name: {
        Resolved r = resolve(e.name, false);
        switch (r.kind) {
        case RK::Global:
            return std::make_unique<GlobalExpr>(r.global);
        case RK::ClassMember: return std::make_unique<MethodCallExpr>(r.index, ArgList());
        case RK::NamedMember: return std::make_unique<NamedMemberExpr>(r.object, r.memberId, ArgList());
        case RK::Local:
        case RK::Arg:
        case RK::Field:
        case RK::Direct:
        case RK::Late: return variableNode(r, e.name);
        default: return std::make_unique<ErrorExpr>(rterr::IllegalAssignment);
        }
    }
    case K::Member: {
        if (ExprPtr named = namedObjectMember(e, nullptr))
            return named;
        ExprPtr object = e.left ? compileExpr(*e.left) : withObject();
        return std::make_unique<MemberExpr>(std::move(object), e.name, ArgList());
    }
    case K::Call: {
        if (e.left->kind == K::Name) {
            Resolved r = resolve(e.left->name, false);
            switch (r.kind) {
            case RK::ClassMember: return std::make_unique<MethodCallExpr>(r.index, compileArgs(e.args));
            case RK::NamedMember: return std::make_unique<NamedMemberExpr>(r.object, r.memberId, compileArgs(e.args));
            case RK::Global:
                return std::make_unique<IndexExpr>(std::make_unique<GlobalExpr>(r.global), compileArgs(e.args));
            case RK::NamedObject:
                return std::make_unique<IndexExpr>(std::make_unique<NamedObjectExpr>(r.object), compileArgs(e.args));
            case RK::Late: {
                auto late = std::make_unique<LateNameExpr>(e.left->name, &scope_, r.implicitSlot, unit_.optionExplicit || scope_.optionExplicit);
                return std::make_unique<LateCallExpr>(std::move(late), compileArgs(e.args), false);
            }
            case RK::Local:
            case RK::Arg:
            case RK::Field:
            case RK::Direct: return std::make_unique<IndexExpr>(variableNode(r, e.left->name), compileArgs(e.args));
            default: return std::make_unique<ErrorExpr>(rterr::IllegalAssignment);
            }
        }
        if (e.left->kind == K::Member) {
            if (ExprPtr named = namedObjectMember(*e.left, &e.args))
                return named;
            ExprPtr object = e.left->left ? compileExpr(*e.left->left) : withObject();
            return std::make_unique<MemberExpr>(std::move(object), e.left->name, compileArgs(e.args), true);
        }
        return std::make_unique<IndexExpr>(compileTarget(*e.left), compileArgs(e.args));
    }
    case K::Me:
        if (!class_)
            fail(cerr::InvalidUseOfMe, e.line, e.column);
        return std::make_unique<ErrorExpr>(rterr::IllegalAssignment);
    default: return std::make_unique<ErrorExpr>(rterr::IllegalAssignment);
    }
}

} // namespace vbscript
