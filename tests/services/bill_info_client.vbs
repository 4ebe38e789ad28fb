' Quistral.IBillInfo from a VBScript client: variables reach the service as
' VT_BYREF|VT_VARIANT, values written back reach the variables, and a raised
' error reaches Err. A Check skipped by a failing expression is missed in
' the count at the end.
On Error Resume Next

Dim steering, service, rs, billId, kind, result, other
Set steering = CreateObject("Quistral.IBillInfo.Steering")
Set service = CreateObject("Quistral.IBillInfo")
Check Not service Is Nothing, "both classes are creatable by ProgID"
steering.Reset

' A rejection query with script variables.
Set rs = CreateObject("ADODB.Recordset")
billId = CLng(100231) : kind = CLng(1)
result = service.QueryValidate("SID=vbs", rs, billId, kind)
Check result = True, "QueryValidate returns True"
Check steering.LastArgType(1) = 8, "a literal string arrives as VT_BSTR"
Check steering.LastArgType(2) = &H400C, "the record-set variable arrives as VT_BYREF|VT_VARIANT"
Check steering.LastArgType(3) = &H400C, "the bill-id variable arrives as VT_BYREF|VT_VARIANT"
Check steering.LastBillId = 100231 And steering.LastQueryKind = 1, "bill id and kind are read from the variables"
Check steering.LastDelivery = 1, "the closed record set passed is filled"
Check rs.RecordCount = 5, "five rejections, got " & rs.RecordCount
Check Len(rs("FRejectDesc")) = 0, "the first reason is empty"
rs.MoveLast
Check Len(rs.Fields("FRejectDesc").Value) = 97, "the last reason has 97 characters"

' An empty variable gets a new record set.
steering.Reset
result = service.QueryValidate("", other, 100232, 0)
Check IsObject(other), "an empty variable receives a record set"
Check other.RecordCount = 3, "bill 100232 has three confirmations"
Check other("FQtyDecimal") = 0 And other("FReqQty") = 320, "the first confirmation's values"

' Values written back reach the script's variables.
steering.Reset
steering.WriteBackBillId 100233
steering.WriteBackQueryKind 1
Set rs = CreateObject("ADODB.Recordset")
billId = CLng(100231) : kind = CLng(0)
result = service.QueryValidate("", rs, billId, kind)
Check billId = 100233, "the bill id written back, got " & billId
Check kind = 1, "the query kind written back, got " & kind
Check rs.RecordCount = 3, "the records of the bill written back"

' The result as steered, Nothing in the variable.
steering.Reset
steering.ReturnResult Null
steering.Delivery = 4
result = service.QueryValidate("", rs, billId, kind)
Check IsNull(result), "a Null result"
Check rs Is Nothing, "Nothing put into the variable"

' A raised error reaches Err with its number, source and description.
steering.Reset
steering.FailWith 3021, "ADODB.Recordset", "No current record."
Set rs = CreateObject("ADODB.Recordset")
result = service.QueryValidate("", rs, billId, kind)
CheckRaised 3021, "ADODB.Recordset", "No current record."
Check rs.State = 0, "the record set is left closed"
Check steering.CallCount = 1, "the failed call is counted"

steering.Reset
Check checks = 23, "every check ran (" & checks & ")"
WScript.Quit failures
