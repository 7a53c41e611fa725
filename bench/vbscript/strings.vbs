' A string built from a million appends.
s = ""
For i = 1 To 1000000
    s = s & "x" & (i Mod 10)
Next
result = Len(s)
