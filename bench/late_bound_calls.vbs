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

Dim rounds(4), r, i, x, started, cost, reference
WScript.Echo Left("late-bound call" & Space(42), 42) & Column("us/call", 9) & Column("x reference", 13)
For r = 0 To kRounds - 1
    started = Timer
    For i = 1 To kCalls : x = dict.Count : Next
    rounds(r) = (Timer - started) * 1000000 / kCalls
Next
cost = Median(rounds)
reference = cost
WScript.Echo Left("Scripting.Dictionary.Count (reference)" & Space(42), 42) & Column(FormatNumber(cost, 1), 9) & Column(FormatNumber(cost / reference, 1), 13)
For r = 0 To kRounds - 1
    started = Timer
    For i = 1 To kCalls : x = rs.State : Next
    rounds(r) = (Timer - started) * 1000000 / kCalls
Next
cost = Median(rounds)
WScript.Echo Left("ADODB.Recordset.State" & Space(42), 42) & Column(FormatNumber(cost, 1), 9) & Column(FormatNumber(cost / reference, 1), 13)
For r = 0 To kRounds - 1
    started = Timer
    For i = 1 To kCalls : x = rs.EOF : Next
    rounds(r) = (Timer - started) * 1000000 / kCalls
Next
cost = Median(rounds)
WScript.Echo Left("ADODB.Recordset.EOF" & Space(42), 42) & Column(FormatNumber(cost, 1), 9) & Column(FormatNumber(cost / reference, 1), 13)
For r = 0 To kRounds - 1
    started = Timer
    For i = 1 To kCalls : x = fields.Count : Next
    rounds(r) = (Timer - started) * 1000000 / kCalls
Next
cost = Median(rounds)
WScript.Echo Left("ADODB.Fields.Count" & Space(42), 42) & Column(FormatNumber(cost, 1), 9) & Column(FormatNumber(cost / reference, 1), 13)
For r = 0 To kRounds - 1
    started = Timer
    For i = 1 To kCalls : x = field.Value : Next
    rounds(r) = (Timer - started) * 1000000 / kCalls
Next
cost = Median(rounds)
WScript.Echo Left("ADODB.Field.Value" & Space(42), 42) & Column(FormatNumber(cost, 1), 9) & Column(FormatNumber(cost / reference, 1), 13)
For r = 0 To kRounds - 1
    started = Timer
    For i = 1 To kCalls : x = tools.ValueOrDefault(field, "") : Next
    rounds(r) = (Timer - started) * 1000000 / kCalls
Next
cost = Median(rounds)
WScript.Echo Left("ValueTools.ValueOrDefault" & Space(42), 42) & Column(FormatNumber(cost, 1), 9) & Column(FormatNumber(cost / reference, 1), 13)
For r = 0 To kRounds - 1
    started = Timer
    For i = 1 To kCalls : x = store.ReadSetting("AmbrelleBench", "Nothing", 0) : Next
    rounds(r) = (Timer - started) * 1000000 / kCalls
Next
cost = Median(rounds)
WScript.Echo Left("SettingsStore.ReadSetting" & Space(42), 42) & Column(FormatNumber(cost, 1), 9) & Column(FormatNumber(cost / reference, 1), 13)
For r = 0 To kRounds - 1
    started = Timer
    For i = 1 To kCalls : x = bill.CallCount : Next
    rounds(r) = (Timer - started) * 1000000 / kCalls
Next
cost = Median(rounds)
WScript.Echo Left("Quistral.IBillInfo.Steering.CallCount" & Space(42), 42) & Column(FormatNumber(cost, 1), 9) & Column(FormatNumber(cost / reference, 1), 13)
For r = 0 To kRounds - 1
    started = Timer
    For i = 1 To kCalls : x = props.TotalCalls : Next
    rounds(r) = (Timer - started) * 1000000 / kCalls
Next
cost = Median(rounds)
WScript.Echo Left("Venlock.ShareProps.Steering.TotalCalls" & Space(42), 42) & Column(FormatNumber(cost, 1), 9) & Column(FormatNumber(cost / reference, 1), 13)
