' show from a VBScript client, as an ERP script would call it. Another
' process (window_closer) presses OK on each window that opens.
On Error Resume Next

Dim bill, props, service, validate, shown, kind, billId
Set bill = CreateObject("Quistral.IBillInfo.Steering")
Set props = CreateObject("Venlock.ShareProps.Steering")
Check Err.Number = 0, "steering objects: " & Err.Description
bill.Reset
props.Reset
props.AnswerWith "vbscript-session"

Set validate = CreateObject("Ambrelle.ClsValidate")
Check Err.Number = 0, "CreateObject: " & Err.Description

' One window for each kind, closed by the other process.
billId = 1001
For kind = 0 To 2
    validate.FID = billId
    validate.QueryClass = kind
    shown = validate.show
    Check Err.Number = 0, "show of kind " & kind & ": " & Err.Number & " " & Err.Description
    Check shown = True, "show of kind " & kind & " returns True"
    Check bill.LastQueryKind = kind, "the service got kind " & kind
    Err.Clear
Next
Check bill.LastBillId = 1001, "the service got the bill id from a variable"
Check bill.LastPropsString = "vbscript-session", "the session string reached the service"

' A refused query: False at once, no window.
bill.ReturnResult False
shown = validate.show
Check Err.Number = 0, "a refused show raises nothing"
Check shown = False, "a refused show returns False"
Err.Clear

' A failing service: its number, source and description reach the script.
bill.Reset
bill.FailWith 1234, "Quistral.IBillInfo", "Bill not found"
shown = validate.show
CheckRaised 1234, "Quistral.IBillInfo", "Bill not found"

' A Null session string cannot be text.
bill.Reset
props.AnswerWith Null
shown = validate.show
Dim number : number = Err.Number
Err.Clear
Check number = 94, "Null session: error 94, got " & number
Check bill.CallCount = 0, "no query is made"

Set validate = Nothing
WScript.Quit failures
