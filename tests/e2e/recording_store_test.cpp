// The window's calls to the settings component, recorded by a fake store
// registered for the component's class identifier during each test: vtable
// slots, argument types, keys and their order, one store for all windows of
// a thread and one of its own for another thread, a failing
// WriteSetting, and a store that cannot be created.
#include "window_fixture.h"

#include <map>

#include "com_object.h"
#include "settings_store.h"

using namespace ambrelle_test;
using ambrelle::UniqueVariant;

namespace {

struct StoreCall {
    int slot;             // 9 ReadSetting, 10 WriteSetting
    std::wstring app;
    std::wstring key;
    VARTYPE vt;           // of the default (read) or of the value (write)
    double number;
    DWORD thread;         // where the call ran
};

// What every fake store of a test shares.
struct StoreRecord {
    std::vector<StoreCall> calls;
    int created = 0;
    DWORD created_on = 0;
    bool refuse_creation = false;
    std::wstring fail_write_of;             // WriteSetting fails for this key
    std::map<std::wstring, VARIANT> answers;  // ReadSetting gives these instead of the default
};

std::wstring Text(BSTR text) { return std::wstring(text ? text : L"", SysStringLen(text)); }

double NumberOf(const VARIANT* value) {
    VARIANT number;
    VariantInit(&number);
    return SUCCEEDED(VariantChangeType(&number, const_cast<VARIANT*>(value), 0, VT_R8)) ? V_R8(&number) : -1;
}

class RecordingStore final : public ambrelle::UncountedComObject<
                                 ambrelle::Answers<ISettingsStore, IID_IUnknown, IID_IDispatch, IID_ISettingsStore>> {
public:
    explicit RecordingStore(StoreRecord* record) : record_(record) {}
    STDMETHODIMP GetTypeInfoCount(UINT* count) override { *count = 0; return S_OK; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
    // Not called by the window: recorded as slots 7 and 8.
    STDMETHODIMP DeleteSetting(BSTR, VARIANT, VARIANT_BOOL*) override { return Unexpected(7); }
    STDMETHODIMP GetAllSettings(BSTR, VARIANT*) override { return Unexpected(8); }
    STDMETHODIMP ReadSetting(BSTR app, BSTR* key, VARIANT* default_value, VARIANT* value) override {
        record_->calls.push_back({9, Text(app), Text(*key), V_VT(default_value), NumberOf(default_value),
                                  GetCurrentThreadId()});
        auto answer = record_->answers.find(Text(*key));
        return VariantCopy(value, answer != record_->answers.end() ? &answer->second : default_value);
    }
    STDMETHODIMP WriteSetting(BSTR* app, BSTR* key, VARIANT* value, VARIANT* stored) override {
        record_->calls.push_back({10, Text(*app), Text(*key), V_VT(value), NumberOf(value), GetCurrentThreadId()});
        if (Text(*key) == record_->fail_write_of) return E_ACCESSDENIED;
        V_VT(stored) = VT_EMPTY;
        return S_OK;
    }

private:
    HRESULT Unexpected(int slot) {
        record_->calls.push_back({slot, L"", L"", VT_EMPTY, 0, GetCurrentThreadId()});
        return E_NOTIMPL;
    }
    StoreRecord* record_;
};

class RecordingStoreFactory final : public IClassFactory {
public:
    explicit RecordingStoreFactory(StoreRecord* record) : record_(record) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        *object = nullptr;
        if (riid != IID_IUnknown && riid != IID_IClassFactory) return E_NOINTERFACE;
        *object = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        if (record_->refuse_creation) return E_ACCESSDENIED;
        ++record_->created;
        record_->created_on = GetCurrentThreadId();
        auto* store = new RecordingStore(record_);
        HRESULT hr = store->QueryInterface(riid, object);
        store->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }

private:
    StoreRecord* record_;
};

// The fake store class for the calling thread's apartment while alive.
class RegisteredStore {
public:
    explicit RegisteredStore(StoreRecord* record) : factory_(record) {
        EXPECT_EQ(S_OK, CoRegisterClassObject(CLSID_SettingsStore, &factory_, CLSCTX_INPROC_SERVER,
                                              REGCLS_MULTIPLEUSE, &cookie_));
    }
    ~RegisteredStore() { CoRevokeClassObject(cookie_); }

private:
    RecordingStoreFactory factory_;
    DWORD cookie_ = 0;
};

// Shows a window of `kind` on the calling thread (its own apartment) and closes it.
HRESULT ShowOnThisThread(LONG kind) {
    Microsoft::WRL::ComPtr<_ClsValidate> validate;
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(L"Ambrelle.ClsValidate", &clsid);
    if (SUCCEEDED(hr)) hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&validate));
    if (FAILED(hr)) return hr;
    LONG fid = 1001;
    validate->put_FID(&fid);
    validate->put_QueryClass(&kind);
    ModalDriver driver;
    driver.ClickOk();
    driver.Start();
    VARIANT_BOOL shown = VARIANT_FALSE;
    hr = validate->show(&shown);
    return SUCCEEDED(hr) && shown != VARIANT_TRUE ? E_FAIL : hr;
}

