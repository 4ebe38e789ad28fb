// Writing bill rows into ADO record sets ("ADODB.Recordset", the 2.x interfaces).
#pragma once

#include <windows.h>
#include <ole2.h>
#include <wrl/client.h>

#include <vector>

#include "ado.h"
#include "bill_layout.h"

namespace ambrelle {

// A new, closed record set created from the ProgID "ADODB.Recordset".
HRESULT CreateRecordset(Microsoft::WRL::ComPtr<_ADORecordset>* recordset);

// Whether a record set can be filled: closed and without fields.
HRESULT IsFillable(_ADORecordset* recordset, bool* fillable);

// Appends the layout's fields to a closed record set, opens it with no source
// and no connection (client cursor, static, batch optimistic), adds the rows
// and moves to the first record when there is one. A failure of the record
// set leaves its error object in place for the caller.
HRESULT FillRecordset(_ADORecordset* recordset, BillLayout layout, const BillRows& rows);

}  // namespace ambrelle
