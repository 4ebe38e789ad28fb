// The record set of a rejection query as the window shows it: every rejection
// reason cut into lines of at most 30 characters, one record per line.
#pragma once

#include <string>

#include "ado.h"

namespace ambrelle {

// The longest piece of a rejection reason on one line.
constexpr size_t kRejectionLineLength = 30;

// Length of the next piece of text starting at offset: at most 30 characters,
// one fewer when the 30th would be the first half of a surrogate pair.
size_t RejectionPieceLength(const std::wstring& text, size_t offset);

// Builds a new, open record set with the fields FID, FSort, FValDate,
// FRejectDesc, FBeBrName and FBrName from the source rows' FID, FValDate,
// FRejectDesc, FBeBrName and FBrName. The source is read from its first row
// to its end. The last line is left as the pending new row.
HRESULT BuildRejectionSet(_ADORecordset* source, _ADORecordset** rejection_set);

}  // namespace ambrelle
