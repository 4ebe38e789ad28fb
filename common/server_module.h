// Object and lock counting of an in-process COM server, and a class factory.
// Each DLL that links this library has counters of its own.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <new>

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

// The module handle of the DLL this code is linked into.
HMODULE ThisModule();
void SetThisModule(HMODULE module);

// Creates an object and queries it for riid; Create returns an object with one reference.
using CreateInstanceFn = HRESULT (*)(REFIID riid, void** object);

// A class factory for one class. The factory itself is static and does not count as an object.
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

// One class served by a DLL: DllGetClassObject looks it up in a table of these.
struct ServedClass {
    const CLSID* clsid;
    ClassFactory* factory;
};

HRESULT GetClassObjectFrom(const ServedClass* classes, size_t count, REFCLSID clsid, REFIID riid, void** object);

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
