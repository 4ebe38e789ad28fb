' Cost of one late-bound call (name lookup and invoke, as a script client
' makes it) on each stand-in object, beside Scripting.Dictionary.Count, the
' platform's own automation object, measured in the same run. A setting read
' is also set beside the platform's own automation object that reads the same
' value from the registry, WScript.Shell.RegRead. Each figure is the median of
' five rounds of 2000 calls.
Option Explicit

Const kCalls = 2000
Const kRounds = 5

Function Median(values)
    Dim i, j, t
    For i = 0 To UBound(values) - 1
        For j = i + 1 To UBound(values)
            If values(j) < values(i) Then t = values(i): values(i) = values(j): values(j) = t
        Next
    Next
    Median = values(UBound(values) \ 2)
End Function

Function Column(text, width)
    Column = Right(Space(width) & text, width)
End Function

Dim dict : Set dict = CreateObject("Scripting.Dictionary")
dict.Add "a", 1
Dim rs : Set rs = CreateObject("ADODB.Recordset")
rs.Fields.Append "FReqQty", 5
rs.Open
rs.AddNew
rs("FReqQty") = 12.5
Dim fields : Set fields = rs.Fields
Dim field : Set field = rs.Fields("FReqQty")
Dim tools : Set tools = CreateObject("ValueTools.ValueTools")
Dim store : Set store = CreateObject("SettingsStore.SettingsStore")
store.WriteSetting "AmbrelleBench", "Stored", 1200
Dim shell : Set shell = CreateObject("WScript.Shell")
Const kStoredValue = "HKCU\Software\VB and VBA Program Settings\AmbrelleBench\Settings\Stored"
Dim bill : Set bill = CreateObject("Quistral.IBillInfo.Steering")
Dim props : Set props = CreateObject("Venlock.ShareProps.Steering")

Dim labels : labels = Array("Scripting.Dictionary.Count (reference)", "ADODB.Recordset.State", "ADODB.Recordset.EOF", _
    "ADODB.Fields.Count", "ADODB.Field.Value", "ValueTools.ValueOrDefault", "SettingsStore.ReadSetting (none stored)", _
    "Quistral.IBillInfo.Steering.CallCount", "Venlock.ShareProps.Steering.TotalCalls", _
    "SettingsStore.ReadSetting (a stored value)", "WScript.Shell.RegRead (the same value)")
' The members that read the registry, and the platform's own reader of the same value.
Const kStoredRead = 9
Const kRegistryReference = 10
Dim i, x

' Makes kCalls calls of member number `member` (of labels) at full speed:
' the loop has nothing in it but the call.
Sub CallMember(member)
    Select Case member
        Case 0: For i = 1 To kCalls : x = dict.Count : Next
        Case 1: For i = 1 To kCalls : x = rs.State : Next
        Case 2: For i = 1 To kCalls : x = rs.EOF : Next
        Case 3: For i = 1 To kCalls : x = fields.Count : Next
        Case 4: For i = 1 To kCalls : x = field.Value : Next
        Case 5: For i = 1 To kCalls : x = tools.ValueOrDefault(field, "") : Next
        Case 6: For i = 1 To kCalls : x = store.ReadSetting("AmbrelleBench", "Nothing", 0) : Next
        Case 7: For i = 1 To kCalls : x = bill.CallCount : Next
        Case 8: For i = 1 To kCalls : x = props.TotalCalls : Next
        Case 9: For i = 1 To kCalls : x = store.ReadSetting("AmbrelleBench", "Stored", 0) : Next
        Case 10: For i = 1 To kCalls : x = shell.RegRead(kStoredValue) : Next
    End Select
End Sub

' The median cost of one call of the member, in microseconds.
Function CallCost(member)
    Dim rounds(4), r, started
    For r = 0 To kRounds - 1
        started = Timer
        CallMember member
        rounds(r) = (Timer - started) * 1000000 / kCalls
    Next
    CallCost = Median(rounds)
End Function

Dim member, costs(10), reference
WScript.Echo Left("late-bound call" & Space(44), 44) & Column("us/call", 9) & Column("x reference", 13)
For member = 0 To UBound(labels)
    costs(member) = CallCost(member)
    If member = 0 Then reference = costs(member)
    WScript.Echo Left(labels(member) & Space(44), 44) & Column(FormatNumber(costs(member), 1), 9) & _
        Column(FormatNumber(costs(member) / reference, 1), 13)
Next
WScript.Echo "registry reads: SettingsStore.ReadSetting (a stored value) is " & _
    FormatNumber(costs(kStoredRead) / costs(kRegistryReference), 2) & " x WScript.Shell.RegRead of the same value"
store.DeleteSetting "AmbrelleBench"
