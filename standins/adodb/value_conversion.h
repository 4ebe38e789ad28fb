// The rules by which a field takes a value: the variant type each ADO data
// type is kept as, and the conversion of a client's value on write.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "field_definition.h"
#include "unique_variant.h"

namespace ado_standin {

// The variant type a field of an ADO data type holds, or VT_EMPTY for a data
// type this record set does not keep.
VARTYPE StoredTypeOf(LONG data_type);

// True for the ADO data types whose DefinedSize limits the length of a text.
bool IsLengthLimitedText(LONG data_type);

// Whether Null may be stored (adFldIsNullable or adFldMayBeNull).
bool AllowsNull(const FieldDefinition& field);

// Converts a client's value into what the field stores. On S_OK *result points
// either at value itself (already of the stored type) or at storage, which
// holds the converted value. Returns S_OK, E_OUTOFMEMORY, or
// kMultipleStepErrors when the field cannot take the value (no error object
// is set here).
HRESULT ConvertForField(const FieldDefinition& field, const VARIANT& value, ambrelle::UniqueVariant* storage,
                        const VARIANT** result);

}  // namespace ado_standin
