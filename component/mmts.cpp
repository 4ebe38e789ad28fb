#include "mmts.h"

#include <wrl/client.h>

#include "com_error.h"
#include "late_binding.h"
#include "share_props.h"
#include "unique_variant.h"
#include "variant_values.h"
#include "vb_conversions.h"

using Microsoft::WRL::ComPtr;

namespace ambrelle {

namespace {

const GUID kNoInterface = {};

HRESULT CallGetProperty(IDispatch* service, LONG* process_id, BSTR* name, VARIANT* result) {
    VARIANT args[2] = {BstrRefValue(name), LongRefValue(process_id)};  // the name, last argument first
    return CallByName(service, share_props::kGetProperty, args, 2, result);
}

// Set v = value: an object reference, or Nothing.
HRESULT TakeAsObject(VARIANT* value) {
    HRESULT hr = VariantCopyInd(value, value);
    if (FAILED(hr)) return hr;
    if (V_VT(value) == VT_DISPATCH || V_VT(value) == VT_UNKNOWN) return S_OK;
    return RaiseAutomationError(kObjectRequired);
}

// v = value: an object gives its default value.
HRESULT TakeAsPlainValue(VARIANT* value) {
    HRESULT hr = VariantCopyInd(value, value);
    if (FAILED(hr)) return hr;
    if (V_VT(value) != VT_DISPATCH) return S_OK;
    IDispatch* object = V_DISPATCH(value);
    if (!object) return RaiseObjectNotSet();
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    UniqueVariant default_value;
    EXCEPINFO excep = {};
    hr = object->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET | DISPATCH_METHOD, &none,
                        default_value.ptr(), &excep, nullptr);
    if (hr == DISP_E_EXCEPTION) return RaiseFromExcepInfo(excep, kNoInterface);
    if (FAILED(hr)) return RaiseAutomationError(kMemberNotSupported);
    VariantClear(value);
    default_value.release_to(value);
    return S_OK;
}

}  // namespace

HRESULT GetShareProperty(BSTR* name, VARIANT* value) {
    VariantInit(value);
    LONG process_id = static_cast<LONG>(GetCurrentProcessId());

    ComPtr<IDispatch> service;
    HRESULT hr = CreateObjectByProgId(share_props::kProgId, &service);
    if (FAILED(hr)) return hr;

    UniqueVariant probe;
    hr = CallGetProperty(service.Get(), &process_id, name, probe.ptr());
    if (FAILED(hr)) return hr;
    const bool is_object = HoldsObject(probe.get());
    probe.reset();

    UniqueVariant result;
    hr = CallGetProperty(service.Get(), &process_id, name, result.ptr());
    if (FAILED(hr)) return hr;
    hr = is_object ? TakeAsObject(result.ptr()) : TakeAsPlainValue(result.ptr());
    if (FAILED(hr)) return hr;
    result.release_to(value);
    return S_OK;
}

HRESULT GetPropsString(UniqueBstr* props) {
    UniqueBstr name(share_props::kPropsString);
    UniqueVariant value;
    BSTR name_variable = name.get();
    HRESULT hr = GetShareProperty(&name_variable, value.put());
    if (name_variable != name.get()) {
        // The service replaced the string through the reference and freed the old one.
        name.release();
        name.reset(name_variable);
    }
    if (FAILED(hr)) return hr;
    return ToText(value.get(), props);
}

}  // namespace ambrelle
