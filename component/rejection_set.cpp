#include "rejection_set.h"

#include <wrl/client.h>

#include "recordset_access.h"
#include "unique_bstr.h"
#include "unique_variant.h"
#include "variant_values.h"
#include "vb_conversions.h"

using Microsoft::WRL::ComPtr;

namespace ambrelle {

namespace {

struct FieldDefinition {
    const wchar_t* name;
    DataTypeEnum type;
    ADO_LONGPTR defined_size;
    FieldAttributeEnum attributes;
};

const FieldDefinition kRejectionFields[] = {
    {L"FID", adInteger, 0, adFldUnspecified},
    {L"FSort", adVarChar, 80, adFldUnspecified},
    {L"FValDate", adDate, 0, adFldIsNullable},
    {L"FRejectDesc", adVarChar, 255, adFldUnspecified},
    {L"FBeBrName", adVarChar, 80, adFldUnspecified},
    {L"FBrName", adVarChar, 80, adFldUnspecified},
};

// The values one source row gives its first line.
struct SourceRow {
    UniqueVariant fid;
    UniqueVariant validate_date;
    UniqueVariant rejected_branch;
    UniqueVariant rejecting_branch;
    UniqueBstr ordinal;
};

HRESULT CreateEmptyRejectionSet(ComPtr<_ADORecordset>* created) {
    ComPtr<_ADORecordset> records;
    HRESULT hr = CoCreateInstance(CLSID_Recordset, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&records));
    if (FAILED(hr)) return hr;
    ComPtr<ADOFields> fields;
    hr = records->get_Fields(&fields);
    if (FAILED(hr)) return hr;
    for (const FieldDefinition& field : kRejectionFields) {
        UniqueBstr name(field.name);
        hr = fields->Append(name.get(), field.type, field.defined_size, field.attributes, MissingArgument());
        if (FAILED(hr)) return hr;
    }
    hr = records->Open(MissingArgument(), MissingArgument(), adOpenUnspecified, adLockUnspecified,
                       adCmdUnspecified);
    if (FAILED(hr)) return hr;
    *created = records;
    return S_OK;
}

// Writes the lines: each field by its name through Collect, the names and
// the empty text made once for the whole set.
class LineWriter {
public:
    LineWriter() {
        for (size_t i = 0; i < ARRAYSIZE(kRejectionFields); ++i) names_[i].reset(SysAllocString(kRejectionFields[i].name));
    }
    bool allocated() const {
        for (const UniqueBstr& name : names_)
            if (!name.allocated()) return false;
        return empty_text_.allocated();
    }

    // Adds one line: the first line of a source row carries its values, a
    // continuation line only its piece of the reason.
    HRESULT AddLine(_ADORecordset* lines, const SourceRow* first, const wchar_t* piece, size_t length) {
        HRESULT hr = lines->AddNew(MissingArgument(), MissingArgument());
        if (FAILED(hr)) return hr;
        UniqueBstr piece_text(piece, static_cast<UINT>(length));
        if (!piece_text.allocated()) return E_OUTOFMEMORY;
        VARIANT zero;
        V_VT(&zero) = VT_I4;
        V_I4(&zero) = 0;
        VARIANT null;
        V_VT(&null) = VT_NULL;
        const VARIANT values[] = {
            first ? first->fid.get() : zero,
            BorrowedText(first ? first->ordinal.get() : empty_text_.get()),
            first ? first->validate_date.get() : null,
            BorrowedText(piece_text.get()),
            first ? first->rejected_branch.get() : BorrowedText(empty_text_.get()),
            first ? first->rejecting_branch.get() : BorrowedText(empty_text_.get()),
        };
        for (size_t i = 0; i < ARRAYSIZE(kRejectionFields); ++i) {
            hr = lines->put_Collect(BorrowedText(names_[i].get()), values[i]);
            if (FAILED(hr)) return hr;
        }
        return S_OK;
    }

