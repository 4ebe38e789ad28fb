' ValueTools from a VBScript client with a record set's fields.
On Error Resume Next

Dim tools, rs, field, value
Set tools = CreateObject("ValueTools.ValueTools")
Check Not tools Is Nothing, "creatable by ProgID"
Set rs = CreateObject("ADODB.Recordset")
rs.Fields.Append "FReqQty", 5, 0, 32
rs.Fields.Append "FName", 200, 80, 32
rs.Open
rs.AddNew
rs("FReqQty") = 860.5
rs("FName") = " bolt "
rs.AddNew
rs("FReqQty") = Null
rs("FName") = Null
rs.MoveFirst

Check tools.ValueOrDefault(rs("FReqQty"), "") = 860.5, "a field's value"
Set field = rs.Fields("FName")
Check tools.ValueOrDefault(field, "") = " bolt ", "a field variable's value, blanks kept"
rs.MoveNext
Check tools.ValueOrDefault(rs("FReqQty"), "") = "", "Null gives the default"
Check tools.ValueOrDefault(field, "-") = "-", "the field follows the current record"
Check tools.ValueOrDefault(Empty, 7) = 7, "Empty gives the default"
value = 3
Check tools.ValueOrDefault(value, 7) = 3, "a plain value comes back"
rs.MoveNext
value = tools.ValueOrDefault(field, "")
Dim number : number = Err.Number
Err.Clear
Check number = 3021, "no current record is ADO's error 3021, got " & number
Check checks = 8, "every check ran (" & checks & ")"
WScript.Quit failures
