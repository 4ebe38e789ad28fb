' Cost of one late-bound call (name lookup and invoke, as a script client
' makes it) on each stand-in object, beside Scripting.Dictionary.Count, the
' platform's own automation object, measured in the same run. Each figure is
' the median of five rounds of 2000 calls.
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
Dim bill : Set bill = CreateObject("Quistral.IBillInfo.Steering")
Dim props : Set props = CreateObject("Venlock.ShareProps.Steering")

Dim labels : labels = Array("Scripting.Dictionary.Count (reference)", "ADODB.Recordset.State", "ADODB.Recordset.EOF", _
    "ADODB.Fields.Count", "ADODB.Field.Value", "ValueTools.ValueOrDefault", "SettingsStore.ReadSetting", _
    "Quistral.IBillInfo.Steering.CallCount", "Venlock.ShareProps.Steering.TotalCalls")
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

Dim member, cost, reference
WScript.Echo Left("late-bound call" & Space(42), 42) & Column("us/call", 9) & Column("x reference", 13)
For member = 0 To UBound(labels)
    cost = CallCost(member)
    If member = 0 Then reference = cost
    WScript.Echo Left(labels(member) & Space(42), 42) & Column(FormatNumber(cost, 1), 9) & Column(FormatNumber(cost / reference, 1), 13)
Next
