#include "server_module.h"

namespace ambrelle {
namespace {
LONG g_module_count = 0;
HMODULE g_module = nullptr;
}  // namespace

void ModuleAddRef() { InterlockedIncrement(&g_module_count); }
void ModuleRelease() { InterlockedDecrement(&g_module_count); }
bool ModuleInUse() { return InterlockedCompareExchange(&g_module_count, 0, 0) != 0; }

HMODULE ThisModule() { return g_module; }
void SetThisModule(HMODULE module) { g_module = module; }

STDMETHODIMP ClassFactory::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IClassFactory) {
        *object = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    return E_NOINTERFACE;
}

STDMETHODIMP ClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return create_(riid, object);
}

STDMETHODIMP ClassFactory::LockServer(BOOL lock) {
    if (lock)
        ModuleAddRef();
    else
        ModuleRelease();
    return S_OK;
}

HRESULT GetClassObjectFrom(const ServedClass* classes, size_t count, REFCLSID clsid, REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    for (size_t i = 0; i < count; ++i) {
        if (*classes[i].clsid == clsid) return classes[i].factory->QueryInterface(riid, object);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

}  // namespace ambrelle
