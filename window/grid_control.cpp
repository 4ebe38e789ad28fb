#include "grid_control.h"

#include "late_binding.h"
#include "tessary.h"
#include "unique_variant.h"
#include "variant_values.h"

using Microsoft::WRL::ComPtr;

namespace ambrelle {

namespace {

HRESULT GetObjectProperty(IDispatch* object, DISPID member, VARIANT* args, UINT arg_count, ComPtr<IDispatch>* out) {
    UniqueVariant result;
    HRESULT hr = InvokeById(object, member, DISPATCH_PROPERTYGET, args, arg_count, result.ptr());
    if (FAILED(hr)) return hr;
    if (result.vt() != VT_DISPATCH) hr = VariantChangeType(result.ptr(), result.ptr(), 0, VT_DISPATCH);
    if (FAILED(hr) || !V_DISPATCH(result.ptr())) return FAILED(hr) ? hr : E_POINTER;
    // The result's reference goes to `out`.
    *out->ReleaseAndGetAddressOf() = V_DISPATCH(result.ptr());
    V_VT(result.ptr()) = VT_EMPTY;
    return S_OK;
}

HRESULT PutLong(IDispatch* object, DISPID member, LONG value) {
    VARIANT arg = LongValue(value);
    return InvokeById(object, member, DISPATCH_PROPERTYPUT, &arg, 1, nullptr);
}

HRESULT GetLong(IDispatch* object, DISPID member, LONG* value) {
    UniqueVariant result;
    HRESULT hr = InvokeById(object, member, DISPATCH_PROPERTYGET, nullptr, 0, result.ptr());
    if (SUCCEEDED(hr) && result.vt() != VT_I4) hr = VariantChangeType(result.ptr(), result.ptr(), 0, VT_I4);
    if (FAILED(hr)) return hr;
    *value = V_I4(result.ptr());
    return S_OK;
}

}  // namespace

HRESULT GridControl::Sheet(ComPtr<IDispatch>* sheet) const {
    if (!control_) return E_UNEXPECTED;
    return GetObjectProperty(control_.Get(), tessary::kDispidSheet, nullptr, 0, sheet);
}

namespace {

// Makes `call` on the grid's sheet object.
template <typename Call>
HRESULT WithSheet(const GridControl& grid, Call call) {
    ComPtr<IDispatch> sheet;
    HRESULT hr = grid.Sheet(&sheet);
    return FAILED(hr) ? hr : call(sheet.Get());
}

}  // namespace

HRESULT GridControl::PutRowCount(LONG rows) const {
    return WithSheet(*this, [&](IDispatch* sheet) { return PutLong(sheet, tessary::kDispidSheetRows, rows); });
}

HRESULT GridControl::GetRowCount(LONG* rows) const {
    return WithSheet(*this, [&](IDispatch* sheet) { return GetLong(sheet, tessary::kDispidSheetRows, rows); });
}

HRESULT GridControl::PutColumnCount(LONG columns) const {
    return WithSheet(*this, [&](IDispatch* sheet) { return PutLong(sheet, tessary::kDispidSheetCols, columns); });
}

HRESULT GridControl::GetColumnCount(LONG* columns) const {
    return WithSheet(*this, [&](IDispatch* sheet) { return GetLong(sheet, tessary::kDispidSheetCols, columns); });
}

HRESULT GridControl::Refresh() const {
    return WithSheet(*this, [](IDispatch* sheet) {
        return InvokeById(sheet, tessary::kDispidSheetRefresh, DISPATCH_METHOD, nullptr, 0, nullptr);
    });
}

HRESULT GridControl::Column(LONG column, ComPtr<IDispatch>* object) const {
    if (!control_) return E_UNEXPECTED;
    VARIANT arg = LongRefValue(&column);
    return GetObjectProperty(control_.Get(), tessary::kDispidColumn, &arg, 1, object);
}

HRESULT GridControl::GetColumnWidth(LONG column, VARIANT* width) const {
    ComPtr<IDispatch> object;
    HRESULT hr = Column(column, &object);
    return FAILED(hr) ? hr : InvokeById(object.Get(), tessary::kDispidColumnWidth, DISPATCH_PROPERTYGET, nullptr, 0, width);
}

HRESULT GridControl::PutColumnWidth(LONG column, const VARIANT& width) const {
    ComPtr<IDispatch> object;
    HRESULT hr = Column(column, &object);
    if (FAILED(hr)) return hr;
    VARIANT arg = width;
    return InvokeById(object.Get(), tessary::kDispidColumnWidth, DISPATCH_PROPERTYPUT, &arg, 1, nullptr);
}

HRESULT GridControl::MarkRow(LONG index) const {
    if (!control_) return E_UNEXPECTED;
    VARIANT arg = LongValue(index);
    ComPtr<IDispatch> row;
    HRESULT hr = GetObjectProperty(control_.Get(), tessary::kDispidRow, &arg, 1, &row);
    if (FAILED(hr)) return hr;
    VARIANT mark = BoolValue(true);
    return InvokeById(row.Get(), tessary::kDispidRowMark, DISPATCH_PROPERTYPUT, &mark, 1, nullptr);
}

}  // namespace ambrelle
