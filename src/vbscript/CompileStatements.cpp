// Compiler: statements.
#include "Compiler.h"

#include "CompileError.h"
#include "Engine.h"
#include "Scope.h"
#include "ScriptClass.h"
#include "StmtNodes.h"

#include "automation/Error.h"

namespace vbscript {

using ast::BinaryOp;

namespace {

bool (*acceptFor(BinaryOp op))(ops::Order)
{
    switch (op) {
    case BinaryOp::Equal: return fast::equal;
    case BinaryOp::NotEqual: return fast::notEqual;
    case BinaryOp::Less: return fast::less;
    case BinaryOp::Greater: return fast::greater;
    case BinaryOp::LessEqual: return fast::lessEqual;
    case BinaryOp::GreaterEqual: return fast::greaterEqual;
    default: return nullptr;
    }
}

} // namespace

void Compiler::compileBlock(const ast::Block& in, Block& out)
{
    for (const ast::StmtPtr& s : in) {
        StmtPtr st = compileStatement(*s);
        if (st)
            out.statements.push_back(std::move(st));
    }
}

StmtPtr Compiler::compileStatement(const ast::Stmt& s)
{
    using K = ast::Stmt::Kind;
    switch (s.kind) {
    case K::Assign: return compileAssign(static_cast<const ast::AssignStmt&>(s));
    case K::Call: {
        const auto& c = static_cast<const ast::CallStmt&>(s);
        return std::make_unique<CallStmt>(s.line, s.column, compileCallee(*c.callee, c.args, true));
    }
    case K::If: return compileIf(static_cast<const ast::IfStmt&>(s));
    case K::Select: return compileSelect(static_cast<const ast::SelectStmt&>(s));
    case K::For: return compileFor(static_cast<const ast::ForStmt&>(s));
    case K::ForEach: return compileForEach(static_cast<const ast::ForEachStmt&>(s));
    case K::Do: return compileDo(static_cast<const ast::DoStmt&>(s));
    case K::Exit: {
        const auto& x = static_cast<const ast::ExitStmt&>(s);
        Flow flow = Flow::ExitProcedure;
        if (x.what == ast::ExitStmt::What::Do)
            flow = Flow::ExitDo;
        else if (x.what == ast::ExitStmt::What::For)
            flow = Flow::ExitFor;
        return std::make_unique<ExitStmt>(s.line, s.column, flow);
    }
    case K::With: return compileWith(static_cast<const ast::WithStmt&>(s));
    case K::OnError: return std::make_unique<OnErrorStmt>(s.line, s.column, static_cast<const ast::OnErrorStmt&>(s).resumeNext);
    case K::ReDim: return compileReDim(static_cast<const ast::ReDimStmt&>(s));
    case K::Erase: return compileErase(static_cast<const ast::EraseStmt&>(s));
    case K::Dim: return compileModuleArrays(static_cast<const ast::DimStmt&>(s));
    case K::Const:
    case K::OptionExplicit:
    case K::Procedure:
    case K::Class:
    case K::Nop:
        return nullptr;
    }
    return nullptr;
}

namespace {

// The pieces of "x & a & b" when its leftmost operand is the name `name`.
bool appendPieces(const ast::Expr& e, const std::string& name, std::vector<const ast::Expr*>& pieces)
{
    if (e.kind == ast::Expr::Kind::Chain) {
        const ast::Expr& first = *e.args[0];
        if (e.chainOps[0] != BinaryOp::Concat || first.kind != ast::Expr::Kind::Name || !vb::equalsIgnoreCase(first.name, name))
            return false;
        for (std::size_t i = 1; i < e.args.size(); ++i)
            pieces.push_back(e.args[i].get());
        return true;
    }
    if (e.kind != ast::Expr::Kind::Binary || e.binaryOp != BinaryOp::Concat)
        return false;
    const ast::Expr& left = *e.left;
    if (left.kind == ast::Expr::Kind::Name && vb::equalsIgnoreCase(left.name, name)) {
        pieces.push_back(e.right.get());
        return true;
    }
    if (!appendPieces(left, name, pieces))
        return false;
    pieces.push_back(e.right.get());
    return true;
}

} // namespace

// True when evaluating the expression cannot run script code (which might change
// the variable being appended to): literals, variables, operators and library calls.
bool Compiler::cannotRunScript(const ast::Expr& e)
{
    using K = ast::Expr::Kind;
    using RK = Resolved::Kind;
    switch (e.kind) {
    case K::Literal: return true;
    case K::Name: {
        // A name nobody declared yet is taken for a variable.
        const Resolved r = resolve(e.name, false);
        if (r.kind == RK::Global)
            return r.global->kind != GlobalSlot::Kind::Procedure;
        return r.kind != RK::ClassMember && r.kind != RK::NamedMember && r.kind != RK::Intrinsic;
    }
    case K::Unary:
    case K::Paren: return cannotRunScript(*e.left);
    case K::Binary: return cannotRunScript(*e.left) && cannotRunScript(*e.right);
    case K::Chain:
        for (const ast::ExprPtr& a : e.args) {
            if (!cannotRunScript(*a))
                return false;
        }
        return true;
    case K::Call: {
        if (e.left->kind != K::Name || resolve(e.left->name, true).kind != RK::Builtin)
            return false;
        for (const ast::ExprPtr& a : e.args) {
            if (a && !cannotRunScript(*a))
                return false;
        }
        return true;
    }
    default: return false;
    }
}

// The runtime part of a module-level Dim: its arrays (nothing for plain variables,
// for Dims inside procedures, and for Execute code bound to a procedure).
StmtPtr Compiler::compileModuleArrays(const ast::DimStmt& s)
{
    if (!topLevel_ || (binding_ && !asGlobal_))
        return nullptr;
    auto stmt = std::make_unique<DeclareArraysStmt>(s.line, s.column);
    for (const ast::VarDecl& v : s.vars) {
        if (!v.isArray)
            continue;
        GlobalSlot* slot = scope_.lookup(v.name);
        if (!slot)
            continue;
        DeclareArraysStmt::Item item{slot, {}, redeclaredArrays_.contains(&v)};
        item.init.fixed = !v.upper.empty();
        for (std::int32_t u : v.upper)
            item.init.bounds.push_back(vb::Bound{0, u + 1});
        stmt->items.push_back(std::move(item));
    }
    if (stmt->items.empty())
        return nullptr;
    return stmt;
}

StmtPtr Compiler::compileAssign(const ast::AssignStmt& s)
{
    if (s.isSet) {
        ExprPtr target = compileTarget(*s.target);
        return std::make_unique<SetStmt>(s.line, s.column, std::move(target), compileExpr(*s.value));
    }
    if (s.target->kind == ast::Expr::Kind::Name) {
        std::vector<const ast::Expr*> pieceAsts;
        if (appendPieces(*s.value, s.target->name, pieceAsts)) {
            ExprPtr target = compileTarget(*s.target);
            if (dynamic_cast<VariableExpr*>(target.get()) || dynamic_cast<GlobalExpr*>(target.get()) || dynamic_cast<LateNameExpr*>(target.get())) {
                bool simple = true;
                for (const ast::Expr* p : pieceAsts)
                    simple = simple && cannotRunScript(*p);
                if (simple) {
                    std::vector<ExprPtr> pieces;
                    for (const ast::Expr* p : pieceAsts)
                        pieces.push_back(compileExpr(*p));
                    return std::make_unique<AppendStmt>(s.line, s.column, std::move(target), std::move(pieces));
                }
            }
        }
    }
    ExprPtr target = compileTarget(*s.target);
    ExprPtr value = compileExpr(*s.value);
    if (auto* local = dynamic_cast<LocalExpr*>(target.get()))
        return std::make_unique<AssignLocalStmt>(s.line, s.column, local->slot(), std::move(value));
    return std::make_unique<AssignStmt>(s.line, s.column, std::move(target), std::move(value));
}

StmtPtr Compiler::compileIf(const ast::IfStmt& s)
{
    auto out = std::make_unique<IfStmt>(s.line, s.column);
    for (const ast::IfBranch& b : s.branches) {
        IfStmt::Branch branch;
        branch.condition = compileExpr(*b.condition);
        compileBlock(b.body, branch.body);
        out->branches.push_back(std::move(branch));
    }
    compileBlock(s.elseBody, out->elseBody);
    return out;
}

StmtPtr Compiler::compileSelect(const ast::SelectStmt& s)
{
    auto out = std::make_unique<SelectStmt>(s.line, s.column);
    out->subject = compileExpr(*s.subject);
    for (const ast::CaseClause& c : s.cases) {
        SelectStmt::Case cc;
        for (const ast::CaseItem& item : c.items) {
            SelectStmt::Item it;
            it.value = compileExpr(*item.value);
            it.literal = isSourceLiteral(*item.value);
            switch (item.kind) {
            case ast::CaseItem::Kind::Value: it.kind = SelectStmt::Item::Kind::Value; break;
            case ast::CaseItem::Kind::Range:
                it.kind = SelectStmt::Item::Kind::Range;
                it.upper = compileExpr(*item.upper);
                it.upperLiteral = isSourceLiteral(*item.upper);
                break;
            case ast::CaseItem::Kind::Compare:
                it.kind = SelectStmt::Item::Kind::Compare;
                it.accept = acceptFor(item.compare);
                break;
            }
            cc.items.push_back(std::move(it));
        }
        compileBlock(c.body, cc.body);
        out->cases.push_back(std::move(cc));
    }
    out->hasElse = s.hasElse;
    compileBlock(s.elseBody, out->elseBody);
    return out;
}

StmtPtr Compiler::compileFor(const ast::ForStmt& s)
{
    auto out = std::make_unique<ForStmt>(s.line, s.column);
    ast::Expr name(ast::Expr::Kind::Name, s.varLine, s.varColumn);
    name.name = s.variable;
    out->counter = compileTarget(name);
    if (dynamic_cast<ErrorExpr*>(out->counter.get()) || dynamic_cast<MethodCallExpr*>(out->counter.get()))
        fail(cerr::InvalidForControl, s.varLine, s.varColumn);
    out->start = compileExpr(*s.start);
    out->end = compileExpr(*s.end);
    if (s.step)
        out->step = compileExpr(*s.step);
    compileBlock(s.body, out->body);
    return out;
}

StmtPtr Compiler::compileForEach(const ast::ForEachStmt& s)
{
    auto out = std::make_unique<ForEachStmt>(s.line, s.column);
    ast::Expr name(ast::Expr::Kind::Name, s.varLine, s.varColumn);
    name.name = s.variable;
    out->variable = compileTarget(name);
    out->collection = compileExpr(*s.collection);
    compileBlock(s.body, out->body);
    return out;
}

StmtPtr Compiler::compileDo(const ast::DoStmt& s)
{
    auto out = std::make_unique<DoStmt>(s.line, s.column);
    out->test = s.test == ast::DoStmt::Test::None ? DoStmt::Test::None : s.test == ast::DoStmt::Test::Before ? DoStmt::Test::Before : DoStmt::Test::After;
    out->until = s.until;
    if (s.condition)
        out->condition = compileExpr(*s.condition);
    compileBlock(s.body, out->body);
    return out;
}

StmtPtr Compiler::compileWith(const ast::WithStmt& s)
{
    ExprPtr object = compileExpr(*s.object);
    const int slot = newLocal();
    auto out = std::make_unique<WithStmt>(s.line, s.column, slot, std::move(object));
    withSlots_.push_back(slot);
    compileBlock(s.body, out->body);
    withSlots_.pop_back();
    return out;
}

ExprPtr Compiler::declaredTarget(const std::string& name, int line, int col)
{
    ast::Expr e(ast::Expr::Kind::Name, line, col);
    e.name = name;
    return compileTarget(e);
}

StmtPtr Compiler::compileReDim(const ast::ReDimStmt& s)
{
    auto out = std::make_unique<ReDimStmt>(s.line, s.column, s.preserve);
    for (const ast::ReDimItem& item : s.items) {
        ReDimStmt::Item it;
        it.target = declaredTarget(item.name, item.line, item.column);
        for (const ast::ExprPtr& u : item.upper)
            it.upper.push_back(compileExpr(*u));
        out->items.push_back(std::move(it));
    }
    return out;
}

StmtPtr Compiler::compileErase(const ast::EraseStmt& s)
{
    auto out = std::make_unique<EraseStmt>(s.line, s.column);
    for (const ast::ReDimItem& item : s.targets)
        out->targets.push_back(declaredTarget(item.name, item.line, item.column));
    return out;
}

} // namespace vbscript
