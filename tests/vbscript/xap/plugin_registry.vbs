' Touches the host's plug-in registry through vbsrun --xap; the program must then end
' cleanly (its clean-up once ran after the registry was gone and crashed).
Set plugins = xap.GetPlugins()
WScript.Echo "plug-ins: " & plugins.Count
Set p = xap.plugin("none")
WScript.Echo "found: " & Not (p Is Nothing)
