' A class's Property Get and Let, a million calls in all, inside a procedure.
Class Counter
    Private m
    Public Property Get Value
        Value = m
    End Property
    Public Property Let Value(v)
        m = v
    End Property
End Class
Dim result
Sub Main
    Dim c, i
    Set c = New Counter
    c.Value = 0
    For i = 1 To 500000
        c.Value = c.Value + 1
    Next
    result = c.Value
End Sub
Main
