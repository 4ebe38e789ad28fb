// Receives the grid's events and hands its row-text requests to the window.
#pragma once

#include <windows.h>
#include <ole2.h>

namespace ambrelle {

class FrmValidateQuery;

class GridEventSink final : public IDispatch {
public:
    explicit GridEventSink(FrmValidateQuery* window) : window_(window) {}
    // The window is gone: later events are ignored.
    void Disconnect() { window_ = nullptr; }

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID member, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, UINT* arg_err) override;

private:
    ~GridEventSink() = default;
    LONG refs_ = 1;
    FrmValidateQuery* window_;
};

}  // namespace ambrelle
