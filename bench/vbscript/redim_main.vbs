' An array grown one element at a time with ReDim Preserve, inside a procedure.
Dim result
Sub Main
    Dim a(), i
    ReDim a(0)
    For i = 1 To 1000000
        ReDim Preserve a(i)
        a(i) = i
    Next
    result = UBound(a) + a(500000)
End Sub
Main
