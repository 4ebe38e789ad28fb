// The module object of an in-process COM server: its handle, the count of
// its live objects and class-factory locks, the class factory, and what each
// server DLL serves. The entry points every server DLL exports
// (server_exports.cpp, compiled into each) serve the DLL's ServerDefinition.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <new>

#include "registration.h"

namespace ambrelle {

// Live objects plus class-factory locks of this DLL.
void ModuleAddRef();
void ModuleRelease();
bool ModuleInUse();

// Counts one object of the module for as long as it lives.
class ModuleObjectCount {
public:
    ModuleObjectCount() { ModuleAddRef(); }
    ModuleObjectCount(const ModuleObjectCount&) : ModuleObjectCount() {}
    ModuleObjectCount& operator=(const ModuleObjectCount&) = default;
    ~ModuleObjectCount() { ModuleRelease(); }
};

// Loader references on this DLL, for code of it that COM may still call when
// the apartment that held the DLL has let it go (an initialize spy COM lets go
// of only after the call it is revoked in). A pin is taken while the DLL is
// certainly held (inside a call into it), retired once nothing can call that
// code any more, and given back by the next DllCanUnloadNow, which COM calls
// while it holds the DLL itself.
HMODULE TakeModulePin();
void RetireModulePin(HMODULE pin);
void ReleaseRetiredModulePins();
// Pins taken and not given back yet (retired ones included).
LONG ModulePinCount();

// The module handle of the DLL this code is linked into.
HMODULE ThisModule();
void SetThisModule(HMODULE module);

// Creates an object and queries it for riid; Create returns an object with one reference.
using CreateInstanceFn = HRESULT (*)(REFIID riid, void** object);

// A class factory for one class. It lives as long as the DLL and does not
// count as an object; it refuses aggregation.
class ClassFactory final : public IClassFactory {
public:
    explicit ClassFactory(CreateInstanceFn create) : create_(create) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
    STDMETHODIMP LockServer(BOOL lock) override;

private:
    CreateInstanceFn create_;
};

// One class a DLL serves: how it is registered, and its class object.
struct ServedClass {
    ServedClass(const ClassRegistration& registration, CreateInstanceFn create)
        : registration(registration), factory(create) {}

    ClassRegistration registration;
    ClassFactory factory;
};

// What a server DLL serves. Registration writes the embedded type library,
// then each class's keys; removal takes them away again.
struct ServerDefinition {
    ServedClass* classes;
    size_t class_count;
    // Registration of the DLL's own beyond that: written after the classes,
    // removed before them (nullptr: none).
    HRESULT (*register_more)() = nullptr;
    HRESULT (*unregister_more)() = nullptr;
    // Tidies up when the DLL is unloaded while the process goes on (nullptr: nothing to do).
    void (*on_unload)(HINSTANCE instance) = nullptr;
};

// Defined by each server DLL.
extern const ServerDefinition kThisServer;

// The exported entry points' work, for server_exports.cpp.
HRESULT GetClassObjectOf(const ServerDefinition& server, REFCLSID clsid, REFIID riid, void** object);
HRESULT RegisterServer(const ServerDefinition& server);
HRESULT UnregisterServer(const ServerDefinition& server);

// Creates T with `new (std::nothrow)`, queries riid, and drops the creation reference.
template <typename T>
HRESULT CreateAndQuery(T* created, REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!created) return E_OUTOFMEMORY;
    HRESULT hr = created->QueryInterface(riid, object);
    created->Release();
    return hr;
}

}  // namespace ambrelle
