' SettingsStore from a VBScript client, as VB programs used GetSetting and
' SaveSetting: text back, defaults for keys never written, VB's error for Null.
On Error Resume Next

Const App = "AmbrelleServicesScript"
Dim store, stored, all, app_name, key, width
Set store = CreateObject("SettingsStore.SettingsStore")
Check Not store Is Nothing, "creatable by ProgID"
store.DeleteSetting App

stored = store.WriteSetting(App, "WinWidth", CSng(6390.5))
Check stored = "6390.5", "WriteSetting answers the text stored, got " & stored
app_name = App : key = "WinHeight" : width = 8925
stored = store.WriteSetting(app_name, key, width)
Check TypeName(store.ReadSetting(App, "WinWidth", 0)) = "String", "a stored value is read as text"
Check store.ReadSetting(App, "WinWidth", 0) = "6390.5", "the text written"
Check CSng(store.ReadSetting(app_name, key, 0)) = 8925, "written from variables"
Check store.ReadSetting(App, "WinTop", 15) = 15, "the default for a key never written"
Check TypeName(store.ReadSetting(App, "WinTop", 15)) = "Integer", "the default as passed"

all = store.GetAllSettings(App)
Check UBound(all, 1) = 1 And UBound(all, 2) = 1, "two keys, key and value"
' One row per key, in the registry's order: key, then value.
Dim row, found : found = ""
For row = 0 To UBound(all, 1)
    found = found & all(row, 0) & "=" & all(row, 1) & ";"
Next
Check InStr(found, "WinWidth=6390.5;") > 0, "a row with key and value, got " & found
Check InStr(found, "WinHeight=8925;") > 0, "the other row, got " & found

stored = store.WriteSetting(App, "WinLeft", Null)
Dim number, description
number = Err.Number : description = Err.Description
Err.Clear
Check number = 94, "Null is VB's error 94, got " & number
Check description = "Invalid use of Null", "its description, got " & description

Check store.DeleteSetting(App, "WinWidth") = True, "one key removed"
Check store.ReadSetting(App, "WinWidth", "none") = "none", "a removed key gives the default"
Check store.DeleteSetting(App) = True, "the application removed"
Check IsEmpty(store.GetAllSettings(App)), "nothing left"
Check checks = 16, "every check ran (" & checks & ")"
WScript.Quit failures
