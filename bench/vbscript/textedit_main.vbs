' String building and searching with Mid, InStr and Replace, inside a procedure.
Dim result
Sub Main
    Dim s, i, count, pos, t, total
    s = ""
    For i = 1 To 20000
        s = s & "item" & i & ";"
    Next
    count = 0
    pos = 1
    Do
        pos = InStr(pos, s, ";")
        If pos = 0 Then Exit Do
        count = count + 1
        pos = pos + 1
    Loop
    t = Replace(s, "item", "it")
    total = 0
    For i = 1 To 20000
        total = total + Len(Mid(t, i * 3, 5))
    Next
    result = count + Len(t) + total
End Sub
Main
