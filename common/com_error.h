// Raising and reading COM error information (IErrorInfo).
#pragma once

#include <windows.h>
#include <ole2.h>
#include <string>

namespace ambrelle {

// Records number, source and description as the thread's error object
// (SetErrorInfo) and returns hr, so a method can `return RaiseComError(...)`.
HRESULT RaiseComError(HRESULT hr, REFGUID iid, const wchar_t* source, const wchar_t* description);

// A failure that carries no error information of its own (a platform call,
// creating an object): an error object that an earlier, successful call left
// on the thread is not this failure's, and is cleared. Returns hr.
HRESULT FailedWithoutErrorInfo(HRESULT hr);

// A failed call of `object` through its interface `iid`: the thread's error
// object describes it only when the object says it supports error
// information for that interface (ISupportErrorInfo); otherwise it is an
// older error's, and is cleared. Returns hr.
HRESULT FailedCall(IUnknown* object, REFIID iid, HRESULT hr);

// Number, source and description of a failure as a caller sees them.
struct ComErrorDetails {
    HRESULT hr = S_OK;
    std::wstring source;
    std::wstring description;
};

// Takes the thread's current error object (GetErrorInfo clears it) for hr.
ComErrorDetails TakeComError(HRESULT hr);

// Fills EXCEPINFO from the thread's error object after a failing call.
void FillExcepInfoFromErrorInfo(HRESULT hr, EXCEPINFO* excep);

// Re-raises an EXCEPINFO filled by IDispatch::Invoke as the thread's error
// object, and returns the failing HRESULT it carries (scode, or one made from
// wCode, or E_FAIL: never a success code).
HRESULT RaiseFromExcepInfo(EXCEPINFO& excep, REFGUID iid);

}  // namespace ambrelle

namespace ambrelle {

// Keeps the thread's error object across clean-up work that makes COM calls of
// its own, so the failure that ended a procedure is the one its caller sees.
class PreservedErrorInfo {
public:
    PreservedErrorInfo() { GetErrorInfo(0, &info_); }
    ~PreservedErrorInfo() {
        if (info_) SetErrorInfo(0, info_);
        if (info_) info_->Release();
    }
    PreservedErrorInfo(const PreservedErrorInfo&) = delete;
    PreservedErrorInfo& operator=(const PreservedErrorInfo&) = delete;

private:
    IErrorInfo* info_ = nullptr;
};

}  // namespace ambrelle
