' A string built from a million appends, inside a procedure.
Dim result
Sub Main
    Dim s, i
    s = ""
    For i = 1 To 1000000
        s = s & "x" & (i Mod 10)
    Next
    result = Len(s)
End Sub
Main
