#include "value_conversion.h"

#include "ado.h"
#include "ado_errors.h"
#include "unique_variant.h"

#include <utility>

namespace ado_standin {

VARTYPE StoredTypeOf(LONG data_type) {
    switch (data_type) {
    case adTinyInt:
        return VT_I1;
    case adUnsignedTinyInt:
        return VT_UI1;
    case adSmallInt:
        return VT_I2;
    case adUnsignedSmallInt:
        return VT_UI2;
    case adInteger:
        return VT_I4;
    case adUnsignedInt:
        return VT_UI4;
    case adBigInt:
        return VT_I8;
    case adUnsignedBigInt:
        return VT_UI8;
    case adSingle:
        return VT_R4;
    case adDouble:
        return VT_R8;
    case adCurrency:
        return VT_CY;
    case adBoolean:
        return VT_BOOL;
    case adDecimal:
    case adNumeric:
    case adVarNumeric:
        return VT_DECIMAL;
    case adDate:
    case adDBDate:
    case adDBTime:
    case adDBTimeStamp:
        return VT_DATE;
    case adBSTR:
    case adChar:
    case adVarChar:
    case adLongVarChar:
    case adWChar:
    case adVarWChar:
    case adLongVarWChar:
        return VT_BSTR;
    default:
        return VT_EMPTY;
    }
}

// DefinedSize counts UTF-16 code units, so a Chinese character counts as one.
// The platform's cursor engine keeps adChar/adVarChar text in the ANSI code
// page; this record set keeps every text as Unicode, which gives the same
// result for text the code page can hold. Fixed-length adChar/adWChar values
// are kept as written, not padded with blanks.
bool IsLengthLimitedText(LONG data_type) {
    switch (data_type) {
    case adChar:
    case adVarChar:
    case adLongVarChar:
    case adWChar:
    case adVarWChar:
    case adLongVarWChar:
        return true;
    default:
        return false;  // adBSTR carries no length of its own
    }
}

bool AllowsNull(const FieldDefinition& field) { return (field.attributes & (adFldIsNullable | adFldMayBeNull)) != 0; }

namespace {

// Rounds a decimal to the field's scale and checks that it fits its precision:
// its magnitude must stay below 10^(precision - scale).
HRESULT FitDecimal(const FieldDefinition& field, VARIANT* value) {
    if (field.precision == 0) return S_OK;  // no precision given: kept as converted
    DECIMAL rounded;
    if (FAILED(VarDecRound(&V_DECIMAL(value), field.numeric_scale, &rounded))) return kMultipleStepErrors;
    DECIMAL limit = {};
    const int integer_digits = field.precision - field.numeric_scale;
    if (integer_digits < 0) {
        limit.Lo64 = 1;
        limit.scale = static_cast<BYTE>(-integer_digits > 28 ? 28 : -integer_digits);
    } else {
        VarDecFromI4(1, &limit);
        DECIMAL ten;
        VarDecFromI4(10, &ten);
        for (int digit = 0; digit < integer_digits; ++digit) {
            DECIMAL next;
            if (FAILED(VarDecMul(&limit, &ten, &next))) {
                limit.scale = 255;  // beyond DECIMAL's range: every value fits
                break;
            }
            limit = next;
        }
    }
    DECIMAL magnitude;
    VarDecAbs(&rounded, &magnitude);
    if (limit.scale != 255 && VarDecCmp(&magnitude, &limit) != VARCMP_LT) return kMultipleStepErrors;
    V_DECIMAL(value) = rounded;
    V_VT(value) = VT_DECIMAL;
    return S_OK;
}

}  // namespace

HRESULT ConvertForField(const FieldDefinition& field, const VARIANT& value, ambrelle::UniqueVariant* storage,
                        const VARIANT** result) {
    *result = nullptr;
    const VARTYPE target = field.values.vt();
    // A reference (a late-bound client's variable) is read through.
    const VARIANT* source = &value;
    ambrelle::UniqueVariant direct;
    if (V_VT(source) & VT_BYREF) {
        HRESULT hr = VariantCopyInd(direct.ptr(), const_cast<VARIANT*>(&value));
        if (hr == E_OUTOFMEMORY) return hr;
        if (FAILED(hr)) return kMultipleStepErrors;
        source = &direct.get();
    }

    const VARTYPE type = V_VT(source);
    if (type == VT_NULL) {
        // Only a field appended as nullable takes Null; ADO reports the others
        // through the field's status as a failed multiple-step operation.
        if (!AllowsNull(field)) return kMultipleStepErrors;
        V_VT(storage->put()) = VT_NULL;
        *result = &storage->get();
        return S_OK;
    }
    // Empty becomes 0 in a number and "" in a text, but a date field refuses it
    // (as the platform does for Empty written to a date column).
    if (type == VT_EMPTY && target == VT_DATE) return kMultipleStepErrors;

    const VARIANT* converted = source;
    if (type != target) {
        // A Boolean written to a text reads "True"/"False", as Visual Basic's CStr gives.
        const USHORT flags = type == VT_BOOL && target == VT_BSTR ? VARIANT_ALPHABOOL : 0;
        HRESULT hr = VariantChangeTypeEx(storage->put(), const_cast<VARIANT*>(source), LOCALE_USER_DEFAULT, flags,
                                         target);
        if (hr == E_OUTOFMEMORY) return hr;
        if (FAILED(hr)) {
            storage->reset();
            return kMultipleStepErrors;
        }
        converted = &storage->get();
    } else if (source == &direct.get()) {
        *storage = std::move(direct);
        converted = &storage->get();
    }
    if (target == VT_BSTR && IsLengthLimitedText(field.type) && field.defined_size > 0 &&
        SysStringLen(V_BSTR(converted)) > static_cast<UINT>(field.defined_size))
        return kMultipleStepErrors;
    if (target == VT_DECIMAL && field.precision > 0) {
        if (converted != &storage->get()) {
            HRESULT hr = VariantCopy(storage->put(), const_cast<VARIANT*>(converted));
            if (FAILED(hr)) return hr;
        }
        HRESULT hr = FitDecimal(field, storage->ptr());
        if (FAILED(hr)) return hr;
        converted = &storage->get();
    }
    *result = converted;
    return S_OK;
}

}  // namespace ado_standin
