// Type information from a module's own embedded type library, and IDispatch through it.
#pragma once

#include <windows.h>
#include <ole2.h>

namespace ambrelle {

// The type library embedded in module (TYPELIB 1), from a path of any length:
// one that the platform's loader cannot open as it stands (longer than
// MAX_PATH) is opened by its short form.
HRESULT LoadModuleTypeLib(HMODULE module, ITypeLib** typelib);

// The ITypeInfo that describes riid in the type library embedded in module (TYPELIB 1).
// For a dual interface this is its vtable half, which DispInvoke needs.
HRESULT LoadModuleTypeInfo(HMODULE module, REFIID riid, ITypeInfo** info);

// IDispatch::Invoke through a type info, for objects whose interface is
// described by that type info. Arguments that late-bound clients pass as
// VT_BYREF|VT_VARIANT (VBScript variables) are unwrapped first, so a typed
// parameter accepts them; values a member writes back through such a
// parameter are copied back into the client's variant.
HRESULT InvokeThroughTypeInfo(ITypeInfo* info, void* object, DISPID member, WORD flags, DISPPARAMS* params,
                              VARIANT* result, EXCEPINFO* excep, UINT* arg_err);

}  // namespace ambrelle
