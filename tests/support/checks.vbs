' The checks every VBScript client of the tests shares, put in front of the
' client when it runs (run_script_client.sh). A client runs with On Error
' Resume Next, so a statement that raises is skipped silently: a check fails
' when an error is pending (and clears it) or when its condition is False or
' Null. A client ends with WScript.Quit failures; checks counts the checks
' that ran, so that a client can tell none was skipped.
Option Explicit
Dim failures, checks : failures = 0 : checks = 0

Sub Check(condition, message)
    checks = checks + 1
    If Err.Number <> 0 Then
        WScript.Echo "FAILED: " & message & " (error " & Err.Number & ": " & Err.Description & ")"
        failures = failures + 1
        Err.Clear
    ElseIf IsNull(condition) Then
        WScript.Echo "FAILED (Null): " & message
        failures = failures + 1
    ElseIf Not condition Then
        WScript.Echo "FAILED: " & message
        failures = failures + 1
    End If
End Sub

' Checks the error the statement before raised: its number, source and
' description. The error is cleared; the three checks count as three.
Sub CheckRaised(number, source, description)
    Dim raised_number, raised_source, raised_description
    raised_number = Err.Number : raised_source = Err.Source : raised_description = Err.Description
    Err.Clear
    Check raised_number = number, "Err.Number " & number & ", got " & raised_number
    Check raised_source = source, "Err.Source '" & source & "', got '" & raised_source & "'"
    Check raised_description = description, "Err.Description '" & description & "', got '" & raised_description & "'"
End Sub
