' A regular expression over 10,000 lines, inside a procedure.
Dim result
Sub Main
    Dim lines, i, re, ms, matched, total
    ReDim lines(9999)
    For i = 0 To 9999
        lines(i) = "entry " & i & ": device-A" & (i Mod 16) & " level=" & (i Mod 100) & " ok"
    Next
    Set re = New RegExp
    re.Pattern = "device-(\w+) level=(\d+)"
    matched = 0
    total = 0
    For i = 0 To 9999
        Set ms = re.Execute(lines(i))
        If ms.Count > 0 Then
            matched = matched + 1
            total = total + CInt(ms(0).SubMatches(1))
        End If
    Next
    result = matched + total
End Sub
Main