// Waits for a handle while the thread's apartment answers calls from others.
void WaitAnswering(HANDLE handle) {
    DWORD index = 0;
    CoWaitForMultipleHandles(COWAIT_DEFAULT, INFINITE, 1, &handle, &index);
}

// Shows a window of `kind` on a new thread, in an apartment of its own with the
// fake store class registered, while this apartment answers any call that
// would be marshalled to it.
struct OwnThreadShow {
    DWORD thread = 0;
    HRESULT shown = E_PENDING;
};
OwnThreadShow ShowOnOwnThread(StoreRecord* record, LONG kind) {
    struct Context {
        StoreRecord* record;
        LONG kind;
        OwnThreadShow result;
        static DWORD WINAPI Run(void* argument) {
            auto* self = static_cast<Context*>(argument);
            self->result.thread = GetCurrentThreadId();
            CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            {
                RegisteredStore registered(self->record);
                self->result.shown = ShowOnThisThread(self->kind);
            }
            CoUninitialize();
            return 0;
        }
    } context{record, kind, {}};
    HANDLE thread = CreateThread(nullptr, 0, &Context::Run, &context, 0, nullptr);
    EXPECT_NE(nullptr, thread);
    if (!thread) return context.result;
    WaitAnswering(thread);
    CloseHandle(thread);
    return context.result;
}

std::vector<std::wstring> KeysOf(const std::vector<StoreCall>& calls, int slot) {
    std::vector<std::wstring> keys;
    for (const StoreCall& call : calls)
        if (call.slot == slot) keys.push_back(call.key);
    return keys;
}

std::vector<std::wstring> ConfirmationKeys(bool window, bool columns) {
    std::vector<std::wstring> keys;
    if (window) keys = {L"WinTop", L"WinLeft", L"WinWidth", L"WinHeight"};
    for (int column = 1; columns && column <= 12; ++column) keys.push_back(std::to_wstring(column) + L"ReqValidate");
    return keys;
}

class RecordingStoreTest : public WindowTest {
protected:
    StoreRecord record_;
};

}  // namespace

TEST_F(RecordingStoreTest, ReadsAndWritesGoToTheirSlotsWithTheirTypesInOrder) {
    RegisteredStore registered(&record_);
    // Stored widths that differ from the grid's own and from the default.
    VARIANT widths[12];
    for (int column = 1; column <= 12; ++column) {
        V_VT(&widths[column - 1]) = VT_R4;
        V_R4(&widths[column - 1]) = 1000.0f + 10 * column;
        record_.answers[std::to_wstring(column) + L"ReqValidate"] = widths[column - 1];
    }
    std::vector<float> shown;
    ModalDriver driver;
    driver.Then([&](HWND window) {
        for (LONG column = 1; column <= GridColumnCount(window); ++column)
            shown.push_back(GridColumnWidth(window, column));
        return true;
    });
    driver.ClickOk();
    ASSERT_EQ(S_OK, Show(1001, 0, &driver));
    ASSERT_EQ(12u, shown.size());
    for (int column = 1; column <= 12; ++column) EXPECT_EQ(1000.0f + 10 * column, shown[column - 1]) << column;

    EXPECT_EQ(ConfirmationKeys(true, true), KeysOf(record_.calls, 9));
    EXPECT_EQ(ConfirmationKeys(true, true), KeysOf(record_.calls, 10));
    ASSERT_EQ(32u, record_.calls.size()) << "reads, then writes, and nothing else";
    const double window_defaults[] = {0, 0, 6390, 8925};
    for (size_t i = 0; i < record_.calls.size(); ++i) {
        const StoreCall& call = record_.calls[i];
        SCOPED_TRACE(call.key);
        EXPECT_EQ(i < 16 ? 9 : 10, call.slot);
        EXPECT_EQ(L"Ambrelle", call.app);
        EXPECT_EQ(i < 16 ? VT_I2 : VT_R4, call.vt) << "defaults as 16-bit integers, values as singles";
        if (i < 4) {
            EXPECT_EQ(window_defaults[i], call.number);
        } else if (i < 16) {
            EXPECT_EQ(1200, call.number);
        } else if (i >= 20) {
            EXPECT_EQ(1000.0 + 10 * (i - 19), call.number) << "the widths shown are saved";
        }
    }
}

