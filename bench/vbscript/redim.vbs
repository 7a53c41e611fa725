' An array grown one element at a time with ReDim Preserve, to a million.
Dim a()
ReDim a(0)
For i = 1 To 1000000
    ReDim Preserve a(i)
    a(i) = i
Next
result = UBound(a) + a(500000)
