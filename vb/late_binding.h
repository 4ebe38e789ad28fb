// Creating outside components by ProgID and calling their members by name.
#pragma once

#include <windows.h>
#include <ole2.h>

namespace ambrelle {

// CreateObject(prog_id): the object's IDispatch. A class that is not
// registered fails with the platform's error and a description naming it.
HRESULT CreateObjectByProgId(const wchar_t* prog_id, IDispatch** object);

// Calls a member, resolved by name, as a method returning a value; args are in
// IDispatch order (last argument first). A failure of the member is re-raised
// with the number, source and description it carried.
HRESULT CallByName(IDispatch* object, const wchar_t* member, VARIANT* args, UINT arg_count, VARIANT* result);

// Invokes a member by dispatch id; args in IDispatch order. A property put
// passes its value as the last element of args (args[0]).
HRESULT InvokeById(IDispatch* object, DISPID member, WORD flags, VARIANT* args, UINT arg_count, VARIANT* result);

}  // namespace ambrelle
