#include "apartment_watch.h"

#include <new>

#include "com_error.h"
#include "com_object.h"
#include "frm_validate_query.h"
#include "outside_objects.h"
#include "server_module.h"
#include "thread_pointer.h"

namespace ambrelle {

namespace {

InitializeSpyRegistrar g_register_spy = &CoRegisterInitializeSpy;

// The watch of the calling thread, while registered.
class ApartmentEndWatch;
ThreadPointer<ApartmentEndWatch> g_watch;

// Registered with COM, a watch is called by COM from inside its top-level
// CoInitializeEx and CoUninitialize calls. Revoked from inside one of them,
// COM may let go of it at once (Wine) or only once that call has returned,
// and may call it until then, when the apartment that is ending may already
// have let the DLL go: the watch then pins the DLL until COM lets go of it.
class ApartmentEndWatch final
    : public UncountedComObject<Answers<IInitializeSpy, IID_IUnknown, IID_IInitializeSpy>> {
public:
    HRESULT Register() { return g_register_spy(this, &cookie_); }
    // Revoked outside COM's calls into it (the DLL is being unloaded): at once.
    void RevokeNow() { CoRevokeInitializeSpy(cookie_); }

    STDMETHODIMP PreInitialize(DWORD, DWORD) override { return S_OK; }
    STDMETHODIMP PostInitialize(HRESULT hr, DWORD, DWORD) override { return hr; }
    STDMETHODIMP PreUninitialize(DWORD apartment_refs) override {
        if (apartment_refs != 1) return S_OK;
        ReleaseThreadObjects();
        RevokeFromInside();
        return S_OK;
    }
    STDMETHODIMP PostUninitialize(DWORD) override { return S_OK; }

private:
    ~ApartmentEndWatch() override {
        // COM has let go: the pin goes at the next DllCanUnloadNow, which
        // COM calls while it holds the DLL itself.
        if (pin_) RetireModulePin(pin_);
    }

    void RevokeFromInside() {
        if (g_watch.get() == this) g_watch.set(nullptr);
        AddRef();
        CoRevokeInitializeSpy(cookie_);
        // Gone at once: nothing can call it any more.
        if (Release() == 0) return;
        // COM still holds it: pinned while COM may still call it. (Taken
        // here, inside COM's call, the apartment still holds the DLL.)
        pin_ = TakeModulePin();
    }

    ULARGE_INTEGER cookie_ = {};
    HMODULE pin_ = nullptr;
};

}  // namespace

bool WatchThisApartment() {
    if (g_watch.get()) return true;
    auto* watch = new (std::nothrow) ApartmentEndWatch();
    if (!watch) return false;
    // COM keeps its own reference while the watch is registered.
    const bool registered = SUCCEEDED(watch->Register()) && g_watch.set(watch);
    watch->Release();
    return registered;
}

void ReleaseThreadObjects() {
    // Releasing records and components runs their code: the thread's error
    // object stays the one it was.
    PreservedErrorInfo keep;
    FrmValidateQuery::ReleaseThreadInstance();
    ReleaseThreadOutsideObjects();
}

void ForgetThisApartment() {
    if (ApartmentEndWatch* watch = g_watch.get()) {
        g_watch.set(nullptr);
        watch->RevokeNow();
    }
}

void ReleaseUnwatchedThreadObjects() {
    if (!g_watch.get()) ReleaseThreadObjects();
}

void SetInitializeSpyRegistrar(InitializeSpyRegistrar registrar) {
    g_register_spy = registrar ? registrar : &CoRegisterInitializeSpy;
}

}  // namespace ambrelle
