// The settings and value components, one object each for the whole process:
// created on first use and kept until the DLL is unloaded. They are
// apartment-threaded objects, so each is kept in the Global Interface Table
// and every apartment reaches it through the pointer the table gives that
// apartment (the object itself in its own apartment, a proxy elsewhere).
// When the apartment that created one ends, it is let go there, and the next
// use creates it anew.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "settings_store.h"
#include "value_tools.h"

namespace ambrelle {

// The process's ValueTools object for the calling apartment (an added reference).
HRESULT GetValueTools(IValueTools** tools);
// The process's SettingsStore object for the calling apartment (an added reference).
HRESULT GetSettingsStore(ISettingsStore** store);

// ValueOrDefault(field, "") of the value component: the field's value, or the
// empty text when it is Null.
HRESULT FieldValueOrEmpty(IDispatch* field, VARIANT* result);

// While one is alive on a thread (a window's show), the thread keeps the
// pointers it got from the table, so that each is fetched at most once; they
// are released when the outermost one ends.
class OutsideObjectsInUse {
public:
    OutsideObjectsInUse();
    ~OutsideObjectsInUse();
    OutsideObjectsInUse(const OutsideObjectsInUse&) = delete;
    OutsideObjectsInUse& operator=(const OutsideObjectsInUse&) = delete;
};

// The DLL is being unloaded, possibly after the components' own DLLs: the
// kept objects are let go without calling into them.
void AbandonOutsideObjects();

}  // namespace ambrelle
