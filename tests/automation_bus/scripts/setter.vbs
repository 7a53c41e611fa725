' The same device change a bus client makes, made by a script.
Function Main(p)
    SetDeviceStatus "A1", 3
    Main = ""
End Function
