' ReDim Preserve: growth keeps every element of every kind (short and long texts,
' objects, nested arrays), a copy taken before keeps its own values, shrinking drops
' the tail, a multi-dimension array may change only its last bound, and an element
' passed ByRef locks the array against ReDim.
Class Counter
    Public Name
End Class

Sub Grow(x)
    ReDim Preserve a(10)
    x = "set"
End Sub

Dim a(), b, i, ok
ReDim a(3)
Set a(0) = New Counter
a(0).Name = "object"
a(1) = "short"
a(2) = "a much longer text than any inside buffer of a string"
a(3) = Array(1, "two", 3)
b = a
' Short texts in many elements, grown one at a time well past a large block.
For i = 4 To 20000
    ReDim Preserve a(i)
    a(i) = "s" & i
Next
ok = True
For i = 4 To 20000
    If a(i) <> "s" & i Then ok = False
Next
WScript.Echo "grown", UBound(a), ok, a(0).Name, a(1), a(2), a(3)(1), a(20000)
WScript.Echo "copy", UBound(b), b(1), b(0) Is a(0)
b(1) = "changed"
WScript.Echo "apart", a(1), b(1)

ReDim Preserve a(2)
WScript.Echo "shrunk", UBound(a), a(1), a(2)
On Error Resume Next
x = a(3)
WScript.Echo "beyond", Err.Number
Err.Clear
Grow a(1)
WScript.Echo "byref", Err.Number, Err.Description, UBound(a), a(1)
Err.Clear
On Error Goto 0

ReDim Preserve a(-1)
WScript.Echo "none", UBound(a)
ReDim Preserve a(0)
a(0) = "again"
WScript.Echo "regrown", UBound(a), a(0)

Dim m()
ReDim m(1, 2)
m(0, 0) = "first" : m(1, 2) = "last"
ReDim Preserve m(1, 500)
m(1, 500) = "far"
WScript.Echo "matrix", UBound(m, 1), UBound(m, 2), m(0, 0), m(1, 2), IsEmpty(m(0, 3)), m(1, 500)
ReDim Preserve m(1, 1)
WScript.Echo "matrix shrunk", UBound(m, 2), m(0, 0)
On Error Resume Next
ReDim Preserve m(2, 1)
WScript.Echo "first bound", Err.Number
Err.Clear
On Error Goto 0

Dim f(3)
f(1) = "kept?"
Erase f
WScript.Echo "erased fixed", UBound(f), IsEmpty(f(1))
Erase a
WScript.Echo "erased", IsArray(a)
