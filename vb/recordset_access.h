// Reading and writing ADO record-set fields by name (ADO looks names up without regard to case).
#pragma once

#include "ado.h"

namespace ambrelle {

// A VARIANT that stands for an omitted optional argument.
VARIANT MissingArgument();

HRESULT GetField(_ADORecordset* records, const wchar_t* name, ADOField** field);
HRESULT GetFieldValue(_ADORecordset* records, const wchar_t* name, VARIANT* value);
// rs.Collect(name) = value
HRESULT PutCollect(_ADORecordset* records, const wchar_t* name, const VARIANT& value);

}  // namespace ambrelle
