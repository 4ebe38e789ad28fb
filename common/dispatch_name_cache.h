// The member ids of names already resolved through an interface's type
// information. Resolving a name walks every interface the described one
// inherits from (several levels for ADO's Recordset), which costs late-bound
// callers, who ask for the id before every call, several microseconds.
#pragma once

#include <windows.h>
#include <ole2.h>

namespace ambrelle {

// DispGetIDsOfNames, with the ids of single names (a member without named
// arguments) kept for every later call, per interface the type information
// describes. Names are matched without regard to case, as the type library
// matches them; names with characters beyond ASCII are not kept.
HRESULT CachedGetIDsOfNames(ITypeInfo* info, LPOLESTR* names, UINT count, DISPID* ids);

}  // namespace ambrelle
