// The control's outgoing events: one connection point for the event
// dispinterface, any number of sinks, and the enumerators OLE asks for.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <wrl/client.h>

#include <vector>

#include "com_object.h"

namespace tessary {

// Lives inside the control: its lifetime is the control's (AddRef and Release
// go to the control), while QueryInterface answers for the connection point.
class EventConnectionPoint final
    : public ambrelle::InterfaceTable<ambrelle::Answers<IConnectionPoint, IID_IUnknown, IID_IConnectionPoint>> {
public:
    // on_advise runs after a sink has connected.
    EventConnectionPoint(IUnknown* outer, IConnectionPointContainer* container, void (*on_advise)(void*),
                         void* context);
    ~EventConnectionPoint();

    STDMETHODIMP_(ULONG) AddRef() override { return outer_->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return outer_->Release(); }

    STDMETHODIMP GetConnectionInterface(IID* iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections** connections) override;

    bool HasSinks() const { return !sinks_.empty(); }
    // Invokes the event on every sink, in the order they connected. S_FALSE
    // when no sink is connected, the first failure when one failed (the
    // others are still called), S_OK otherwise.
    HRESULT Fire(DISPID event, DISPPARAMS* params);
    // Drops every sink (the control is closing).
    void DisconnectAll() { sinks_.clear(); }

private:
    struct Sink {
        DWORD cookie;
        Microsoft::WRL::ComPtr<IDispatch> dispatch;
    };

    IUnknown* outer_;
    IConnectionPointContainer* container_;
    void (*on_advise_)(void*);
    void* context_;
    std::vector<Sink> sinks_;
    DWORD next_cookie_ = 1;
};

// Enumerates the control's one connection point.
HRESULT CreateConnectionPointEnumerator(IConnectionPoint* point, IEnumConnectionPoints** out);

}  // namespace tessary
