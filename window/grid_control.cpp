#include "grid_control.h"

#include "late_binding.h"
#include "tessary.h"
#include "unique_variant.h"

using Microsoft::WRL::ComPtr;

namespace ambrelle {

namespace {

HRESULT GetObjectProperty(IDispatch* object, DISPID member, VARIANT* args, UINT arg_count, ComPtr<IDispatch>* out) {
    UniqueVariant result;
    HRESULT hr = InvokeById(object, member, DISPATCH_PROPERTYGET, args, arg_count, result.ptr());
    if (FAILED(hr)) return hr;
    hr = VariantChangeType(result.ptr(), result.ptr(), 0, VT_DISPATCH);
    if (FAILED(hr) || !V_DISPATCH(result.ptr())) return FAILED(hr) ? hr : E_POINTER;
    *out = V_DISPATCH(result.ptr());
    return S_OK;
}

HRESULT PutLong(IDispatch* object, DISPID member, LONG value) {
    VARIANT arg;
    V_VT(&arg) = VT_I4;
    V_I4(&arg) = value;
    return InvokeById(object, member, DISPATCH_PROPERTYPUT, &arg, 1, nullptr);
}

HRESULT GetLong(IDispatch* object, DISPID member, LONG* value) {
    UniqueVariant result;
    HRESULT hr = InvokeById(object, member, DISPATCH_PROPERTYGET, nullptr, 0, result.ptr());
    if (SUCCEEDED(hr)) hr = VariantChangeType(result.ptr(), result.ptr(), 0, VT_I4);
    if (FAILED(hr)) return hr;
    *value = V_I4(result.ptr());
    return S_OK;
}

}  // namespace

HRESULT GridControl::Sheet(ComPtr<IDispatch>* sheet) const {
    if (!control_) return E_UNEXPECTED;
    return GetObjectProperty(control_.Get(), tessary::kDispidSheet, nullptr, 0, sheet);
}

HRESULT GridControl::PutRowCount(LONG rows) const {
    ComPtr<IDispatch> sheet;
    HRESULT hr = Sheet(&sheet);
    return FAILED(hr) ? hr : PutLong(sheet.Get(), tessary::kDispidSheetRows, rows);
}

HRESULT GridControl::GetRowCount(LONG* rows) const {
    ComPtr<IDispatch> sheet;
    HRESULT hr = Sheet(&sheet);
    return FAILED(hr) ? hr : GetLong(sheet.Get(), tessary::kDispidSheetRows, rows);
}

HRESULT GridControl::PutColumnCount(LONG columns) const {
    ComPtr<IDispatch> sheet;
    HRESULT hr = Sheet(&sheet);
    return FAILED(hr) ? hr : PutLong(sheet.Get(), tessary::kDispidSheetCols, columns);
}

HRESULT GridControl::GetColumnCount(LONG* columns) const {
    ComPtr<IDispatch> sheet;
    HRESULT hr = Sheet(&sheet);
    return FAILED(hr) ? hr : GetLong(sheet.Get(), tessary::kDispidSheetCols, columns);
}

HRESULT GridControl::Refresh() const {
    ComPtr<IDispatch> sheet;
    HRESULT hr = Sheet(&sheet);
    return FAILED(hr) ? hr : InvokeById(sheet.Get(), tessary::kDispidSheetRefresh, DISPATCH_METHOD, nullptr, 0, nullptr);
}

HRESULT GridControl::Column(LONG column, ComPtr<IDispatch>* object) const {
    if (!control_) return E_UNEXPECTED;
    VARIANT arg;
    V_VT(&arg) = VT_BYREF | VT_I4;
    V_I4REF(&arg) = &column;
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
    VARIANT arg;
    V_VT(&arg) = VT_I4;
    V_I4(&arg) = index;
    ComPtr<IDispatch> row;
    HRESULT hr = GetObjectProperty(control_.Get(), tessary::kDispidRow, &arg, 1, &row);
    if (FAILED(hr)) return hr;
    VARIANT mark;
    V_VT(&mark) = VT_BOOL;
    V_BOOL(&mark) = VARIANT_TRUE;
    return InvokeById(row.Get(), tessary::kDispidRowMark, DISPATCH_PROPERTYPUT, &mark, 1, nullptr);
}

}  // namespace ambrelle
