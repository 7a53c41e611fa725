Dim a(), b, m(), i
ReDim a(0)
a(0) = "x"
For i = 1 To 3000
    ReDim Preserve a(i)
    If i Mod 3 = 0 Then a(i) = "s" & i Else a(i) = Array(i, "t")
Next
b = a
ReDim Preserve a(5)
ReDim Preserve a(-1)
ReDim Preserve a(2)
a(1) = b(3000)
ReDim m(2, 1)
m(1, 1) = "y"
ReDim Preserve m(2, 700)
ReDim Preserve m(2, 0)
Erase m
