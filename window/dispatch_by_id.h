// IDispatch of an object its caller reaches by DISPID alone (an event sink,
// a site's ambient properties): no type information and no names. The
// object writes Invoke.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "dispatch_without_type_info.h"

namespace ambrelle {

class DispatchById : public DispatchWithoutTypeInfo {
public:
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return DISP_E_BADINDEX;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) override {
        for (UINT i = 0; ids && i < count; ++i) ids[i] = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }
};

}  // namespace ambrelle
