// An object whose default value (DISPID_VALUE, also named "Value") is a
// text: what GetProperty answers when a test steers it to answer an object.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <string>

#include "server_module.h"

namespace ambrelle {

class TextValueObject final : public IDispatch {
public:
    static HRESULT Create(const std::wstring& text, IDispatch** object);

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch, written by hand: one read-only property
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID member, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, UINT* arg_err) override;

private:
    explicit TextValueObject(const std::wstring& text) : text_(text) {}
    ~TextValueObject() = default;

    LONG refs_ = 1;
    ModuleObjectCount module_count_;
    std::wstring text_;
};

}  // namespace ambrelle
