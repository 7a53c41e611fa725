' Recursion, globals shared with procedures, implicit locals and Option Explicit.
Option Explicit
Dim calls : calls = 0
Function Ackermann(m, n)
    calls = calls + 1
    If m = 0 Then
        Ackermann = n + 1
    ElseIf n = 0 Then
        Ackermann = Ackermann(m - 1, 1)
    Else
        Ackermann = Ackermann(m - 1, Ackermann(m, n - 1))
    End If
End Function
WScript.Echo Ackermann(2, 3), calls
Function Hanoi(n, from, dest, via)
    If n = 0 Then Hanoi = 0 : Exit Function
    Hanoi = Hanoi(n - 1, from, via, dest) + 1 + Hanoi(n - 1, via, dest, from)
End Function
WScript.Echo Hanoi(10, "A", "C", "B")
undeclared = 1
