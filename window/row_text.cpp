// The texts of the grid's rows: the header from the column titles, one row per
// record formatted column by column, and for the confirmation kinds the
// closing totals row.
#include "frm_validate_query.h"

#include <new>
#include <utility>

#include "cell_format.h"
#include "cell_text.h"
#include "outside_objects.h"
#include "recordset_access.h"
#include "row_text_layout.h"
#include "unique_bstr.h"
#include "unique_variant.h"
#include "vb_conversions.h"

namespace ambrelle {

namespace {

// The background of the totals row: red 254, green 239, blue 224.
constexpr LONG kTotalsRowColor = 0xE0EFFE;

// Room for a usual row text from the start, so that it is not regrown cell by cell.
constexpr size_t kRowTextReserve = 256;

// The text of a value the caller owns (a text is taken as it is).
HRESULT TextOfValue(VARIANT* value, std::wstring* text) {
    // A whole number's text is its digits and sign, as the platform's
    // conversion writes them.
    if (V_VT(value) == VT_I4) {
        *text = NumberWithSignPlace(V_I4(value));
        if (text->front() == L' ') text->erase(0, 1);
        return S_OK;
    }
    UniqueBstr converted;
    HRESULT hr = TakeText(value, &converted);
    if (FAILED(hr)) return hr;
    text->assign(converted.c_str(), converted.length());
    return S_OK;
}

// ValueOrDefault(field, "") as text, and the part of it without blanks at
// either end.
struct TrimmedText {
    UniqueBstr text;
    std::wstring_view trimmed;
};

HRESULT TrimmedFieldText(ADOField* field, TrimmedText* value) {
    UniqueVariant field_value;
    HRESULT hr = FieldValueOrEmpty(field, field_value.ptr());
    if (SUCCEEDED(hr)) hr = TakeText(field_value.ptr(), &value->text);
    if (FAILED(hr)) return hr;
    value->trimmed = BlankTrimmed({value->text.c_str(), value->text.length()});
    return S_OK;
}

// The cell of a quantity: its trimmed text formatted with the pattern.
HRESULT QuantityCell(const TrimmedText& quantity, const std::wstring& pattern, std::wstring* cell) {
    if (quantity.trimmed.size() == quantity.text.length()) return FormatQuantityText(quantity.text.get(), pattern, cell);
    UniqueBstr part(quantity.trimmed.data(), static_cast<UINT>(quantity.trimmed.size()));
    if (!part.allocated()) return E_OUTOFMEMORY;
    return FormatQuantityText(part.get(), pattern, cell);
}

// A text the window keeps from row to row, lent for one row: the room it has
// grown to is used again. A request made while another is being answered
// finds it lent and starts with room of its own.
class LentText {
public:
    explicit LentText(std::wstring* kept) : kept_(kept), text_(std::move(*kept)) {}
    ~LentText() { *kept_ = std::move(text_); }
    LentText(const LentText&) = delete;
    LentText& operator=(const LentText&) = delete;
    std::wstring& get() { return text_; }

private:
    std::wstring* kept_;
    std::wstring text_;
};

HRESULT ReplaceText(const std::wstring& built, BSTR* text) {
    BSTR copy = SysAllocStringLen(built.data(), static_cast<UINT>(built.size()));
    if (!copy) return E_OUTOFMEMORY;
    SysFreeString(*text);
    *text = copy;
    return S_OK;
}

}  // namespace

HRESULT FrmValidateQuery::GetTitleText(BSTR* text) {
    try {
        std::wstring header(*text ? *text : L"", SysStringLen(*text));
        AppendTitleCells(Titles, &header);
        return ReplaceText(header, text);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT FrmValidateQuery::GetRowText(LONG row, BSTR* text, LONG* color) {
    LONG rows = 0;
    HRESULT hr = LdgValidateQuery.GetRowCount(&rows);
    if (FAILED(hr)) return hr;
    try {
        LentText lent(&row_text_);
        std::wstring& built = lent.get();
        // The last row of the confirmation kinds is the totals row; no other
        // kind has one.
        if (IsTotalsRow(row, rows, QueryClass))
            hr = GetTotalsRowText(&built, color);
        else
            hr = GetDataRowText(row, &built);
        return FAILED(hr) ? hr : ReplaceText(built, text);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT FrmValidateQuery::GetDataRowText(LONG row, std::wstring* text) {
    HRESULT hr = PositionOnRecord(row);
    if (FAILED(hr)) return hr;

    std::wstring sequence;
    std::wstring decimals;
    if (QueryClass == 1) {
        UniqueVariant sort;
        hr = query_fields_.Value(QueryRs.Get(), L"FSort", sort.put());
        if (FAILED(hr)) return hr;
        if (sort.vt() != VT_NULL) hr = TextOfValue(sort.ptr(), &sequence);
        if (FAILED(hr)) return hr;
    } else {
        sequence = SequenceCell(row);
    }
    if (QueryClass == 0 || QueryClass == 2) {
        UniqueVariant decimal_count;
        hr = query_fields_.Value(QueryRs.Get(), L"FQtyDecimal", decimal_count.put());
        if (FAILED(hr)) return hr;
        if (decimal_count.vt() != VT_NULL) hr = TextOfValue(decimal_count.ptr(), &decimals);
        if (FAILED(hr)) return hr;
    }
    // The pattern of the row's quantities, made at its first quantity (a
    // rejection line has none; a pattern is never empty).
    std::wstring quantity_pattern;

    text->clear();
    text->reserve(kRowTextReserve);
    AppendCell(sequence, text);
    LentText lent(&cell_text_);
    std::wstring& cell = lent.get();
    for (size_t i = 1; i < RecordColumnsEnd(Titles); ++i) {
        ADOField* field = nullptr;
        hr = query_fields_.GetForColumn(QueryRs.Get(), i, Titles[i].FieldName.c_str(), &field);
        if (FAILED(hr)) return hr;
        // Dates are formatted from the field's own value, quantities from
        // their trimmed text; other texts are shown trimmed as they are.
        std::wstring_view shown;
        TrimmedText value;
        if (Titles[i].DataType == VT_DATE) {
            UniqueVariant date;
            hr = field->get_Value(date.put());
            if (SUCCEEDED(hr)) hr = FormatDate(date.get(), &cell);
            shown = cell;
        } else {
            hr = TrimmedFieldText(field, &value);
            shown = value.trimmed;
            if (SUCCEEDED(hr) && Titles[i].DataType == VT_R8) {
                if (quantity_pattern.empty()) quantity_pattern = QuantityPattern(decimals);
                hr = QuantityCell(value, quantity_pattern, &cell);
                shown = cell;
            }
        }
        if (FAILED(hr)) return hr;
        AppendCell(shown, text);
    }
    return S_OK;
}

HRESULT FrmValidateQuery::GetTotalsRowText(std::wstring* text, LONG* color) {
    std::wstring requested;
    std::wstring confirmed;
    HRESULT hr = FormatTotal(SumReqQty, &requested);
    if (SUCCEEDED(hr)) hr = FormatTotal(SumValidateQty, &confirmed);
    if (FAILED(hr)) return hr;
    *text = TotalsRowText(requested, confirmed);
    *color = kTotalsRowColor;
    return S_OK;
}

HRESULT FrmValidateQuery::PositionOnRecord(LONG row) {
    if (!QueryRs) return RaiseObjectNotSet();
    VARIANT first;
    V_VT(&first) = VT_I4;
    V_I4(&first) = adBookmarkFirst;
    // Rows before the first record stop at the first.
    HRESULT hr = QueryRs->Move(RecordOffsetOfRow(row), first);
    if (FAILED(hr)) return hr;
    VARIANT_BOOL at_end = VARIANT_FALSE;
    hr = QueryRs->get_EOF(&at_end);
    if (FAILED(hr)) return hr;
    if (at_end) return QueryRs->MoveLast();
    VARIANT_BOOL at_start = VARIANT_FALSE;
    hr = QueryRs->get_BOF(&at_start);
    if (FAILED(hr)) return hr;
    return at_start ? QueryRs->MoveFirst() : S_OK;
}

HRESULT FrmValidateQuery::HasCurrentRecord(bool* has_record) {
    *has_record = false;
    if (!QueryRs) return S_OK;
    VARIANT_BOOL at_end = VARIANT_TRUE;
    VARIANT_BOOL at_start = VARIANT_TRUE;
    HRESULT hr = QueryRs->get_EOF(&at_end);
    if (SUCCEEDED(hr)) hr = QueryRs->get_BOF(&at_start);
    if (FAILED(hr)) return hr;
    *has_record = !at_end && !at_start;
    return S_OK;
}

}  // namespace ambrelle