TEST_F(RecordingStoreTest, AFailingWriteWhileSavingTheGeometryLeavesTheLaterKeysAndAllWidthsUnwritten) {
    RegisteredStore registered(&record_);
    record_.fail_write_of = L"WinWidth";
    ModalDriver driver;
    driver.ClickOk();
    EXPECT_EQ(S_OK, Show(1001, 0, &driver)) << "the close is never cancelled";
    EXPECT_EQ((std::vector<std::wstring>{L"WinTop", L"WinLeft", L"WinWidth"}), KeysOf(record_.calls, 10));
}

TEST_F(RecordingStoreTest, EveryWindowOfAThreadSharesOneStoreAndAnotherThreadCallsItsOwnDirectly) {
    RegisteredStore registered(&record_);
    ModalDriver first, second;
    first.ClickOk();
    second.ClickOk();
    ASSERT_EQ(S_OK, Show(1001, 0, &first));
    ASSERT_EQ(S_OK, Show(1001, 1, &second));
    EXPECT_EQ(1, record_.created) << "one store for all windows of a thread";
    // A window on a thread of its own.
    const OwnThreadShow other = ShowOnOwnThread(&record_, 2);
    EXPECT_EQ(S_OK, other.shown);
    EXPECT_EQ(2, record_.created) << "the other thread made its own";
    EXPECT_EQ(other.thread, record_.created_on);
    ASSERT_EQ(32u + 18u + 32u, record_.calls.size()) << "three windows' reads and writes";
    for (size_t i = 0; i < record_.calls.size(); ++i)
        EXPECT_EQ(i < 50 ? GetCurrentThreadId() : other.thread, record_.calls[i].thread)
            << record_.calls[i].key << ": each thread calls its own store on its own thread";
}

TEST_F(RecordingStoreTest, AStoreThatCannotBeCreatedFailsTheLoadAndTheNextShowMakesItsOwn) {
    // A store created on another thread and gone with that thread's apartment.
    ASSERT_EQ(S_OK, ShowOnOwnThread(&record_, 0).shown);
    EXPECT_EQ(1, record_.created);
    const size_t calls_before = record_.calls.size();

    // No store is this thread's, and none can be created here.
    record_.refuse_creation = true;
    RegisteredStore registered(&record_);
    ModalDriver refused;
    refused.Record().ClickOk();
    EXPECT_EQ(E_ACCESSDENIED, Show(1001, 0, &refused));
    EXPECT_EQ(L"The component SettingsStore cannot be created.", error_.description);
    EXPECT_TRUE(refused.seen().empty()) << "the load failed: no window";
    EXPECT_EQ(calls_before, record_.calls.size()) << "no store was reached: not the other thread's";

    // Once one can be created, the next show on this thread makes its own
    // and reads and writes through it.
    record_.refuse_creation = false;
    std::vector<float> widths;
    ModalDriver again;
    again.Then([&](HWND window) {
        for (LONG column = 1; column <= GridColumnCount(window); ++column)
            widths.push_back(GridColumnWidth(window, column));
        return true;
    });
    again.ClickOk();
    EXPECT_EQ(S_OK, Show(1001, 0, &again));
    EXPECT_EQ(12u, widths.size());
    EXPECT_EQ(2, record_.created);
    EXPECT_EQ(calls_before + 32, record_.calls.size());
}
