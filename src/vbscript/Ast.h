// The parse tree of a VBScript compile unit, as the Parser builds it and the
// Compiler reads it. Names are still text here; the Compiler resolves them.
#pragma once

#include "automation/Variant.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vbscript::ast {

enum class BinaryOp : std::uint8_t {
    Add, Subtract, Multiply, Divide, IntDivide, Modulo, Power, Concat,
    Equal, NotEqual, Less, Greater, LessEqual, GreaterEqual, Is,
    And, Or, Xor, Eqv, Imp,
};

enum class UnaryOp : std::uint8_t { Negate, Plus, Not };

struct Expr;
using ExprPtr = std::unique_ptr<Expr>;

struct Expr {
    enum class Kind : std::uint8_t {
        Literal, // value
        Name,    // name
        Member,  // object.name; object null inside With (".name")
        Call,    // callee(args); an omitted argument is a null entry
        Unary,   // unaryOp operand(left)
        Binary,  // left binaryOp right
        Chain,   // args[0] chainOps[0] args[1] chainOps[1] ...: three or more operands of one
                 // precedence level, left to right (kept flat so long chains need no deep recursion)
        Paren,   // (left): a value, never a variable
        New,     // New name
        Me,
    };
    Kind kind;
    int line = 0;
    int column = 0;
    vb::Variant value;
    std::string name;
    ExprPtr left;
    ExprPtr right;
    std::vector<ExprPtr> args;
    std::vector<BinaryOp> chainOps;
    BinaryOp binaryOp = BinaryOp::Add;
    UnaryOp unaryOp = UnaryOp::Negate;

    Expr(Kind k, int l, int c) : kind(k), line(l), column(c) { }
};

struct Stmt;
using StmtPtr = std::unique_ptr<Stmt>;
using Block = std::vector<StmtPtr>;

enum class Access : std::uint8_t { Dim, Public, Private };

struct Stmt {
    enum class Kind : std::uint8_t {
        Assign, Call, Dim, ReDim, Const, If, Select, For, ForEach, Do, Exit, With,
        OnError, Erase, OptionExplicit, Procedure, Class, Nop,
    };
    Kind kind;
    int line = 0;
    int column = 0;
    Stmt(Kind k, int l, int c) : kind(k), line(l), column(c) { }
    virtual ~Stmt() = default;
};

struct AssignStmt : Stmt {
    AssignStmt(int l, int c) : Stmt(Kind::Assign, l, c) { }
    ExprPtr target;
    ExprPtr value;
    bool isSet = false;
};

// A call used as a statement: "Foo a, b", "Call Foo(a, b)", "obj.Method x".
struct CallStmt : Stmt {
    CallStmt(int l, int c) : Stmt(Kind::Call, l, c) { }
    ExprPtr callee; // Name or Member (or any expression ending in a call)
    std::vector<ExprPtr> args;
};

struct VarDecl {
    std::string name;
    int line = 0;
    int column = 0;
    bool isArray = false;            // declared with parentheses
    std::vector<std::int32_t> upper; // upper bounds; empty for "Dim a()"
};

struct DimStmt : Stmt {
    DimStmt(int l, int c) : Stmt(Kind::Dim, l, c) { }
    Access access = Access::Dim;
    std::vector<VarDecl> vars;
};

struct ReDimItem {
    std::string name;
    int line = 0;
    int column = 0;
    std::vector<ExprPtr> upper;
};

struct ReDimStmt : Stmt {
    ReDimStmt(int l, int c) : Stmt(Kind::ReDim, l, c) { }
    bool preserve = false;
    std::vector<ReDimItem> items;
};

struct ConstItem {
    std::string name;
    int line = 0;
    int column = 0;
    vb::Variant value;
    // A value written as an expression of literals and other constants
    // ("Const Total = Count * 2"); the compiler works it out.
    ExprPtr expression;
};

