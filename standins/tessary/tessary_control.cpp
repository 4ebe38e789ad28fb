// The control's identity, its automation interface and its events.
#include "tessary_control.h"

#include <string>

#include "automation_objects.h"
#include "com_error.h"
#include "tessary_identity.h"
#include "type_info.h"
#include "variant_values.h"

using Microsoft::WRL::ComPtr;
using ambrelle::BstrRefValue;
using ambrelle::LongRefValue;
using ambrelle::LongValue;
using ambrelle::ShortRefValue;
using ambrelle::ShortValue;
using ambrelle::SingleValue;

namespace tessary {

namespace {

constexpr wchar_t kSource[] = L"TESSARYLib.Tessary";

// The number a late-bound caller passed: by value, by reference, or as a
// reference to a VARIANT that holds it.
HRESULT NumberArgument(const VARIANT& argument, LONG* number) {
    const VARIANT* value = &argument;
    while (V_VT(value) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(value)) value = V_VARIANTREF(value);
    VARIANT converted;
    VariantInit(&converted);
    HRESULT hr = VariantChangeType(&converted, const_cast<VARIANT*>(value), 0, VT_I4);
    if (FAILED(hr)) return hr;
    *number = V_I4(&converted);
    return S_OK;
}

std::wstring Text(const wchar_t* format, LONG a, LONG b) {
    wchar_t text[200];
    wsprintfW(text, format, a, b);
    return text;
}

}  // namespace

HRESULT TessaryControl::Create(REFIID riid, void** object) {
    return ambrelle::CreateAndQuery(new (std::nothrow) TessaryControl(), riid, object);
}

TessaryControl::TessaryControl()
    : events_(static_cast<ITessary*>(this), static_cast<IConnectionPointContainer*>(this),
              &TessaryControl::OnSinkConnected, this) {
    // 320 by 200 pixels at 96 DPI until the container says otherwise.
    extent_himetric_.cx = MulDiv(320, 2540, 96);
    extent_himetric_.cy = MulDiv(200, 2540, 96);
    UpdateFont();
}

TessaryControl::~TessaryControl() {
    if (view_) {
        view_->Detach();
        view_->DestroyWindow();
        view_->Release();
        view_ = nullptr;
    }
    if (font_) DeleteObject(font_);
}

HRESULT TessaryControl::TypeInfoOf(REFIID iid, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    for (const auto& known : type_infos_) {
        if (known.first == iid) return known.second.CopyTo(info);
    }
    ComPtr<ITypeInfo> loaded;
    HRESULT hr = ambrelle::LoadModuleTypeInfo(ambrelle::ThisModule(), iid, &loaded);
    if (FAILED(hr)) return hr;
    try {
        type_infos_.emplace_back(iid, loaded);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return loaded.CopyTo(info);
}

// ---------------------------------------------------------------------------
// ITessary

STDMETHODIMP TessaryControl::Invoke(DISPID member, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                    VARIANT* result, EXCEPINFO* excep, UINT* arg_err) {
    // The container asks for the sheet (for the row count) and for a row
    // object (for its mark) while it answers each row-text request: these
    // two reads, with their declared arguments, skip the type library.
    const bool sheet = member == kDispidSheet && ambrelle::IsPropertyGet(flags, params, 0);
    const bool row = member == kDispidRow && ambrelle::IsPropertyGet(flags, params, 1) &&
                     V_VT(&params->rgvarg[0]) == VT_I4;
    if (riid != IID_NULL || (!sheet && !row))
        return TypeInfoDispatch::Invoke(member, riid, lcid, flags, params, result, excep, arg_err);
    IDispatch* object = nullptr;
    HRESULT hr = sheet ? get_Sheet(&object) : get_Row(params->rgvarg[0], &object);
    if (FAILED(hr)) return ambrelle::AnswerOfDirectCall(hr, excep);
    if (result) {
        V_VT(result) = VT_DISPATCH;
        V_DISPATCH(result) = object;  // the caller's variant holds nothing to free
    } else {
        object->Release();
    }
    return S_OK;
}

STDMETHODIMP TessaryControl::get_Sheet(IDispatch** sheet) {
    if (!sheet) return E_POINTER;
    *sheet = static_cast<ITessarySheet*>(&sheet_);
    (*sheet)->AddRef();
    return S_OK;
}

STDMETHODIMP TessaryControl::get_Column(VARIANT number, IDispatch** column) {
    if (!column) return E_POINTER;
    *column = nullptr;
    LONG value = 0;
    if (FAILED(NumberArgument(number, &value)))
        return ambrelle::RaiseComError(DISP_E_TYPEMISMATCH, IID_ITessary, kSource, L"A column number is a number.");
    if (value < 1 || value > model_.column_count())
        return ambrelle::RaiseComError(
            DISP_E_BADINDEX, IID_ITessary, kSource,
            Text(L"There is no column %d: the grid has %d columns, numbered from 1.", value, model_.column_count())
                .c_str());
    return CreateColumnObject(this, value, column);
}

STDMETHODIMP TessaryControl::get_Row(VARIANT index, IDispatch** row) {
    if (!row) return E_POINTER;
    *row = nullptr;
    LONG value = 0;
    if (FAILED(NumberArgument(index, &value)))
        return ambrelle::RaiseComError(DISP_E_TYPEMISMATCH, IID_ITessary, kSource, L"A row index is a number.");
    if (value < 0 || value >= model_.row_count())
        return ambrelle::RaiseComError(
            DISP_E_BADINDEX, IID_ITessary, kSource,
            Text(L"There is no row with index %d: the grid has %d rows, indexed from 0.", value, model_.row_count())
                .c_str());
    return CreateRowObject(this, value + 1, row);
}

STDMETHODIMP TessaryControl::get_hWnd(LONG* window) {
    if (!window) return E_POINTER;
    *window = view_ ? static_cast<LONG>(reinterpret_cast<LONG_PTR>(view_->hwnd())) : 0;
    return S_OK;
}

// ---------------------------------------------------------------------------
// Changes made through the sheet, column and row objects

void TessaryControl::RowCountChanged() {
    if (view_) view_->RowCountChanged();
    NotifyViewChange();
}

void TessaryControl::ColumnsChanged() {
    if (view_) view_->ColumnsChanged();
    NotifyViewChange();
}

void TessaryControl::RowMarkChanged(LONG row) {
    if (view_) view_->RowMarkChanged(row);
    NotifyViewChange();
}

void TessaryControl::RefreshRows() {
    if (view_) view_->Refresh();
    NotifyViewChange();
}

void TessaryControl::NotifyViewChange() {
    if (view_sink_ && (view_sink_aspects_ & DVASPECT_CONTENT)) view_sink_->OnViewChange(DVASPECT_CONTENT, -1);
}

// ---------------------------------------------------------------------------
// Events

void TessaryControl::OnSinkConnected(void* control) {
    // Rows nobody could answer before are asked for now.
    auto* self = static_cast<TessaryControl*>(control);
    if (self->view_) self->view_->Redraw();
}

HRESULT TessaryControl::RequestRowText(LONG row, std::wstring* text, COLORREF* colour) {
    if (!EventsFlow()) return S_FALSE;
    BSTR value = SysAllocString(L"");
    if (!value) return E_OUTOFMEMORY;
    LONG colour_value = static_cast<LONG>(*colour);
    LONG reserved = 0;
    // Arguments in reverse order: Reserved, Color, Text, Row.
    VARIANT args[kRowTextRequestArgCount] = {LongRefValue(&reserved), LongRefValue(&colour_value),
                                             BstrRefValue(&value), LongValue(row)};
    DISPPARAMS params = {args, nullptr, kRowTextRequestArgCount, 0};
    HRESULT hr = events_.Fire(kDispidRowTextRequest, &params);
    if (hr == S_OK) {
        try {
            text->assign(value ? value : L"", SysStringLen(value));
        } catch (const std::bad_alloc&) {
            hr = E_OUTOFMEMORY;
        }
        // A system colour (OLE_COLOR) is taken as the colour it stands for.
        COLORREF translated;
        if (SUCCEEDED(OleTranslateColor(static_cast<OLE_COLOR>(colour_value), nullptr, &translated)))
            *colour = translated;
    }
    SysFreeString(value);
    return hr;
}

void TessaryControl::FireMouse(DISPID event, short button, short shift, float x_twips, float y_twips) {
    if (!EventsFlow()) return;
    VARIANT args[4] = {SingleValue(y_twips), SingleValue(x_twips), ShortValue(shift), ShortValue(button)};
    DISPPARAMS params = {args, nullptr, 4, 0};
    events_.Fire(event, &params);
}

void TessaryControl::FireKey(DISPID event, short* key, short shift) {
    if (!EventsFlow()) return;
    VARIANT args[2];
    UINT count = 0;
    if (event != kDispidKeyPress) args[count++] = ShortValue(shift);
    args[count++] = ShortRefValue(key);
    DISPPARAMS params = {args, nullptr, count, 0};
    events_.Fire(event, &params);
}

void TessaryControl::FireSimple(DISPID event) {
    if (!EventsFlow()) return;
    DISPPARAMS params = {nullptr, nullptr, 0, 0};
    events_.Fire(event, &params);
}

IDispatch* TessaryControl::DispatchForWindow() {
    ITessary* dispatch = this;
    dispatch->AddRef();
    return dispatch;
}

// ---------------------------------------------------------------------------
// IConnectionPointContainer and IProvideClassInfo2

STDMETHODIMP TessaryControl::EnumConnectionPoints(IEnumConnectionPoints** points) {
    if (!points) return E_POINTER;
    *points = nullptr;
    return CreateConnectionPointEnumerator(&events_, points);
}

STDMETHODIMP TessaryControl::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
    if (!point) return E_POINTER;
    *point = nullptr;
    if (riid != DIID__DTessaryEvents) return CONNECT_E_NOCONNECTION;
    *point = &events_;
    events_.AddRef();
    return S_OK;
}

STDMETHODIMP TessaryControl::GetClassInfo(ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    return ambrelle::LoadModuleTypeInfo(ambrelle::ThisModule(), CLSID_Tessary, info);
}

STDMETHODIMP TessaryControl::GetGUID(DWORD kind, GUID* guid) {
    if (!guid) return E_POINTER;
    *guid = GUID_NULL;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
    *guid = DIID__DTessaryEvents;
    return S_OK;
}

}  // namespace tessary
