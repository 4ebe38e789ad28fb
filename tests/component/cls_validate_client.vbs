' ClsValidate from a VBScript client: creation by ProgID and by CLSID,
' property puts from literals and variables, and the missing property get.
On Error Resume Next

Dim validate
Set validate = CreateObject("Ambrelle.ClsValidate")
Check Err.Number = 0, "CreateObject by ProgID: " & Err.Description
Err.Clear

Dim byClsid
Set byClsid = GetObject("new:{B2A704B3-3A4D-4941-A027-A6076D4D2192}")
Check Err.Number = 0, "creation by CLSID: " & Err.Number & " " & Err.Description
Check IsObject(byClsid), "creation by CLSID gives an object"
Err.Clear

validate.FID = 1001
Check Err.Number = 0, "FID from a literal: " & Err.Description
Err.Clear

Dim kind : kind = 1
validate.QueryClass = kind
Check Err.Number = 0, "QueryClass from a variable: " & Err.Description
Check kind = 1, "the variable keeps its value"
Err.Clear

Dim bill : bill = 2002
validate.fid = bill
Check Err.Number = 0, "fid in lower case from a variable: " & Err.Description
Err.Clear

Dim readBack, number
readBack = validate.FID
number = Err.Number
Err.Clear
Check number = 438, "reading FID fails with 438, got " & number

Set validate = Nothing
Set byClsid = Nothing
WScript.Quit failures