struct ConstStmt : Stmt {
    ConstStmt(int l, int c) : Stmt(Kind::Const, l, c) { }
    Access access = Access::Dim;
    std::vector<ConstItem> items;
};

struct IfBranch {
    ExprPtr condition;
    Block body;
};

struct IfStmt : Stmt {
    IfStmt(int l, int c) : Stmt(Kind::If, l, c) { }
    std::vector<IfBranch> branches;
    Block elseBody;
};

struct CaseItem {
    enum class Kind : std::uint8_t { Value, Range, Compare } kind = Kind::Value;
    BinaryOp compare = BinaryOp::Equal; // for "Is <op> value"
    ExprPtr value;
    ExprPtr upper; // for ranges
};

struct CaseClause {
    std::vector<CaseItem> items;
    Block body;
};

struct SelectStmt : Stmt {
    SelectStmt(int l, int c) : Stmt(Kind::Select, l, c) { }
    ExprPtr subject;
    std::vector<CaseClause> cases;
    bool hasElse = false;
    Block elseBody;
};

struct ForStmt : Stmt {
    ForStmt(int l, int c) : Stmt(Kind::For, l, c) { }
    std::string variable;
    int varLine = 0;
    int varColumn = 0;
    ExprPtr start;
    ExprPtr end;
    ExprPtr step; // null: 1
    Block body;
};

struct ForEachStmt : Stmt {
    ForEachStmt(int l, int c) : Stmt(Kind::ForEach, l, c) { }
    std::string variable;
    int varLine = 0;
    int varColumn = 0;
    ExprPtr collection;
    Block body;
};

struct DoStmt : Stmt {
    DoStmt(int l, int c) : Stmt(Kind::Do, l, c) { }
    enum class Test : std::uint8_t { None, Before, After } test = Test::None;
    bool until = false; // Until instead of While
    ExprPtr condition;
    Block body;
};

struct ExitStmt : Stmt {
    enum class What : std::uint8_t { Do, For, Sub, Function, Property };
    ExitStmt(int l, int c, What w) : Stmt(Kind::Exit, l, c), what(w) { }
    What what;
};

struct WithStmt : Stmt {
    WithStmt(int l, int c) : Stmt(Kind::With, l, c) { }
    ExprPtr object;
    Block body;
};

struct OnErrorStmt : Stmt {
    OnErrorStmt(int l, int c, bool resume) : Stmt(Kind::OnError, l, c), resumeNext(resume) { }
    bool resumeNext;
};

struct EraseStmt : Stmt {
    EraseStmt(int l, int c) : Stmt(Kind::Erase, l, c) { }
    std::vector<ReDimItem> targets; // names only
};

enum class ProcKind : std::uint8_t { Sub, Function, PropertyGet, PropertyLet, PropertySet };

struct Param {
    std::string name;
    bool byVal = false;
    bool isArray = false;
    int line = 0;
    int column = 0;
};

struct ProcedureDecl : Stmt {
    ProcedureDecl(int l, int c) : Stmt(Kind::Procedure, l, c) { }
    ProcKind procKind = ProcKind::Sub;
    std::string name;
    Access access = Access::Dim;
    bool isDefault = false;
    std::vector<Param> params;
    Block body;
};

struct ClassDecl : Stmt {
    ClassDecl(int l, int c) : Stmt(Kind::Class, l, c) { }
    std::string name;
    std::vector<std::unique_ptr<DimStmt>> fields;
    std::vector<std::unique_ptr<ConstStmt>> consts;
    std::vector<std::unique_ptr<ProcedureDecl>> procedures;
};

// One unit of code (an AddCode, Execute or ExecuteGlobal text, or an Eval expression).
struct Program {
    Block body;
    bool optionExplicit = false;
};

inline ExprPtr makeExpr(Expr::Kind k, int line, int col)
{
    return std::make_unique<Expr>(k, line, col);
}

} // namespace vbscript::ast
