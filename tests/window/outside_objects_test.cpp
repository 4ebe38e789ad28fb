// ValueOrDefault(field, "") as the window calls it: the empty default is made
// once for the thread, and a value component that keeps the default it was
// given (it goes by reference) does not get the same text again.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>

#include <vector>

#include "com_object.h"
#include "outside_objects.h"
#include "unique_variant.h"

namespace {

struct SeenDefault {
    VARTYPE vt;
    BSTR text;  // compared, never read: the component may have freed it
    UINT length;
};

// A value component of the test's, registered for the component's class: it
// records each default, answers "value", and when told to keeps the default
// text for itself and leaves another text in its place. It lives on the
// test's stack, which keeps its first reference to the end.
class TakingValueTools final
    : public ambrelle::UncountedComObject<ambrelle::Answers<IValueTools, IID_IUnknown, IID_IDispatch, IID_IValueTools>,
                                          ambrelle::Answers<IClassFactory, IID_IClassFactory>> {
public:
    std::vector<SeenDefault> seen;
    bool take_next = false;
    std::vector<BSTR> taken;

    ~TakingValueTools() {
        for (BSTR text : taken) SysFreeString(text);
    }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override { *count = 0; return S_OK; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP ValueOrDefault(VARIANT*, VARIANT* default_value, VARIANT* result) override {
        const bool text = V_VT(default_value) == VT_BSTR;
        seen.push_back({V_VT(default_value), text ? V_BSTR(default_value) : nullptr,
                        text ? SysStringLen(V_BSTR(default_value)) : 0});
        if (take_next && text) {
            take_next = false;
            taken.push_back(V_BSTR(default_value));
            V_BSTR(default_value) = SysAllocString(L"taken");
        }
        V_VT(result) = VT_BSTR;
        V_BSTR(result) = SysAllocString(L"value");
        return S_OK;
    }
    STDMETHODIMP CreateInstance(IUnknown*, REFIID riid, void** object) override { return QueryInterface(riid, object); }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

// Runs `calls` FieldValueOrEmpty calls on a new apartment thread whose value
// component is `tools`, taking the default at call `take_at` (from 0).
void CallOnOwnThread(TakingValueTools* tools, int calls, int take_at) {
    struct Context {
        TakingValueTools* tools;
        int calls;
        int take_at;
        static DWORD WINAPI Run(void* argument) {
            auto* self = static_cast<Context*>(argument);
            CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            DWORD cookie = 0;
            EXPECT_EQ(S_OK, CoRegisterClassObject(CLSID_ValueTools, static_cast<IClassFactory*>(self->tools),
                                                  CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie));
            for (int call = 0; call < self->calls; ++call) {
                self->tools->take_next = call == self->take_at;
                ambrelle::UniqueVariant result;
                EXPECT_EQ(S_OK, ambrelle::FieldValueOrEmpty(self->tools, result.ptr())) << call;
                EXPECT_EQ(VT_BSTR, result.vt()) << call;
            }
            ambrelle::ReleaseThreadOutsideObjects();
            CoRevokeClassObject(cookie);
            CoUninitialize();
            return 0;
        }
    } context{tools, calls, take_at};
    HANDLE thread = CreateThread(nullptr, 0, &Context::Run, &context, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
}

TEST(FieldValueOrEmpty, PassesOneEmptyTextForTheThreadAndANewOneOnceTheComponentKeptIt) {
    TakingValueTools tools;
    CallOnOwnThread(&tools, 5, 2);
    ASSERT_EQ(5u, tools.seen.size());
    for (size_t call = 0; call < tools.seen.size(); ++call) {
        EXPECT_EQ(VT_BSTR, tools.seen[call].vt) << call;
        EXPECT_EQ(0u, tools.seen[call].length) << call;
    }
    // Made once: the first three calls get the same text; the third keeps it.
    EXPECT_EQ(tools.seen[0].text, tools.seen[1].text);
    EXPECT_EQ(tools.seen[0].text, tools.seen[2].text);
    ASSERT_EQ(1u, tools.taken.size());
    // The component still holds the kept text, so no new text can be at its place.
    EXPECT_NE(tools.taken[0], tools.seen[3].text);
    EXPECT_EQ(tools.seen[3].text, tools.seen[4].text);
}

}  // namespace
