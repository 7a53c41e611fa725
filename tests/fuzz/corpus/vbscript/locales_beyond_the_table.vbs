' SetLocale takes any identifier CLDR knows, as a number, as its decimal text or as a
' tag; an unknown one is refused with 447.
Sub Try(code)
    On Error Resume Next
    Execute code
    WScript.Echo code & ": " & Err.Number & " " & GetLocale()
End Sub

Try "SetLocale ""1031"""
Try "SetLocale 1041"
Try "SetLocale ""de-de"""
Try "SetLocale ""ja-JP"""
Try "SetLocale 9999"
Try "SetLocale ""xx-YY"""
Try "SetLocale ""12345678"""
Try "SetLocale 5121"
Try "SetLocale 31745"

SetLocale 1041
WScript.Echo "ja-JP: " & CDate("2024/02/03") & " " & FormatNumber(1234.5) & " " & MonthName(2) & " " & CStr(1.5)
SetLocale 3079
WScript.Echo "de-AT: " & CStr(#2/3/2024#) & " " & FormatNumber(1234.5) & " " & MonthName(1) & " " & WeekdayName(1)
WScript.Echo "de-AT reads: " & CDbl("1,5") & " " & Month(CDate("03.02.2024"))
SetLocale "pt-BR"
WScript.Echo "pt-BR: " & GetLocale() & " " & CStr(#2/3/2024#) & " " & FormatNumber(1234.5) & " " & MonthName(3)
SetLocale "ru-RU"
WScript.Echo "ru-RU: " & CStr(#2/3/2024 14:05:00#) & " " & FormatNumber(1234.5, 1) & " " & MonthName(1)
SetLocale 1051
WScript.Echo "sk-SK: " & CStr(#2/3/2024#) & " " & (CDate(CStr(#2/3/2024#)) = #2/3/2024#)
SetLocale 1025
WScript.Echo "ar-SA: " & (CDate(CStr(#2/3/2024#)) = #2/3/2024#)
SetLocale 1033
WScript.Echo "en-US: " & CStr(#2/3/2024#) & " " & FormatNumber(1234.5)
