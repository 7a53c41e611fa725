' An event script tried with vbsrun --xap: the host object answers as xap and as
' global names, and what it would send is printed on standard error.
Dim ref
ref = xap.NewDevice("Lamp", "A1")
xap.SetDeviceStatus "A1", 2
xap.SpeakToFile "hello", "Mary", "c:\a.wav"
SendIR "12"
WScript.Echo "status " & DeviceStatus("A1") & ", version " & Version
