' ADODB.Recordset from a VBScript client: a fabricated set built, filled
' through the default member and Collect, walked with every move, ADO's
' errors with number, source and description, and Close followed by Open.

' Every step is checked for an error right after it, since On Error Resume
' Next would otherwise skip a failing line silently.
Sub Ok(stepName)
    If Err.Number <> 0 Then
        WScript.Echo "FAILED: " & stepName & ": " & Err.Number & " " & Err.Source & " " & Err.Description
        failures = failures + 1
    End If
    Err.Clear
End Sub

Sub ExpectError(stepName, number, source, description)
    If Err.Number <> number Or Err.Source <> source Or Err.Description <> description Then
        WScript.Echo "FAILED: " & stepName & ": got " & Err.Number & " '" & Err.Source & "' '" & Err.Description & "'"
        failures = failures + 1
    End If
    Err.Clear
End Sub

Const adInteger = 3, adVarChar = 200, adVarWChar = 202, adDate = 7, adFldIsNullable = 32
Const adBookmarkFirst = 1, adBookmarkLast = 2
Const NoCurrentRecord = "Either BOF or EOF is True, or the current record has been deleted. Requested operation requires a current record."

On Error Resume Next

Dim rs, v, bof, eof, count
Set rs = CreateObject("ADODB.Recordset")
Ok "CreateObject(""ADODB.Recordset"")"

rs.Fields.Append "FID", adInteger
Ok "Append FID"
Dim size : size = 20
rs.Fields.Append "FName", adVarWChar, size
Ok "Append FName from a variable"
rs.Fields.Append "FValDate", adDate, 0, adFldIsNullable
Ok "Append FValDate"
rs.Fields.Append "fid", adInteger
ExpectError "Append of a duplicate name", 3367, "ADODB.Fields", "Object is already in collection. Cannot append."
count = -1 : count = rs.Fields.Count : Ok "Fields.Count"
Check count = 3, "three fields, got " & count
Dim f, names
names = ""
For Each f In rs.Fields
    names = names & f.Name & "/" & f.Type & ";"
Next
Ok "For Each over Fields"
Check names = "FID/3;FName/202;FValDate/7;", "fields in order, got " & names

rs.Open
Ok "Open"
v = -1 : v = rs.State : Ok "State"
Check v = 1, "State is adStateOpen"
bof = False : eof = False
bof = rs.BOF : eof = rs.EOF : Ok "BOF and EOF"
Check bof And eof, "an empty set is at BOF and EOF"
rs.MoveFirst
ExpectError "MoveFirst on an empty set", 3021, "ADODB.Recordset", NoCurrentRecord

rs.AddNew
Ok "AddNew"
count = -1 : count = rs.RecordCount : Ok "RecordCount"
Check count = 1, "the pending row counts"
rs("FID") = "5"
Ok "rs(""FID"") = ""5"""
v = Empty : v = rs.Collect("fid") : Ok "Collect get"
Check TypeName(v) = "Long", "a text written to adInteger reads as Long, got " & TypeName(v)
Check v = 5, "FID reads 5"
rs.Collect("FName") = "甲乙"
Ok "Collect put"
rs.Fields("FValDate").Value = Null
Ok "Value = Null in a nullable field"
v = 0 : v = rs("FValDate") : Ok "rs(""FValDate"")"
Check IsNull(v), "FValDate reads Null"
rs("FName") = String(21, "x")
ExpectError "text longer than the field", -2147217887, "ADODB.Field", "Multiple-step operation generated errors. Check each status value."
rs("FID") = "abc"
ExpectError "abc into adInteger", -2147217887, "ADODB.Field", "Multiple-step operation generated errors. Check each status value."

Dim i
For i = 2 To 3
    rs.AddNew
    rs("FID") = i
    rs.Collect(1) = "row " & i
    Ok "row " & i
Next
count = -1 : count = rs.RecordCount : Ok "RecordCount of three"
Check count = 3, "three rows, got " & count

rs.Move 1, adBookmarkFirst
Ok "Move 1, adBookmarkFirst"
v = 0 : v = rs("FID") : Ok "read after Move"
Check v = 2, "Move 1 from the first reaches the second, got " & v
rs.MoveLast
v = 0 : v = rs.Fields("FID").Value : Ok "MoveLast"
Check v = 3, "MoveLast reaches the third"
rs.MoveNext
eof = False : eof = rs.EOF : Ok "MoveNext to EOF"
Check eof, "EOF after the last"
v = rs("FID")
ExpectError "a field at EOF", 3021, "ADODB.Field", NoCurrentRecord
rs.MoveNext
ExpectError "MoveNext at EOF", 3021, "ADODB.Recordset", NoCurrentRecord
rs.Move -1, adBookmarkFirst
bof = False : bof = rs.BOF : Ok "Move -1 from the first"
Check bof, "Move -1 from the first is BOF"
rs.Move 0, adBookmarkLast
v = "" : v = rs.Collect("FName") : Ok "Move 0 from the last"
Check v = "row 3", "the last row's FName, got " & v
rs.MoveFirst
v = "" : v = rs("FName") : Ok "MoveFirst"
Check v = "甲乙", "Chinese text survives, got " & v
v = rs.Collect("Nope")
ExpectError "an unknown field", 3265, "ADODB.Recordset", "Item cannot be found in the collection corresponding to the requested name or ordinal."

rs.Close
Ok "Close"
count = -1 : count = rs.Fields.Count : Ok "Fields.Count after Close"
Check count = 0, "Close discards the field definitions"
v = rs.EOF
ExpectError "EOF when closed", 3704, "ADODB.Recordset", "Operation is not allowed when the object is closed."
rs.Open
ExpectError "Open without fields", 3709, "ADODB.Recordset", "The connection cannot be used to perform this operation. It is either closed or invalid in this context."
rs.Fields.Append "Again", adVarChar, 10
rs.Open
Ok "Open again"
rs.AddNew
rs("again") = "ok"
v = "" : v = rs("AGAIN") : Ok "a new row after Open again"
Check v = "ok", "the field of the new Open"
rs.Close
Ok "final Close"

Set rs = Nothing
WScript.Quit failures
