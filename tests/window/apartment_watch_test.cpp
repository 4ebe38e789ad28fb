// What the component keeps for a thread belongs to the thread's apartment:
// released when the apartment ends, not kept past a show when no watch on the
// apartment could be registered, and the DLL pinned for as long as COM may
// still call the watch after revoking it.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>

#include <functional>

#include "apartment_watch.h"
#include "com_object.h"
#include "outside_objects.h"
#include "server_module.h"

namespace {

// A value component of the test's, registered for the component's class on
// the thread: counts the objects made and the references still held on them.
class CountingValueTools final
    : public ambrelle::UncountedComObject<ambrelle::Answers<IClassFactory, IID_IUnknown, IID_IClassFactory>> {
public:
    LONG made = 0;
    LONG held = 0;

    STDMETHODIMP CreateInstance(IUnknown*, REFIID riid, void** object) override {
        ++made;
        auto* tools = new Tools(this);
        const HRESULT hr = tools->QueryInterface(riid, object);
        tools->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }

private:
    class Tools final
        : public ambrelle::UncountedComObject<ambrelle::Answers<IValueTools, IID_IUnknown, IID_IDispatch, IID_IValueTools>> {
    public:
        explicit Tools(CountingValueTools* owner) : owner_(owner) { ++owner_->held; }
        ~Tools() override { --owner_->held; }
        STDMETHODIMP GetTypeInfoCount(UINT* count) override { *count = 0; return S_OK; }
        STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
        STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
        STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
            return E_NOTIMPL;
        }
        STDMETHODIMP ValueOrDefault(VARIANT*, VARIANT*, VARIANT* result) override {
            VariantInit(result);
            return S_OK;
        }

    private:
        CountingValueTools* owner_;
    };
};

// Runs `body` on a new apartment thread whose value component is `tools`;
// the apartment ends when the body returns.
void OnApartmentThread(CountingValueTools* tools, const std::function<void()>& body) {
    struct Context {
        CountingValueTools* tools;
        const std::function<void()>* body;
        static DWORD WINAPI Run(void* argument) {
            auto* self = static_cast<Context*>(argument);
            CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            DWORD cookie = 0;
            EXPECT_EQ(S_OK, CoRegisterClassObject(CLSID_ValueTools, static_cast<IClassFactory*>(self->tools),
                                                  CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie));
            (*self->body)();
            CoRevokeClassObject(cookie);
            CoUninitialize();
            return 0;
        }
    } context{tools, &body};
    HANDLE thread = CreateThread(nullptr, 0, &Context::Run, &context, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
}

void UseValueTools() {
    IValueTools* tools = nullptr;
    ASSERT_EQ(S_OK, ambrelle::GetValueTools(&tools));
    tools->Release();
}

HRESULT STDAPICALLTYPE RefuseToRegister(IInitializeSpy*, ULARGE_INTEGER*) { return E_OUTOFMEMORY; }

// COM as the platform may behave: it lets go of a spy revoked inside its own
// callback only after the top-level call has returned. The test plays that
// late release.
IInitializeSpy* g_held_spy = nullptr;
HRESULT STDAPICALLTYPE RegisterAndHold(IInitializeSpy* spy, ULARGE_INTEGER* cookie) {
    const HRESULT hr = CoRegisterInitializeSpy(spy, cookie);
    if (SUCCEEDED(hr)) {
        spy->AddRef();
        g_held_spy = spy;
    }
    return hr;
}

class ApartmentWatch : public ::testing::Test {
protected:
    void SetUp() override { ambrelle::SetThisModule(GetModuleHandleW(nullptr)); }
    void TearDown() override {
        ambrelle::SetInitializeSpyRegistrar(nullptr);
        ambrelle::ReleaseRetiredModulePins();
        EXPECT_EQ(0, ambrelle::ModulePinCount());
        ambrelle::SetThisModule(nullptr);
    }
};

}  // namespace

TEST_F(ApartmentWatch, KeepsTheThreadsObjectsUntilTheApartmentEndsAndNoLongerWhenItCannotWatch) {
    for (bool watched : {true, false}) {
        SCOPED_TRACE(watched);
        ambrelle::SetInitializeSpyRegistrar(watched ? nullptr : &RefuseToRegister);
        CountingValueTools tools;
        OnApartmentThread(&tools, [&] {
            EXPECT_EQ(watched, ambrelle::WatchThisApartment());
            UseValueTools();
            // The end of a show.
            ambrelle::ReleaseUnwatchedThreadObjects();
            EXPECT_EQ(watched ? 1 : 0, tools.held) << "kept past the show only while watched";
            // The next show on the thread.
            UseValueTools();
            EXPECT_EQ(watched ? 1 : 2, tools.made);
            ambrelle::ReleaseUnwatchedThreadObjects();
        });
        EXPECT_EQ(0, tools.held) << "released when the apartment ended";
        if (!watched) {
            // The next apartment of a thread that could not be watched starts afresh too.
            OnApartmentThread(&tools, [&] {
                EXPECT_FALSE(ambrelle::WatchThisApartment());
                UseValueTools();
                ambrelle::ReleaseUnwatchedThreadObjects();
            });
            EXPECT_EQ(3, tools.made);
            EXPECT_EQ(0, tools.held);
        }
    }
}

TEST_F(ApartmentWatch, PinsTheDllWhileComCanStillCallTheRevokedWatch) {
    CountingValueTools tools;
    // Let go of at once: nothing is pinned.
    OnApartmentThread(&tools, [] { EXPECT_TRUE(ambrelle::WatchThisApartment()); });
    EXPECT_EQ(0, ambrelle::ModulePinCount());

    // Let go of late: pinned until then, and until the next DllCanUnloadNow.
    ambrelle::SetInitializeSpyRegistrar(&RegisterAndHold);
    OnApartmentThread(&tools, [] { EXPECT_TRUE(ambrelle::WatchThisApartment()); });
    ASSERT_NE(nullptr, g_held_spy);
    EXPECT_EQ(1, ambrelle::ModulePinCount()) << "COM still holds the watch";
    g_held_spy->Release();
    g_held_spy = nullptr;
    EXPECT_EQ(1, ambrelle::ModulePinCount()) << "given back only where COM holds the DLL itself";
    ambrelle::ReleaseRetiredModulePins();
    EXPECT_EQ(0, ambrelle::ModulePinCount());
}
