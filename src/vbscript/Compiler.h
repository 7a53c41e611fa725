// Compiler: turns a parse tree into the executable tree, resolving every name once.
//
// Declarations come first: procedures, classes, global variables and constants of
// the unit are entered into the module before any body is compiled, so code may use
// what is declared further down. Then each name in the code becomes what it denotes:
// a local or parameter slot, a field of the instance, a global slot, a member of the
// running class, a named object or one of its members (with the member id looked up
// now), a library function or constant, or - for names nobody declared yet - a late
// name that looks once more when it runs.
#pragma once

#include "Ast.h"
#include "ExprNodes.h"
#include "Procedure.h"
#include "Scope.h"

#include "automation/TextCompare.h"

#include <string>
#include <unordered_map>
#include <unordered_set>

namespace vbscript {

class Engine;
class ModuleScope;
class ClassInfo;
struct GlobalSlot;
class Block;

// A number or a date written in the source ("5", "1.5", "&h10", "#1/2/2024#"): a
// string compared with it is read as a number. A named constant, a negated number or
// any other expression is no literal, even when it folds to a constant.
bool isSourceLiteral(const ast::Expr& e);

class Compiler {
public:
    // `binding`: the running frame whose variables Execute/Eval code sees (null for
    // code of its own); `asGlobal`: ExecuteGlobal-style code (declarations go to the module).
    Compiler(Engine& engine, ModuleScope& scope, CodeUnit& unit, Frame* binding, bool asGlobal);

    // Code a running script executes (Execute, ExecuteGlobal), not code of the host.
    void setExecuted(bool executed) { executed_ = executed; }

    // Compiles a unit and returns the procedure that runs its top-level code.
    vb::Ref<Procedure> compileProgram(ast::Program& program);
    // Compiles an Eval expression; the returned procedure leaves the value in its result.
    vb::Ref<Procedure> compileEval(ast::Expr& expression);
    // True when the unit declared procedures or classes (code that outlives the run).
    bool declaredCode() const { return !pendingBodies_.empty() || !pendingClasses_.empty(); }

private:
    struct LocalName {
        enum class Kind { Local, Arg, Constant, Implicit } kind = Kind::Local;
        int index = 0;
        bool isResult = false; // a Function's own name: its result
        vb::Variant constant;
    };
    using NameMap = std::unordered_map<std::string, LocalName, vb::CaseInsensitiveHash, vb::CaseInsensitiveEqual>;

    struct Resolved {
        enum class Kind {
            Local, Arg, Field, Direct, Constant, Global, ClassMember, NamedObject, NamedMember,
            Builtin, Intrinsic, Err, Late,
        } kind = Kind::Late;
        int index = -1;
        GlobalSlot* global = nullptr;
        vb::Variant constant;
        const BuiltinFunction* builtin = nullptr;
        vb::Ref<vb::Object> object;
        vb::MemberId memberId = vb::kNoMember;
        vb::Variant* direct = nullptr;
        IntrinsicExpr::Kind intrinsic = IntrinsicExpr::Kind::Eval;
        int implicitSlot = -1;
    };

    vb::Ref<Procedure> compileProgramBody(ast::Program& program);

    // Declarations
    void declareGlobals(const ast::Block& body, bool nested);
    void declareGlobalProcedure(const ast::ProcedureDecl& d);
    void declareGlobalVariable(const ast::VarDecl& v);
    void declareGlobalConstant(const ast::ConstItem& item);
    // Dim in code run by Execute inside a procedure: a variable of that procedure's frame.
    void declareFrameVariable(const ast::VarDecl& v);
    vb::Ref<Procedure> declareProcedure(const ast::ProcedureDecl& d, ClassInfo* owner);
    void declareClass(ast::ClassDecl& d);
    void declareClassFields(ClassInfo& cls, const ast::ClassDecl& d);
    vb::Ref<Procedure> declareClassProcedure(ClassInfo& cls, const ast::ProcedureDecl& decl);
    void checkPropertyArguments(const ClassInfo& cls);
    void declareLocals(const ast::Block& body);
    vb::Variant constantValue(const ast::ConstItem& item);
    void compileProcedureBody(const ast::ProcedureDecl& d, Procedure& p, ClassInfo* cls);
    int newLocal();

