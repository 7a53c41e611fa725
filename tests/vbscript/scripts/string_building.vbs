' Building strings piece by piece, in place and through functions.
Function Repeat(text, times)
    Dim i, r
    For i = 1 To times
        r = r & text
    Next
    Repeat = r
End Function
Dim s
s = Repeat("ab", 3)
WScript.Echo s, Len(s)
s = s & "|" & 1.5 & "|" & True & "|" & Null & "|"
WScript.Echo s
Dim n : n = 12
n = n & "px"
WScript.Echo n, TypeName(n)
Dim big : big = ""
Dim k
For k = 1 To 10000
    big = big & "x"
Next
WScript.Echo Len(big)
