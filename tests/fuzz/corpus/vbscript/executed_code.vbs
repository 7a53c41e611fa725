' Execute, ExecuteGlobal and Eval: declarations inside procedures, syntax errors,
' Empty, Option Explicit and names declared again.
Option Explicit
Dim result

Sub DeclareInside
    Execute "Dim a(2)"
    a(1) = 4
    Execute "a(2) = a(1) * 2"
    WScript.Echo "array in a procedure: " & a(1) & " " & a(2) & " " & UBound(a)
End Sub
DeclareInside

On Error Resume Next
Execute "x = "
WScript.Echo "Execute x = : " & Err.Number & " " & Err.Description
Err.Clear
ExecuteGlobal "y = "
WScript.Echo "ExecuteGlobal y = : " & Err.Number
Err.Clear
result = Eval(Empty)
WScript.Echo "Eval(Empty): " & Err.Number & " " & IsEmpty(result)
Err.Clear

' The caller's Option Explicit does not hold in ExecuteGlobal code.
ExecuteGlobal "undeclaredName = 5"
WScript.Echo "ExecuteGlobal without Dim: " & Err.Number & " " & Eval("undeclaredName")
Err.Clear

ExecuteGlobal "Dim dyn()"
WScript.Echo "first Dim dyn(): " & Err.Number
ExecuteGlobal "Dim dyn()"
WScript.Echo "second Dim dyn(): " & Err.Number
Err.Clear
ExecuteGlobal "Dim plain"
ExecuteGlobal "Dim plain"
WScript.Echo "second Dim plain: " & Err.Number
Err.Clear

ExecuteGlobal "Const KK = 3"
ExecuteGlobal "Dim KK"
WScript.Echo "Dim over a Const: " & Err.Number & " " & Eval("IsEmpty(KK)")
