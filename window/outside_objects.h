// The settings and value components, one object each for a thread: created
// on the thread's first use and kept while its apartment lives. They are
// apartment-threaded objects, and nothing of the component is shared between
// threads, so every thread calls its own, directly, without marshalling.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "settings_store.h"
#include "value_tools.h"

namespace ambrelle {

// The calling thread's ValueTools object (an added reference).
HRESULT GetValueTools(IValueTools** tools);
// The calling thread's SettingsStore object (an added reference).
HRESULT GetSettingsStore(ISettingsStore** store);

// ValueOrDefault(field, "") of the value component: the field's value, or the
// empty text when it is Null.
HRESULT FieldValueOrEmpty(IDispatch* field, VARIANT* result);

// The thread's apartment is ending: its objects are released while their
// apartment can still run their code.
void ReleaseThreadOutsideObjects();

// The DLL is being unloaded, possibly after the components' own DLLs: the
// calling thread's objects are let go without calling into them.
void AbandonOutsideObjects();

}  // namespace ambrelle
