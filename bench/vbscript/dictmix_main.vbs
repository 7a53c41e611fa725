' 100,000 dictionary operations of every kind, inside a procedure.
Dim result
Sub Main
    Dim d, i, hits
    Set d = CreateObject("Scripting.Dictionary")
    For i = 1 To 20000
        d.Add "k" & i, i
    Next
    hits = 0
    For i = 1 To 20000
        If d.Exists("k" & (i * 2)) Then hits = hits + 1
    Next
    For i = 1 To 20000
        d("k" & i) = d("k" & i) + 1
    Next
    For i = 1 To 20000 Step 2
        d.Remove "k" & i
    Next
    result = hits + d.Count + d("k2")
End Sub
Main
