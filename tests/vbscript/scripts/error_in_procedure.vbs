' The reported place is the failing statement inside the procedure.
Function Lookup(list, i)
    Lookup = list(i)
End Function
Dim items : items = Array("a", "b")
WScript.Echo Lookup(items, 1)
WScript.Echo Lookup(items, 5)
