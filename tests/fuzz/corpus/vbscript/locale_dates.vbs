On Error Resume Next
For Each l In Array(1031, 2057, 1036, 1043)
SetLocale l
x = CDate("03.02.2024") : x = CDate("3.2.") : x = CDate("31.02.2024") : x = IsDate("3. Februar 2024")
x = CDate("samedi 3 févr. 2024") : x = Month("3-2-2024 14:00") : x = CDate("..--//") : x = CDate("1,5") : x = CDate(String(1000, "9") & ".1.1")
Next
