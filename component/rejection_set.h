// The record set of a rejection query as the window shows it: every rejection
// reason cut into lines of at most 30 characters, one record per line.
#pragma once

#include "ado.h"
#include "rejection_lines.h"

namespace ambrelle {

// Builds a new, open record set with the fields FID, FSort, FValDate,
// FRejectDesc, FBeBrName and FBrName from the source rows' FID, FValDate,
// FRejectDesc, FBeBrName and FBrName. The source is read from its first row
// to its end. The last line is left as the pending new row.
HRESULT BuildRejectionSet(_ADORecordset* source, _ADORecordset** rejection_set);

}  // namespace ambrelle
