#include "share_props_object.h"

#include <string>

#include "dispatch_support.h"
#include "shared_state.h"
#include "text_value_object.h"
#include "unique_variant.h"

namespace ambrelle {
namespace {

constexpr wchar_t kSource[] = L"Venlock.ShareProps";

}  // namespace

HRESULT SharePropsObject::Create(REFIID riid, void** object) {
    return CreateAndQuery(new (std::nothrow) SharePropsObject(), riid, object);
}

HRESULT SharePropsObject::InvokeMember(DISPID member, WORD flags, DISPPARAMS* params, VARIANT* result,
                                       EXCEPINFO* excep, UINT* arg_err) {
    if (result) VariantInit(result);
    if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
    if (member == kDispidGetProperty) return GetProperty(params, result, excep, arg_err);
    if (member == kDispidSetProperty) return SetProperty(params, excep, arg_err);
    return DISP_E_MEMBERNOTFOUND;
}

// The arguments stand in reverse order: rgvarg[1] is the process id, rgvarg[0] the name.
HRESULT SharePropsObject::GetProperty(DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep, UINT* arg_err) {
    HRESULT hr = CheckArguments(params, 2);
    if (FAILED(hr)) return hr;
    PropertyCall call;
    call.arg_count = static_cast<LONG>(params->cArgs);
    call.arg_types[0] = V_VT(&params->rgvarg[1]);
    call.arg_types[1] = V_VT(&params->rgvarg[0]);
    hr = ArgumentAsLong(&params->rgvarg[1], &call.process_id);
    if (FAILED(hr)) {
        if (arg_err) *arg_err = 1;
        return hr;
    }
    hr = ArgumentAsText(&params->rgvarg[0], &call.name);
    if (FAILED(hr)) {
        if (arg_err) *arg_err = 0;
        return hr;
    }
    PropertyDecision decision;
    hr = SharedState::Instance().RecordCall(call, &decision);
    if (FAILED(hr)) return ReportDispatchFailure(hr, kSource, L"The property could not be copied.", excep);
    UniqueVariant answer;
    switch (decision.answer) {
    case PropertyAnswer::kError:
        return ReportDispatchFailure(decision.error, decision.error_source.c_str(),
                                     decision.error_description.c_str(), excep);
    case PropertyAnswer::kObject:
        V_VT(answer.ptr()) = VT_DISPATCH;
        hr = TextValueObject::Create(decision.text, &V_DISPATCH(answer.ptr()));
        if (FAILED(hr)) {
            V_VT(answer.ptr()) = VT_EMPTY;
            return hr;
        }
        break;
    case PropertyAnswer::kFromStore:
    case PropertyAnswer::kValue:
        answer = std::move(decision.value);
        break;
    }
    if (result) answer.release_to(result);
    return S_OK;
}

// rgvarg[2] is the process id, rgvarg[1] the name, rgvarg[0] the value.
HRESULT SharePropsObject::SetProperty(DISPPARAMS* params, EXCEPINFO* excep, UINT* arg_err) {
    HRESULT hr = CheckArguments(params, 3);
    if (FAILED(hr)) return hr;
    LONG process_id = 0;
    hr = ArgumentAsLong(&params->rgvarg[2], &process_id);
    if (FAILED(hr)) {
        if (arg_err) *arg_err = 2;
        return hr;
    }
    std::wstring name;
    hr = ArgumentAsText(&params->rgvarg[1], &name);
    if (FAILED(hr)) {
        if (arg_err) *arg_err = 1;
        return hr;
    }
    if (name.empty()) return ReportDispatchFailure(E_INVALIDARG, kSource, L"A property needs a name.", excep);
    hr = SharedState::Instance().Publish(process_id, name, *ArgumentValue(&params->rgvarg[0]));
    if (hr == DISP_E_TYPEMISMATCH)
        return ReportDispatchFailure(hr, kSource, L"A shared property holds a value, not an object.", excep);
    if (FAILED(hr)) return ReportDispatchFailure(hr, kSource, L"The property could not be stored.", excep);
    return S_OK;
}

}  // namespace ambrelle
