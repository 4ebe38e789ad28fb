#include "automation_objects.h"

#include <olectl.h>
#include <wrl/client.h>

#include <cmath>
#include <new>
#include <string>

#include "com_error.h"
#include "tessary_identity.h"
#include "tessary_control.h"
#include "type_info.h"

using Microsoft::WRL::ComPtr;

namespace tessary {

namespace {

constexpr wchar_t kSource[] = L"TESSARYLib.Tessary";

std::wstring Text(const wchar_t* format, LONG a, LONG b) {
    wchar_t text[200];
    wsprintfW(text, format, a, b);
    return text;
}

HRESULT Fail(REFIID iid, HRESULT hr, const std::wstring& description) {
    return ambrelle::RaiseComError(hr, iid, kSource, description.c_str());
}

// One dual interface of the grid, Interface (described as iid): IDispatch
// through the control's type information, and ISupportErrorInfo.
template <typename Interface, const IID& iid>
class SubObject : public ambrelle::ComObject<
                      ambrelle::Answers<ambrelle::TypeInfoDispatch<Interface>, IID_IUnknown, IID_IDispatch, iid>,
                      ambrelle::SupportsErrorInfo<iid>> {
protected:
    explicit SubObject(TessaryControl* control) : control_(control) {}

    HRESULT InterfaceTypeInfo(ITypeInfo** info) override { return control_->TypeInfoOf(iid, info); }

    HRESULT Fail(HRESULT hr, const std::wstring& description) { return tessary::Fail(iid, hr, description); }

    ComPtr<TessaryControl> control_;
};

class Column final : public SubObject<ITessaryColumn, IID_ITessaryColumn> {
public:
    Column(TessaryControl* control, LONG column) : SubObject(control), column_(column) {}

    STDMETHODIMP get_Width(VARIANT* twips) override {
        if (!twips) return E_POINTER;
        VariantInit(twips);
        HRESULT hr = CheckExists();
        if (FAILED(hr)) return hr;
        V_VT(twips) = VT_R4;
        V_R4(twips) = control_->model().ColumnWidthTwips(column_);
        return S_OK;
    }
    STDMETHODIMP put_Width(VARIANT twips) override {
        HRESULT hr = CheckExists();
        if (FAILED(hr)) return hr;
        const VARIANT* value = &twips;
        while (V_VT(value) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(value)) value = V_VARIANTREF(value);
        VARIANT number;
        VariantInit(&number);
        VARTYPE type = static_cast<VARTYPE>(V_VT(value) & ~VT_BYREF);
        hr = type == VT_EMPTY || type == VT_NULL || type == VT_DISPATCH || type == VT_UNKNOWN
                 ? DISP_E_TYPEMISMATCH
                 : VariantChangeType(&number, const_cast<VARIANT*>(value), 0, VT_R8);
        if (FAILED(hr)) return Fail(DISP_E_TYPEMISMATCH, L"A column width is a number of twips.");
        double width = V_R8(&number);
        if (!std::isfinite(width) || width < 0 || width > GridModel::kMaxColumnWidthTwips)
            return Fail(CTL_E_INVALIDPROPERTYVALUE,
                        Text(L"A column width lies between 0 and %d twips.", static_cast<LONG>(GridModel::kMaxColumnWidthTwips), 0));
        control_->model().SetColumnWidthTwips(column_, static_cast<float>(width));
        control_->ColumnsChanged();
        return S_OK;
    }

private:
    HRESULT CheckExists() {
        if (column_ <= control_->model().column_count()) return S_OK;
        return Fail(DISP_E_BADINDEX, Text(L"Column %d no longer exists: the grid has %d columns.", column_,
                                          control_->model().column_count()));
    }

    LONG column_;
};

class Row final : public SubObject<ITessaryRow, IID_ITessaryRow> {
public:
    Row(TessaryControl* control, LONG row) : SubObject(control), row_(row) {}

    // The container marks a continuation row each time it gives the row's
    // text: a mark put as a boolean skips the type library.
    STDMETHODIMP Invoke(DISPID member, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, UINT* arg_err) override {
        if (riid != IID_NULL || member != kDispidRowMark || !ambrelle::IsPropertyPut(flags, params) ||
            V_VT(&params->rgvarg[0]) != VT_BOOL)
            return SubObject::Invoke(member, riid, lcid, flags, params, result, excep, arg_err);
        return ambrelle::AnswerOfDirectCall(put_Mark(V_BOOL(&params->rgvarg[0])), excep);
    }

