Dim result
Sub Main
    Dim d, i, total
    Set d = CreateObject("Scripting.Dictionary")
    For i = 1 To 300000
        d.Add "key" & i, i
    Next
    total = 0
    For i = 1 To 300000
        total = total + d.Item("key" & i)
    Next
    result = total
End Sub
Main
