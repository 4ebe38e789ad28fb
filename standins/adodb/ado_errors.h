// ADO's own errors, raised the way ADO raises them: an HRESULT of
// FACILITY_CONTROL with ADO's error number, and an error object carrying
// ADO's source and description texts.
#pragma once

#include <windows.h>
#include <ole2.h>

namespace ado_standin {

// ADO's error numbers (ErrorValueEnum) that this record set raises.
enum class AdoError : LONG {
    kInvalidArgument = 3001,
    kNoCurrentRecord = 3021,
    kIllegalOperation = 3219,
    kFeatureNotAvailable = 3251,
    kItemNotFound = 3265,
    kObjectInCollection = 3367,
    kObjectNotSet = 3420,
    kObjectClosed = 3704,
    kObjectOpen = 3705,
    kInvalidConnection = 3709,
};

// The object an error is reported from: it names the error's source. Errors
// of a Field object's members come from "ADODB.Field", of Fields.Item and
// Append from "ADODB.Fields"; Collect and rs("name") report a missing field
// from "ADODB.Recordset", as ADO does, and a value the field refuses from the
// member that wrote it.
enum class ErrorSource { kRecordset, kFields, kField };

// DB_E_ERRORSOCCURRED: a value the field cannot take.
constexpr HRESULT kMultipleStepErrors = static_cast<HRESULT>(0x80040E21);

constexpr HRESULT AdoHresult(AdoError error) {
    return static_cast<HRESULT>(0x800A0000u | static_cast<ULONG>(error));
}

// Sets the thread's error object for an ADO error and returns its HRESULT.
HRESULT RaiseAdoError(AdoError error, ErrorSource source);
// A value that a field cannot take (wrong type, overflow, too long, Null where not allowed).
HRESULT RaiseMultipleStepError(ErrorSource source);
// A member this record set does not implement.
HRESULT RaiseNotImplemented(ErrorSource source, const wchar_t* member);
// Any other failure (E_OUTOFMEMORY, E_POINTER) with a description of its own.
HRESULT RaiseFailure(HRESULT hr, ErrorSource source, const wchar_t* description);

const wchar_t* AdoErrorDescription(AdoError error);
const wchar_t* SourceName(ErrorSource source);

}  // namespace ado_standin