    STDMETHODIMP get_Mark(VARIANT_BOOL* marked) override {
        if (!marked) return E_POINTER;
        *marked = VARIANT_FALSE;
        HRESULT hr = CheckExists();
        if (FAILED(hr)) return hr;
        *marked = control_->model().RowMarked(row_) ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    STDMETHODIMP put_Mark(VARIANT_BOOL marked) override {
        HRESULT hr = CheckExists();
        if (FAILED(hr)) return hr;
        if ((marked != VARIANT_FALSE) == control_->model().RowMarked(row_)) return S_OK;
        if (!control_->model().SetRowMark(row_, marked != VARIANT_FALSE))
            return Fail(E_OUTOFMEMORY, L"There is no room to keep the mark.");
        control_->RowMarkChanged(row_);
        return S_OK;
    }
    STDMETHODIMP get_BackColor(LONG* colour) override {
        if (!colour) return E_POINTER;
        *colour = 0;
        HRESULT hr = CheckExists();
        if (FAILED(hr)) return hr;
        *colour = static_cast<LONG>(control_->model().RowColour(row_, DefaultRowColour(row_)));
        return S_OK;
    }

private:
    HRESULT CheckExists() {
        if (row_ <= control_->model().row_count()) return S_OK;
        return Fail(DISP_E_BADINDEX, Text(L"The row with index %d no longer exists: the grid has %d rows.", row_ - 1,
                                          control_->model().row_count()));
    }

    LONG row_;
};

template <typename T>
HRESULT Hand(T* created, IDispatch** out) {
    if (!created) return E_OUTOFMEMORY;
    *out = created;  // the creation reference goes to the caller
    return S_OK;
}

}  // namespace

HRESULT CreateColumnObject(TessaryControl* control, LONG column, IDispatch** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    return Hand(new (std::nothrow) Column(control, column), object);
}

HRESULT CreateRowObject(TessaryControl* control, LONG row, IDispatch** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    return Hand(new (std::nothrow) Row(control, row), object);
}

// The sheet

STDMETHODIMP_(ULONG) GridSheet::AddRef() { return control_->AddRef(); }

STDMETHODIMP_(ULONG) GridSheet::Release() { return control_->Release(); }

HRESULT GridSheet::InterfaceTypeInfo(ITypeInfo** info) { return control_->TypeInfoOf(IID_ITessarySheet, info); }

STDMETHODIMP GridSheet::Invoke(DISPID member, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                               VARIANT* result, EXCEPINFO* excep, UINT* arg_err) {
    if (riid != IID_NULL || member != kDispidSheetRows || !ambrelle::IsPropertyGet(flags, params, 0))
        return TypeInfoDispatch::Invoke(member, riid, lcid, flags, params, result, excep, arg_err);
    if (result) {
        V_VT(result) = VT_I4;
        V_I4(result) = control_->model().row_count();
    }
    return S_OK;
}

STDMETHODIMP GridSheet::get_Rows(LONG* count) {
    if (!count) return E_POINTER;
    *count = control_->model().row_count();
    return S_OK;
}

STDMETHODIMP GridSheet::put_Rows(LONG count) {
    if (count < 0)
        return Fail(IID_ITessarySheet, CTL_E_INVALIDPROPERTYVALUE,
                    Text(L"The row count cannot be %d: it is 0 or more.", count, 0));
    if (count == control_->model().row_count()) return S_OK;
    control_->model().SetRowCount(count);
    control_->RowCountChanged();
    return S_OK;
}

STDMETHODIMP GridSheet::get_Cols(LONG* count) {
    if (!count) return E_POINTER;
    *count = control_->model().column_count();
    return S_OK;
}

STDMETHODIMP GridSheet::put_Cols(LONG count) {
    if (count < 0 || count > GridModel::kMaxColumns)
        return Fail(IID_ITessarySheet, CTL_E_INVALIDPROPERTYVALUE,
                    Text(L"The column count cannot be %d: it lies between 0 and %d.", count, GridModel::kMaxColumns));
    if (count == control_->model().column_count()) return S_OK;
    control_->model().SetColumnCount(count);
    control_->ColumnsChanged();
    return S_OK;
}

STDMETHODIMP GridSheet::Refresh() {
    control_->RefreshRows();
    return S_OK;
}

}  // namespace tessary
