// The session properties lookup: the host publishes its session string in the
// shared-properties service under its own process id.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "unique_bstr.h"

namespace ambrelle {

// The value of one shared property of this process, as the service returns it.
// GetProperty is called twice: the first result tells whether the property is
// an object, the second is taken as an object reference or as a plain value.
HRESULT GetShareProperty(BSTR* name, VARIANT* value);

// The host's session properties string ("PropsString"), as text.
HRESULT GetPropsString(UniqueBstr* props);

}  // namespace ambrelle
