Function Build(count)
    Dim s, i
    s = ""
    For i = 1 To count
        s = s & "x" & (i Mod 10)
    Next
    Build = s
End Function
result = Len(Build(100000))
