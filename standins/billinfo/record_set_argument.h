// The record-set argument of QueryValidate as the caller passed it: a
// reference to an object variable (VT_BYREF|VT_DISPATCH), a VBScript variable
// (VT_BYREF|VT_VARIANT), or an object by value, which can be filled but not
// replaced.
#pragma once

#include <windows.h>
#include <ole2.h>

namespace ambrelle {

class RecordSetArgument {
public:
    // DISP_E_TYPEMISMATCH for an argument that holds no object variable.
    HRESULT Bind(VARIANT* arg);

    // The object the argument holds now (may be null); not AddRef'd.
    IDispatch* Current() const;
    bool CanReplace() const { return dispatch_slot_ || variant_slot_; }
    // Puts another object (or Nothing) into the caller's variable, releasing the one it held.
    void Replace(IDispatch* object);

private:
    IDispatch** dispatch_slot_ = nullptr;
    VARIANT* variant_slot_ = nullptr;
    IDispatch* by_value_ = nullptr;
};

}  // namespace ambrelle