    // One new record a line; only the first carries the row's values.
    HRESULT AddLinesOfRow(_ADORecordset* lines, const SourceRow& row, const std::wstring& reason) {
        bool first_line = true;
        for (const std::wstring_view piece : RejectionLines(reason)) {
            HRESULT hr = AddLine(lines, first_line ? &row : nullptr, piece.data(), piece.size());
            if (FAILED(hr)) return hr;
            first_line = false;
        }
        return S_OK;
    }

private:
    UniqueBstr names_[ARRAYSIZE(kRejectionFields)];
    UniqueBstr empty_text_{L""};
};

// The source's fields, looked up by name on the first row: a record set's
// Field object always shows the current record.
class SourceFields {
public:
    HRESULT ReadRow(_ADORecordset* source, long ordinal, SourceRow* row, std::wstring* reason) {
        HRESULT hr = fid_ ? S_OK : Lookup(source);
        if (SUCCEEDED(hr)) hr = fid_->get_Value(row->fid.put());
        if (SUCCEEDED(hr)) hr = validate_date_->get_Value(row->validate_date.put());
        if (SUCCEEDED(hr)) hr = rejected_branch_->get_Value(row->rejected_branch.put());
        if (SUCCEEDED(hr)) hr = rejecting_branch_->get_Value(row->rejecting_branch.put());
        if (FAILED(hr)) return hr;

        UniqueVariant reason_value;
        hr = reason_->get_Value(reason_value.put());
        if (FAILED(hr)) return hr;
        reason->clear();
        // A reason that was never filled in is an empty reason.
        if (reason_value.vt() != VT_NULL) {
            UniqueBstr text;
            hr = ToText(reason_value.get(), &text);
            if (FAILED(hr)) return hr;
            reason->assign(text.c_str(), text.length());
        }

        wchar_t digits[16];
        wsprintfW(digits, L"%ld", ordinal);
        row->ordinal.reset(SysAllocString(digits));
        return row->ordinal.allocated() ? S_OK : E_OUTOFMEMORY;
    }

private:
    // In the order the values are read.
    HRESULT Lookup(_ADORecordset* source) {
        HRESULT hr = GetField(source, L"FID", fid_.ReleaseAndGetAddressOf());
        if (SUCCEEDED(hr)) hr = GetField(source, L"FValDate", validate_date_.ReleaseAndGetAddressOf());
        if (SUCCEEDED(hr)) hr = GetField(source, L"FBeBrName", rejected_branch_.ReleaseAndGetAddressOf());
        if (SUCCEEDED(hr)) hr = GetField(source, L"FBrName", rejecting_branch_.ReleaseAndGetAddressOf());
        if (SUCCEEDED(hr)) hr = GetField(source, L"FRejectDesc", reason_.ReleaseAndGetAddressOf());
        if (FAILED(hr)) fid_.Reset();
        return hr;
    }

    ComPtr<ADOField> fid_, validate_date_, rejected_branch_, rejecting_branch_, reason_;
};

}  // namespace

HRESULT BuildRejectionSet(_ADORecordset* source, _ADORecordset** rejection_set) {
    *rejection_set = nullptr;
    VARIANT_BOOL bof = VARIANT_FALSE;
    VARIANT_BOOL eof = VARIANT_FALSE;
    HRESULT hr = source->get_BOF(&bof);
    if (SUCCEEDED(hr)) hr = source->get_EOF(&eof);
    if (FAILED(hr)) return hr;
    // An empty source gives an empty rejection set (MoveFirst would fail on it).
    if (!(bof && eof)) {
        hr = source->MoveFirst();
        if (FAILED(hr)) return hr;
    }

    ComPtr<_ADORecordset> lines;
    hr = CreateEmptyRejectionSet(&lines);
    if (FAILED(hr)) return hr;

    LineWriter writer;
    if (!writer.allocated()) return E_OUTOFMEMORY;
    SourceFields fields;
    std::wstring reason;
    long ordinal = 1;
    for (;;) {
        hr = source->get_EOF(&eof);
        if (FAILED(hr)) return hr;
        if (eof) break;
        SourceRow row;
        hr = fields.ReadRow(source, ordinal, &row, &reason);
        if (SUCCEEDED(hr)) hr = writer.AddLinesOfRow(lines.Get(), row, reason);
        if (SUCCEEDED(hr)) hr = source->MoveNext();
        if (FAILED(hr)) return hr;
        ++ordinal;
    }
    *rejection_set = lines.Detach();
    return S_OK;
}

}  // namespace ambrelle
