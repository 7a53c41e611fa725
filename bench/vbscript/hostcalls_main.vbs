Dim result
Sub Main
    Dim total, i
    total = 0
    For i = 1 To 1000000
        total = host.Add(total, 1)
    Next
    result = total
End Sub
Main
