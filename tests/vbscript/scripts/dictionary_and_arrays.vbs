' Dictionaries, arrays of arrays and ByRef through several calls.
Dim counts : Set counts = CreateObject("Scripting.Dictionary")
Dim words : words = Split("b a c a b a", " ")
Dim w
For Each w In words
    If counts.Exists(w) Then
        counts(w) = counts(w) + 1
    Else
        counts.Add w, 1
    End If
Next
Dim k
For Each k In counts.Keys
    WScript.Echo k, counts(k)
Next

Sub Swap(x, y)
    Dim t : t = x : x = y : y = t
End Sub
Sub SortArray(arr)
    Dim i, j
    For i = 0 To UBound(arr) - 1
        For j = 0 To UBound(arr) - 1 - i
            If arr(j) > arr(j + 1) Then Swap arr(j), arr(j + 1)
        Next
    Next
End Sub
Dim nums : nums = Array(5, 3, 9, 1, 7)
SortArray nums
WScript.Echo Join(nums, " ")

Dim grid(2, 1)
Dim r, c
For r = 0 To 2
    For c = 0 To 1
        grid(r, c) = r * 10 + c
    Next
Next
WScript.Echo grid(2, 1), UBound(grid, 1), UBound(grid, 2)
Dim jagged : jagged = Array(Array("a", "b"), Array("c"))
WScript.Echo jagged(0)(1) & jagged(1)(0), UBound(jagged(1))
