' Loop counters in every place, frames whose arguments raise, locks on elements.
Function G(n)
    If n > 0 Then Err.Raise 5
    G = n
End Function
Sub P(a, b, c)
    a = a & b & c
End Sub
Sub Walk(k)
    For k = 32765 To 32769 : t = t & k : Next
    For k = 2147483646 To 2147483647 : Next
End Sub
Set d = CreateObject("Scripting.Dictionary")
ReDim arr(3)
On Error Resume Next
d.Add arr(0), G(1)
P arr(1), G(1), "x"
P arr(1), G(0), String(300, "y")
ReDim Preserve arr(6)
Walk arr(2)
Dim m
For m = 1 To 4
    If m = 2 Then ExecuteGlobal "Sub m : End Sub"
Next
For i = 1 To 3
    i = i + (1 + 1) * 2
    x = arr(i - 1) & arr(i + 1)
Next
x = ((1 + 2) * (3 - 4)) \ (5 Mod 3)
