' An object whose method changes its by-reference argument.
Class Doubler
    Public Sub Twice(ByRef n)
        n = n * 2
    End Sub
End Class

Function Make(p)
    Set Make = New Doubler
End Function
