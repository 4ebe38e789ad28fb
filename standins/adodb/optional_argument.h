// Optional VARIANT arguments of the record set's methods: left out, or
// standing for no object at all.
#pragma once

#include <windows.h>
#include <oleauto.h>

namespace ado_standin {

// An optional VARIANT argument the caller left out.
bool IsMissing(const VARIANT& value);

// No source or connection: missing, Empty, Null, Nothing or an empty text.
bool IsNone(const VARIANT& value);

}  // namespace ado_standin
