// An object whose default value (DISPID_VALUE, also named "Value") is a
// text: what GetProperty answers when a test steers it to answer an object.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <string>

#include "com_object.h"
#include "dispatch_support.h"

namespace ambrelle {

class TextValueObject final : public ComObject<Answers<DispatchWithoutTypeInfo, IID_IUnknown, IID_IDispatch>> {
public:
    static HRESULT Create(const std::wstring& text, IDispatch** object);

    // IDispatch, written by hand: one read-only property
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID member, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, UINT* arg_err) override;

private:
    explicit TextValueObject(const std::wstring& text) : text_(text) {}
    ~TextValueObject() = default;

    std::wstring text_;
};

}  // namespace ambrelle
