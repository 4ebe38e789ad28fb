#include "steering_object.h"

#include <string>

#include "com_error.h"
#include "dispatch_support.h"
#include "out_values.h"
#include "shared_state.h"

namespace ambrelle {
namespace {

constexpr wchar_t kSource[] = L"Venlock.ShareProps.Steering";

HRESULT RaiseSteeringError(HRESULT hr, const wchar_t* description) {
    return RaiseComError(hr, IID_ISharePropsSteering, kSource, description);
}

}  // namespace

HRESULT SteeringObject::Create(REFIID riid, void** object) {
    return CreateAndQuery(new (std::nothrow) SteeringObject(), riid, object);
}

STDMETHODIMP SteeringObject::Reset() {
    SharedState::Instance().Reset();
    return S_OK;
}

STDMETHODIMP SteeringObject::AnswerWith(VARIANT value) {
    HRESULT hr = SharedState::Instance().AnswerWith(value);
    if (hr == DISP_E_TYPEMISMATCH)
        return RaiseSteeringError(E_INVALIDARG, L"AnswerWith takes a value; use AnswerWithObject for an object.");
    return hr;
}

STDMETHODIMP SteeringObject::AnswerWithObject(BSTR default_value) {
    SharedState::Instance().AnswerWithObject(TextOf(default_value));
    return S_OK;
}

STDMETHODIMP SteeringObject::FailWith(LONG number, BSTR source, BSTR description, LONG from_call) {
    const HRESULT error = ErrorNumberAsHresult(number);
    if (error == S_OK)
        return RaiseSteeringError(E_INVALIDARG, L"The error number must be a failing HRESULT or 1 to 65535.");
    if (from_call < 1) return RaiseSteeringError(E_INVALIDARG, L"Calls are counted from 1.");
    SharedState::Instance().FailWith(error, TextOf(source), TextOf(description), from_call);
    return S_OK;
}

STDMETHODIMP SteeringObject::AnswerFromStore() {
    SharedState::Instance().AnswerFromStore();
    return S_OK;
}

STDMETHODIMP SteeringObject::get_CallCount(BSTR name, LONG* count) {
    return ReturnValue(count, SharedState::Instance().CallCount(TextOf(name)));
}

STDMETHODIMP SteeringObject::get_TotalCalls(LONG* count) {
    return ReturnValue(count, SharedState::Instance().TotalCalls());
}

STDMETHODIMP SteeringObject::get_LastProcessId(LONG* process_id) {
    return ReturnValue(process_id, SharedState::Instance().LastCall().process_id);
}

STDMETHODIMP SteeringObject::get_LastName(BSTR* name) {
    return ReturnText(SharedState::Instance().LastCall().name, name);
}

STDMETHODIMP SteeringObject::get_LastArgType(LONG position, LONG* vartype) {
    if (!vartype) return E_POINTER;
    *vartype = 0;
    if (position < 1 || position > 2) return RaiseSteeringError(DISP_E_BADINDEX, L"GetProperty has arguments 1 and 2.");
    *vartype = SharedState::Instance().LastCall().arg_types[position - 1];
    return S_OK;
}

STDMETHODIMP SteeringObject::get_LastArgCount(LONG* count) {
    return ReturnValue(count, SharedState::Instance().LastCall().arg_count);
}

STDMETHODIMP SteeringObject::get_PublishedValue(LONG process_id, BSTR name, VARIANT* value) {
    if (!value) return E_POINTER;
    return SharedState::Instance().Published(process_id, TextOf(name), value);
}

}  // namespace ambrelle
