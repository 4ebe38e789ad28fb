// IDispatch of an object whose interface is described by its own module's
// type library: an object keeps one of these and forwards its four IDispatch
// methods to it.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <wrl/client.h>

namespace ambrelle {

class TypeInfoDispatch {
public:
    // iid: the interface, described in the type library embedded in this module.
    explicit TypeInfoDispatch(REFIID iid) : iid_(iid) {}

    HRESULT GetTypeInfoCount(UINT* count);
    HRESULT GetTypeInfo(UINT index, ITypeInfo** info);
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, DISPID* ids);
    // object: the object's pointer for the described interface.
    HRESULT Invoke(void* object, DISPID member, REFIID riid, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* excep, UINT* arg_err);

private:
    HRESULT EnsureTypeInfo();

    IID iid_;
    Microsoft::WRL::ComPtr<ITypeInfo> info_;
};

}  // namespace ambrelle
