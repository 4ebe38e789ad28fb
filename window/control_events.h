// The event set of an ActiveX control as the control's own type information
// describes it: its default source interface, and the dispatch id of the
// event at a given position of that interface.
#pragma once

#include <windows.h>
#include <ole2.h>

namespace ambrelle {

struct ControlEvent {
    IID events_iid = IID_NULL;
    DISPID dispid = DISPID_UNKNOWN;
};

// Finds the control's default source interface through IProvideClassInfo2,
// IProvideClassInfo, or the coclass of its class identifier in its registered
// type library, and the event at `position` (from 0) of that interface.
// Fails with the component's own error when the control describes no such
// event.
HRESULT FindControlEvent(IUnknown* control, UINT position, ControlEvent* event);

}  // namespace ambrelle
