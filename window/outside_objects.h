// The settings and value components, one object each for the whole process:
// created on first use and kept until the DLL is unloaded.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "settings_store.h"
#include "value_tools.h"

namespace ambrelle {

// The process's ValueTools object (an added reference), created on first use.
HRESULT GetValueTools(IValueTools** tools);
// The process's SettingsStore object (an added reference), created on first use.
HRESULT GetSettingsStore(ISettingsStore** store);

// ValueOrDefault(field, "") of the value component: the field's value, or the
// empty text when it is Null.
HRESULT FieldValueOrEmpty(IDispatch* field, VARIANT* result);

// The DLL is being unloaded, possibly after the components' own DLLs: the
// kept objects are let go without calling into them.
void AbandonOutsideObjects();

}  // namespace ambrelle
