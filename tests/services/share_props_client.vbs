' Venlock.ShareProps from a VBScript client: a host publishes, a reader gets
' the value, the steering answers objects and errors that reach Err.
On Error Resume Next

Dim steering, host, reader, pid, name, value
Set steering = CreateObject("Venlock.ShareProps.Steering")
steering.Reset
Set host = CreateObject("Venlock.ShareProps")
Set reader = CreateObject("Venlock.ShareProps")
pid = CLng(4242) : name = "PropsString"

host.SetProperty pid, name, "SID=42;DB=ERP"
value = reader.GetProperty(pid, name)
Check value = "SID=42;DB=ERP", "the published value, got " & value
Check steering.LastArgType(1) = &H400C, "the process id variable arrives as VT_BYREF|VT_VARIANT"
Check IsEmpty(reader.GetProperty(pid + 1, name)), "another process has nothing published"
Check steering.CallCount("PROPSSTRING") = 2, "calls counted per name"

steering.AnswerWithObject "SID=object"
Set value = reader.GetProperty(pid, name)
Check IsObject(value), "an object answered"
Check value.Value = "SID=object", "its Value"
Check "" & value = "SID=object", "its default value as text"

steering.AnswerWith 12345
Check reader.GetProperty(pid, name) = 12345, "a number answered"

steering.FailWith 77, "Venlock.ShareProps", "Session service down"
value = reader.GetProperty(pid, name)
CheckRaised 77, "Venlock.ShareProps", "Session service down"

steering.Reset
Check IsEmpty(reader.GetProperty(pid, name)), "Reset forgets what was published"
Check checks = 12, "every check ran (" & checks & ")"
WScript.Quit failures
