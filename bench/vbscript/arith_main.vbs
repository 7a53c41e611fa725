' Integer arithmetic in a loop of 5,000,000 steps, inside a procedure.
Dim result
Sub Main
    Dim total, i
    total = 0
    For i = 1 To 5000000
        total = (total + i * 3) Mod 1000003
    Next
    result = total
End Sub
Main
