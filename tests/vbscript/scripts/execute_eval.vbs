' Execute, ExecuteGlobal, Eval and GetRef.
ExecuteGlobal "Function Square(n) : Square = n * n : End Function"
WScript.Echo Square(9)
Dim expr : expr = "Square(3) + 1"
WScript.Echo Eval(expr)
Execute "Dim made : made = ""by execute"""
WScript.Echo made
Dim f : Set f = GetRef("Square")
WScript.Echo f(5)
