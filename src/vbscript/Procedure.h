// Compiled procedures and compile units.
#pragma once

#include "Ast.h"
#include "Node.h"

#include "automation/Array.h"
#include "automation/Ref.h"

#include <string>
#include <vector>

namespace vbscript {

class ModuleScope;
class ClassInfo;

// One piece of code given to the engine (AddCode, Execute, ExecuteGlobal, Eval).
struct CodeUnit : vb::RefCounted {
    ModuleScope* scope = nullptr;
    std::string source;
    bool optionExplicit = false;
};

// A local variable that starts as an array (Dim a(3) or Dim a()).
struct ArrayInit {
    int slot = 0;
    bool fixed = false;
    std::vector<vb::Bound> bounds;
};

// Creates the initial value of an array variable.
vb::Variant makeDeclaredArray(const ArrayInit& init);

struct Procedure : vb::RefCounted {
    std::string name;
    ast::ProcKind kind = ast::ProcKind::Sub;
    bool isPublic = true;
    int line = 0;
    int paramCount = 0;
    std::vector<std::uint8_t> byVal; // per parameter
    bool anyByVal = false;
    // Locals: [0, paramCount) hold by-value arguments, then the result, the declared
    // and implicit variables and the compiler's temporaries.
    int localCount = 0;
    int resultSlot = -1;
    std::vector<ArrayInit> arrays;
    Block body;
    ClassInfo* owner = nullptr; // the class of a method
    vb::Ref<CodeUnit> unit;
    // Names of parameters and locals, for Execute and Eval inside the procedure:
    // slot >= 0 is a local, slot < 0 is parameter -(slot + 1).
    std::vector<std::pair<std::string, int>> names;

    bool topLevel = false; // the top-level code of a unit

    bool returnsValue() const { return resultSlot >= 0; }
};

} // namespace vbscript
