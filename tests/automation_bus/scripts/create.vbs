' Creates every public class by its ProgID and reports what it got.
Function Main(p)
    Dim cb, dev, names, c
    Set cb = CreateObject("raruveViziva.objcb")
    cb.evtype = 2
    cb.handle = 7
    Set dev = CreateObject("raruveViziva.DeviceClass")
    dev.name = "Lamp"
    Set cb.obj = dev
    names = ""
    For Each c In Array("DeviceClass", "clsString", "EventClass", "condition", "devFunc", "CustomStatus", "XapMessage")
        names = names & " " & TypeName(CreateObject("raruveViziva." & c))
    Next
    Main = TypeName(cb) & " " & cb.evtype & " " & cb.handle & " " & cb.obj.name & "|" & _
           TypeName(CreateObject("raruveViziva.FRH")) & "|" & Mid(names, 2) & "|" & _
           TypeName(CreateObject("raruveViziva.Application"))
End Function
