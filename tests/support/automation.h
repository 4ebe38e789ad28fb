// Late-bound calls for test programs: members by name, arguments as VARIANTs
// in the caller's order.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <wrl/client.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "unique_variant.h"
#include "variant_values.h"

namespace ambrelle_test {

// A failed call: the HRESULT and what EXCEPINFO carried.
struct CallError {
    HRESULT hr = S_OK;
    HRESULT scode = S_OK;
    std::wstring source;
    std::wstring description;
};

inline Microsoft::WRL::ComPtr<IDispatch> CreateByProgId(const wchar_t* prog_id) {
    Microsoft::WRL::ComPtr<IDispatch> object;
    CLSID clsid;
    if (SUCCEEDED(CLSIDFromProgID(prog_id, &clsid)))
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&object));
    return object;
}

// Copies of VARIANTs that the call may read; the caller keeps its own.
inline HRESULT CallByName(IDispatch* object, const wchar_t* name, WORD flags, std::initializer_list<VARIANT> args,
                          VARIANT* result, CallError* error = nullptr) {
    DISPID id;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    std::vector<VARIANT> reversed(args.begin(), args.end());
    std::vector<VARIANT> in_order(reversed.rbegin(), reversed.rend());
    DISPID put = DISPID_PROPERTYPUT;
    const bool is_put = flags == DISPATCH_PROPERTYPUT;
    DISPPARAMS params = {in_order.data(), is_put ? &put : nullptr, static_cast<UINT>(in_order.size()),
                         is_put ? 1u : 0u};
    EXCEPINFO excep = {};
    hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &excep, nullptr);
    if (error) {
        error->hr = hr;
        error->scode = excep.scode;
        error->source = excep.bstrSource ? excep.bstrSource : L"";
        error->description = excep.bstrDescription ? excep.bstrDescription : L"";
    }
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrHelpFile);
    return hr;
}

inline HRESULT Call(IDispatch* object, const wchar_t* name, std::initializer_list<VARIANT> args = {},
                    VARIANT* result = nullptr) {
    return CallByName(object, name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args, result);
}

inline VARIANT Long(LONG value) { return ambrelle::LongValue(value); }
inline VARIANT Bool(bool value) { return ambrelle::BoolValue(value); }
inline VARIANT Null() { return ambrelle::NullValue(); }
inline VARIANT Empty() { return ambrelle::EmptyValue(); }
inline VARIANT Double(double value) { return ambrelle::DoubleValue(value); }

// A BSTR VARIANT that frees its string when the owner goes.
class Text {
public:
    explicit Text(const std::wstring& text) {
        V_VT(value_.ptr()) = VT_BSTR;
        V_BSTR(value_.ptr()) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    }
    operator VARIANT() const { return value_.get(); }

private:
    ambrelle::UniqueVariant value_;
};

inline LONG GetLong(IDispatch* object, const wchar_t* name, std::initializer_list<VARIANT> args = {}) {
    ambrelle::UniqueVariant result;
    if (FAILED(CallByName(object, name, DISPATCH_PROPERTYGET, args, result.ptr()))) return -999999;
    if (FAILED(VariantChangeType(result.ptr(), result.ptr(), 0, VT_I4))) return -999998;
    return V_I4(result.ptr());
}

inline std::wstring GetText(IDispatch* object, const wchar_t* name, std::initializer_list<VARIANT> args = {}) {
    ambrelle::UniqueVariant result;
    if (FAILED(CallByName(object, name, DISPATCH_PROPERTYGET, args, result.ptr()))) return L"<failed>";
    if (FAILED(VariantChangeType(result.ptr(), result.ptr(), 0, VT_BSTR))) return L"<not text>";
    return std::wstring(V_BSTR(result.ptr()), SysStringLen(V_BSTR(result.ptr())));
}

}  // namespace ambrelle_test
