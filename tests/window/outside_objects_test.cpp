// ValueOrDefault(field, "") as the window calls it: the empty default is made
// once for the thread, and a value component that keeps the default it was
// given (it goes by reference) does not get the same text again.
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>

#include <cstring>
#include <vector>

#include "com_object.h"
#include "outside_objects.h"
#include "replaced_pointers.h"
#include "unique_variant.h"

namespace {

// The texts of this program's calls of SysAllocString and SysAllocStringLen
// that came out empty: while alive, the program's imports of both go through
// counting stand-ins (its own import table is rewritten, and restored after).
class EmptyTextCount {
public:
    EmptyTextCount() {
        alloc_string_ = reinterpret_cast<AllocString>(Hook("SysAllocString", &CountedAllocString));
        alloc_string_len_ = reinterpret_cast<AllocStringLen>(Hook("SysAllocStringLen", &CountedAllocStringLen));
    }
    bool hooked() const { return hooks_.size() > 0; }
    static int made() { return made_; }

private:
    using AllocString = BSTR(WINAPI*)(const OLECHAR*);
    using AllocStringLen = BSTR(WINAPI*)(const OLECHAR*, UINT);
    static BSTR WINAPI CountedAllocString(const OLECHAR* text) { return Counted(alloc_string_(text)); }
    static BSTR WINAPI CountedAllocStringLen(const OLECHAR* text, UINT length) {
        return Counted(alloc_string_len_(text, length));
    }
    static BSTR Counted(BSTR text) {
        made_ += text && SysStringLen(text) == 0;
        return text;
    }

    // The program's import of `name` from oleaut32.dll goes to `counting`; returns the function it went to.
    template <typename Function>
    void* Hook(const char* name, Function counting) {
        auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
        const auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        for (auto* dll = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); dll->Name; ++dll) {
            if (_stricmp(reinterpret_cast<char*>(base + dll->Name), "oleaut32.dll") != 0) continue;
            auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->OriginalFirstThunk);
            auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->FirstThunk);
            for (; names->u1.AddressOfData; ++names, ++slots) {
                if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
                const auto* by_name = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
                if (strcmp(reinterpret_cast<const char*>(by_name->Name), name) == 0)
                    return hooks_.Replace(reinterpret_cast<void**>(&slots->u1.Function), counting);
            }
        }
        return nullptr;
    }

    static inline AllocString alloc_string_ = nullptr;
    static inline AllocStringLen alloc_string_len_ = nullptr;
    static inline int made_ = 0;
    ambrelle_test::ReplacedPointers hooks_;
};

// A value component of the test's, registered for the component's class: it
// checks each default is the empty text, answers "value", and when told to
// keeps the default text for itself and leaves another text in its place. It
// lives on the test's stack, which keeps its first reference to the end.
class TakingValueTools final
    : public ambrelle::UncountedComObject<ambrelle::Answers<IValueTools, IID_IUnknown, IID_IDispatch, IID_IValueTools>,
                                          ambrelle::Answers<IClassFactory, IID_IClassFactory>> {
public:
    int calls = 0;
    int take_at = -1;  // the call (from 0) whose default is kept
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
        EXPECT_EQ(VT_BSTR, V_VT(default_value)) << calls;
        if (V_VT(default_value) == VT_BSTR) {
            EXPECT_EQ(0u, SysStringLen(V_BSTR(default_value))) << calls;
            if (calls == take_at) {
                taken.push_back(V_BSTR(default_value));
                V_BSTR(default_value) = SysAllocString(L"taken");
            }
        }
        ++calls;
        V_VT(result) = VT_I4;  // no text of its own: only the component's are counted
        V_I4(result) = 7;
        return S_OK;
    }
    STDMETHODIMP CreateInstance(IUnknown*, REFIID riid, void** object) override { return QueryInterface(riid, object); }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

// Runs `calls` FieldValueOrEmpty calls on a new apartment thread whose value
// component is `tools`, and counts the empty texts made meanwhile.
int EmptyTextsMadeOnOwnThread(TakingValueTools* tools, int calls) {
    struct Context {
        TakingValueTools* tools;
        int calls;
        int made = -1;
        static DWORD WINAPI Run(void* argument) {
            auto* self = static_cast<Context*>(argument);
            CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            DWORD cookie = 0;
            EXPECT_EQ(S_OK, CoRegisterClassObject(CLSID_ValueTools, static_cast<IClassFactory*>(self->tools),
                                                  CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie));
            EmptyTextCount count;
            EXPECT_TRUE(count.hooked());
            for (int call = 0; call < self->calls; ++call) {
                ambrelle::UniqueVariant result;
                EXPECT_EQ(S_OK, ambrelle::FieldValueOrEmpty(self->tools, result.ptr())) << call;
                EXPECT_EQ(7, V_I4(result.ptr())) << call;
            }
            self->made = EmptyTextCount::made();
            CoRevokeClassObject(cookie);
            CoUninitialize();
            return 0;
        }
    } context{tools, calls};
    HANDLE thread = CreateThread(nullptr, 0, &Context::Run, &context, 0, nullptr);
    EXPECT_NE(nullptr, thread);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    return context.made;
}

TEST(FieldValueOrEmpty, MakesOneEmptyTextForTheThreadAndANewOneOnceTheComponentKeptIt) {
    TakingValueTools tools;
    tools.take_at = 2;
    EXPECT_EQ(2, EmptyTextsMadeOnOwnThread(&tools, 5)) << "one for calls 1 to 3, one for calls 4 and 5";
    EXPECT_EQ(5, tools.calls);
    EXPECT_EQ(1u, tools.taken.size());
}

}  // namespace
