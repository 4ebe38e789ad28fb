// Receives the grid's events and hands its row-text requests to the window.
// The grid's event interface and the dispatch id of its row-text request are
// the control's own, read from its type information.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "com_object.h"
#include "control_events.h"
#include "dispatch_by_id.h"

namespace ambrelle {

class FrmValidateQuery;

class GridEventSink final : public UncountedComObject<Answers<DispatchById, IID_IUnknown, IID_IDispatch>> {
public:
    GridEventSink(FrmValidateQuery* window, const ControlEvent& row_text_request)
        : window_(window), row_text_request_(row_text_request) {}
    // The window is gone: later events are ignored.
    void Disconnect() { window_ = nullptr; }

    // Also answers the grid's event interface.
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP Invoke(DISPID member, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, UINT* arg_err) override;

private:
    using Base = UncountedComObject<Answers<DispatchById, IID_IUnknown, IID_IDispatch>>;
    ~GridEventSink() = default;
    FrmValidateQuery* window_;
    const ControlEvent row_text_request_;
};

}  // namespace ambrelle
