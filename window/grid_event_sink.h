// Receives the grid's events and hands its row-text requests to the window.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "com_object.h"
#include "dispatch_by_id.h"
#include "tessary.h"

namespace ambrelle {

class FrmValidateQuery;

class GridEventSink final
    : public UncountedComObject<Answers<DispatchById, IID_IUnknown, IID_IDispatch, tessary::DIID_Events>> {
public:
    explicit GridEventSink(FrmValidateQuery* window) : window_(window) {}
    // The window is gone: later events are ignored.
    void Disconnect() { window_ = nullptr; }

    STDMETHODIMP Invoke(DISPID member, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, UINT* arg_err) override;

private:
    ~GridEventSink() = default;
    FrmValidateQuery* window_;
};

}  // namespace ambrelle
