#include "grid_event_sink.h"

#include "com_error.h"
#include "frm_validate_query.h"

namespace ambrelle {

STDMETHODIMP GridEventSink::QueryInterface(REFIID riid, void** object) {
    if (object && riid == row_text_request_.events_iid && riid != IID_NULL) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    return Base::QueryInterface(riid, object);
}

STDMETHODIMP GridEventSink::Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO* excep,
                                   UINT* arg_err) {
    // The window handles only the row-text request; other events need no answer.
    if (member != row_text_request_.dispid || !window_) return S_OK;
    if (!params || params->cArgs != 4) return DISP_E_BADPARAMCOUNT;
    // Arguments in reverse order: reserved, colour, text, row.
    VARIANT row;
    VariantInit(&row);
    HRESULT hr = S_OK;
    if (V_VT(&params->rgvarg[3]) == VT_I4)
        row = params->rgvarg[3];  // a number: nothing of the caller's is held
    else
        hr = VariantChangeType(&row, &params->rgvarg[3], 0, VT_I4);
    if (FAILED(hr)) {
        if (arg_err) *arg_err = 3;
        return DISP_E_TYPEMISMATCH;
    }
    VARIANT& text = params->rgvarg[2];
    VARIANT& color = params->rgvarg[1];
    if (V_VT(&text) != (VT_BYREF | VT_BSTR) || V_VT(&color) != (VT_BYREF | VT_I4)) {
        if (arg_err) *arg_err = V_VT(&text) != (VT_BYREF | VT_BSTR) ? 2 : 1;
        return DISP_E_TYPEMISMATCH;
    }
    hr = window_->OnRowTextRequest(V_I4(&row), V_BSTRREF(&text), V_I4REF(&color));
    if (FAILED(hr)) {
        if (excep) {
            *excep = EXCEPINFO{};
            FillExcepInfoFromErrorInfo(hr, excep);
            excep->scode = hr;
        }
        return DISP_E_EXCEPTION;
    }
    return S_OK;
}

}  // namespace ambrelle
