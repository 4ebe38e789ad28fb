#include "ado_errors.h"

#include <cwchar>

#include "ado.h"
#include "com_error.h"

namespace ado_standin {

const wchar_t* AdoErrorDescription(AdoError error) {
    switch (error) {
    case AdoError::kInvalidArgument:
        return L"Arguments are of the wrong type, are out of acceptable range, or are in conflict with one another.";
    case AdoError::kNoCurrentRecord:
        return L"Either BOF or EOF is True, or the current record has been deleted. Requested operation requires a "
               L"current record.";
    case AdoError::kIllegalOperation:
        return L"Operation is not allowed in this context.";
    case AdoError::kFeatureNotAvailable:
        return L"Current Recordset does not support updating. This may be a limitation of the provider, or of the "
               L"selected locktype.";
    case AdoError::kItemNotFound:
        return L"Item cannot be found in the collection corresponding to the requested name or ordinal.";
    case AdoError::kObjectInCollection:
        return L"Object is already in collection. Cannot append.";
    case AdoError::kObjectNotSet:
        return L"Object is no longer valid.";
    case AdoError::kObjectClosed:
        return L"Operation is not allowed when the object is closed.";
    case AdoError::kObjectOpen:
        return L"Operation is not allowed when the object is open.";
    case AdoError::kInvalidConnection:
        return L"The connection cannot be used to perform this operation. It is either closed or invalid in this "
               L"context.";
    }
    return L"";
}

const wchar_t* SourceName(ErrorSource source) {
    switch (source) {
    case ErrorSource::kRecordset:
        return L"ADODB.Recordset";
    case ErrorSource::kFields:
        return L"ADODB.Fields";
    case ErrorSource::kField:
        return L"ADODB.Field";
    }
    return L"";
}

namespace {

const IID& SourceInterface(ErrorSource source) {
    switch (source) {
    case ErrorSource::kFields:
        return IID_Fields;
    case ErrorSource::kField:
        return IID_Field;
    case ErrorSource::kRecordset:
        break;
    }
    return IID__Recordset;
}

}  // namespace

HRESULT RaiseAdoError(AdoError error, ErrorSource source) {
    return ambrelle::RaiseComError(AdoHresult(error), SourceInterface(source), SourceName(source),
                                   AdoErrorDescription(error));
}

HRESULT RaiseMultipleStepError(ErrorSource source) {
    return ambrelle::RaiseComError(kMultipleStepErrors, SourceInterface(source), SourceName(source),
                                   L"Multiple-step operation generated errors. Check each status value.");
}

HRESULT RaiseNotImplemented(ErrorSource source, const wchar_t* member) {
    wchar_t text[256];
    swprintf(text, ARRAYSIZE(text), L"%ls.%ls is not implemented by the in-memory record set of this installation.",
             SourceName(source), member);
    return ambrelle::RaiseComError(E_NOTIMPL, SourceInterface(source), SourceName(source), text);
}

HRESULT RaiseFailure(HRESULT hr, ErrorSource source, const wchar_t* description) {
    return ambrelle::RaiseComError(hr, SourceInterface(source), SourceName(source), description);
}

}  // namespace ado_standin