    // Names
    Resolved resolve(const std::string& name, bool skipResult);
    // The steps of resolve, innermost first: each fills `r` and says true when the name
    // is found there.
    bool resolveLocal(const std::string& name, bool skipResult, Resolved& r);
    bool resolveInFrame(const std::string& name, bool skipResult, Resolved& r);
    bool resolveClassMember(const std::string& name, Resolved& r);
    bool resolveProgramName(const std::string& name, Resolved& r);
    bool resolveLibraryName(const std::string& name, Resolved& r);
    Resolved resolveUndeclared(const std::string& name);
    ExprPtr lateName(const std::string& name, const Resolved& r);
    ExprPtr variableNode(const Resolved& r, const std::string& name);

    // Expressions
    ExprPtr compileExpr(const ast::Expr& e);
    ExprPtr compileName(const ast::Expr& e);
    ExprPtr compileNameCall(const std::string& name, const std::vector<ast::ExprPtr>& args, bool asStatement);
    ExprPtr compileCallee(const ast::Expr& callee, const std::vector<ast::ExprPtr>& args, bool asStatement);
    ExprPtr compileTarget(const ast::Expr& e);
    StmtPtr compileModuleArrays(const ast::DimStmt& s);
    ExprPtr compileBinary(const ast::Expr& e);
    ExprPtr compileChain(const ast::Expr& e);
    // leftLiteral / rightLiteral: the operand is a number or date written in the source,
    // which makes a comparison read a string on the other side as a number.
    ExprPtr makeBinary(ast::BinaryOp op, ExprPtr l, ExprPtr r, bool leftLiteral = false, bool rightLiteral = false);
    ExprPtr withObject();
    ExprPtr namedObjectMember(const ast::Expr& member, const std::vector<ast::ExprPtr>* args);
    ArgList compileArgs(const std::vector<ast::ExprPtr>& args);

    // Statements
    void compileBlock(const ast::Block& in, Block& out);
    StmtPtr compileStatement(const ast::Stmt& s);
    StmtPtr compileAssign(const ast::AssignStmt& s);
    bool cannotRunScript(const ast::Expr& e);
    StmtPtr compileIf(const ast::IfStmt& s);
    StmtPtr compileSelect(const ast::SelectStmt& s);
    StmtPtr compileFor(const ast::ForStmt& s);
    StmtPtr compileForEach(const ast::ForEachStmt& s);
    StmtPtr compileDo(const ast::DoStmt& s);
    StmtPtr compileWith(const ast::WithStmt& s);
    StmtPtr compileReDim(const ast::ReDimStmt& s);
    StmtPtr compileErase(const ast::EraseStmt& s);
    ExprPtr declaredTarget(const std::string& name, int line, int col);

    [[noreturn]] void fail(int number, int line, int col) const;

    // Module slots this unit created or changed, so that a unit that does not
    // compile leaves the module as it was.
    GlobalSlot& defineGlobal(const std::string& name, bool* created);
    void rollBack();
    struct Change {
        GlobalSlot* slot;
        bool created;
        GlobalSlot before;
    };
    std::vector<Change> changes_;
    bool explicitBefore_ = false;

    Engine& engine_;
    ModuleScope& scope_;
    CodeUnit& unit_;
    Frame* binding_;
    bool asGlobal_;

    // The procedure being compiled and its names.
    Procedure* proc_ = nullptr;
    bool topLevel_ = true;
    NameMap names_;
    ClassInfo* class_ = nullptr;
    NameMap classConstants_;
    std::vector<int> withSlots_;
    bool executed_ = false;
    // Executed module-level array declarations of names that already hold an array
    // (fixed or dynamic): the Dim fails with Type mismatch when it runs.
    std::unordered_set<const ast::VarDecl*> redeclaredArrays_;
    // Names this unit declared at module level (to report redefinitions). The value
    // says what kind of name: procedures may be defined again.
    static constexpr int kProcedureName = 2;
    std::unordered_map<std::string, int, vb::CaseInsensitiveHash, vb::CaseInsensitiveEqual> unitNames_;
    std::vector<std::pair<const ast::ProcedureDecl*, vb::Ref<Procedure>>> pendingBodies_;
    struct PendingClass {
        ast::ClassDecl* decl;
        vb::Ref<ClassInfo> info;
        std::vector<std::pair<const ast::ProcedureDecl*, vb::Ref<Procedure>>> methods;
        NameMap constants;
    };
    std::vector<PendingClass> pendingClasses_;
};

} // namespace vbscript
