// IDispatch written by hand, for an object that has no type information to
// give: it writes GetIDsOfNames and Invoke itself.
#pragma once

#include <windows.h>
#include <ole2.h>

namespace ambrelle {

class DispatchWithoutTypeInfo : public IDispatch {
public:
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (!info) return E_POINTER;
        *info = nullptr;
        return DISP_E_BADINDEX;
    }
};

}  // namespace ambrelle
