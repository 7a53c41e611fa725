Dim a(2999)
seed = 12345
For i = 0 To 2999
    seed = (seed * 1103 + 12345) Mod 65536
    a(i) = seed
Next
For i = 0 To 2998
    For j = 0 To 2998 - i
        If a(j) > a(j + 1) Then
            t = a(j)
            a(j) = a(j + 1)
            a(j + 1) = t
        End If
    Next
Next
result = a(0)
