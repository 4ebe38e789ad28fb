// Self-registration of an in-process COM server: type library, classes, ProgIDs, interfaces.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <string>

namespace ambrelle {

struct ClassRegistration {
    const CLSID* clsid;
    const wchar_t* name;             // default value of the CLSID key
    const wchar_t* prog_id;          // e.g. L"Ambrelle.ClsValidate"
    const wchar_t* threading_model;  // e.g. L"Apartment"
    const GUID* libid;               // type library of the class, or nullptr
    bool control = false;            // an ActiveX control: also the "Control" marker key
    // A class other servers may serve too (a platform class): its keys are
    // removed only while they name this module.
    bool only_while_ours = false;
};

// Registers the type library embedded as TYPELIB 1 in the module. SELFREG_E_TYPELIB on failure.
HRESULT RegisterModuleTypeLib(HMODULE module);
// Removes the type library's registration (keys and interface entries). SELFREG_E_TYPELIB on failure.
HRESULT UnregisterModuleTypeLib(HMODULE module);

// Writes the CLSID key (InprocServer32 = module path) and the ProgID both ways. SELFREG_E_CLASS on failure.
HRESULT RegisterClassKeys(HMODULE module, const ClassRegistration& reg);
// Removes what RegisterClassKeys wrote. SELFREG_E_CLASS on failure.
HRESULT UnregisterClassKeys(const ClassRegistration& reg);

// True when the class's InprocServer32 names module.
bool ClassServedBy(HMODULE module, REFCLSID clsid);

// Registers an interface IID marshaled by the automation marshaler and described by a type library.
HRESULT RegisterAutomationInterface(REFIID iid, const wchar_t* name, REFGUID libid, WORD major, WORD minor);
HRESULT UnregisterInterface(REFIID iid);

// The full path of a module, of any length.
std::wstring ModulePath(HMODULE module);

// "{xxxxxxxx-...}" of a GUID.
void GuidToString(REFGUID guid, wchar_t (&out)[39]);

}  // namespace ambrelle
