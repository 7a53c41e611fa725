Class Box
    Private items(3), trail
    Public Property Get Item(i) : Item = items(i) : End Property
    Public Property Let Item(i, v) : items(i) = v : trail = trail & i : End Property
    Public Default Property Get Text : ReDim Preserve arr(1) : Text = "box" & trail : End Property
End Class
ReDim arr(5)
Set b = New Box
For i = 0 To 3 : b.Item((i)) = i * i & "-" & Null & (i Mod 2) & True : Next
arr(0) = b : Set arr(1) = b
x = arr(0) & arr(1) & arr(j + 1) & b.Item(3)
Function F() : ReDim arr(0) : F = 0 : End Function
y = arr(F()) & arr(0.5) & arr("0")
ExecuteGlobal "Function G() : arr = 5 : G = 0 : End Function"
On Error Resume Next
arr(G) = 1
z = arr(2147483647 + 1)
Set re = New RegExp
re.Pattern = "^[^\W\d]+[\s\-]?(\w*)$"
re.IgnoreCase = True
Set m = re.Execute("Abc_def" & x)
n = CInt("00012") + CLng(" -345 ")
