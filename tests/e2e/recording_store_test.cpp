// The window's calls to the settings and value components, recorded by fakes
// registered for their class identifiers during each test: the slots the
// settings store's calls arrive at and their argument forms, keys and their
// order, failing steps, one object of each component for all windows of a
// thread and objects of its own for another thread, let go when that
// thread's apartment ends, and a store that cannot be created.
#include "window_fixture.h"

#include <algorithm>
#include <deque>
#include <map>

#include "scripted_objects.h"
#include "settings_store.h"
#include "value_tools.h"

using namespace ambrelle_test;
using ambrelle::UniqueVariant;

namespace {

struct StoreCall {
    int slot;             // the vtable slot the call arrived at
    std::wstring app;
    std::wstring key;
    VARTYPE vt;           // of the default (read) or of the value (write)
    double number;
    DWORD thread;         // where the call ran
    RECT window;          // the result window's rectangle at that moment
};

// One object a fake component made: its references and its thread.
struct MadeObject {
    LONG refs = 1;
    DWORD thread = GetCurrentThreadId();
};

struct StoreRecord;

// A settings store laid out by hand, slot by slot, where the settings
// component places its members (0-2 IUnknown, 3-6 IDispatch, 7 DeleteSetting,
// 8 GetAllSettings, 9 ReadSetting, 10 WriteSetting), each reading its
// arguments in the form the component's interface fixes: a call arrives at
// the slot the window's header gives it, and is recorded with that slot.
struct HandLaidStore {
    const void* const* slots;
    StoreRecord* record;
    MadeObject made;
};

// What every fake of a test shares.
struct StoreRecord {
    std::vector<StoreCall> calls;
    std::deque<HandLaidStore> stores;
    std::deque<MadeObject> value_tools;
    bool refuse_creation = false;
    std::wstring fail_read_of;                // ReadSetting fails for this key
    std::wstring fail_write_of;               // WriteSetting fails for this key
    std::map<std::wstring, VARIANT> answers;  // ReadSetting gives these instead of the default

    // How many stores or value components were made on `thread`, and how many of them are still referenced.
    size_t StoresOn(DWORD thread, bool alive_only = false) const {
        size_t count = 0;
        for (const HandLaidStore& store : stores) count += Counts(store.made, thread, alive_only);
        return count;
    }
    size_t ValueToolsOn(DWORD thread, bool alive_only = false) const {
        size_t count = 0;
        for (const MadeObject& tools : value_tools) count += Counts(tools, thread, alive_only);
        return count;
    }
    static bool Counts(const MadeObject& made, DWORD thread, bool alive_only) {
        return made.thread == thread && (!alive_only || made.refs > 0);
    }
};

std::wstring Text(BSTR text) { return std::wstring(text ? text : L"", SysStringLen(text)); }

double NumberOf(const VARIANT* value) {
    VARIANT number;
    VariantInit(&number);
    return SUCCEEDED(VariantChangeType(&number, const_cast<VARIANT*>(value), 0, VT_R8)) ? V_R8(&number) : -1;
}

HandLaidStore* Store(void* self) { return static_cast<HandLaidStore*>(self); }

// A text argument in the form the slot takes it, by value or by reference: one
// in the other form (a text where a reference belongs, or the reverse) reads
// as "<wrong form>" and is not followed.
std::wstring TextArgument(void* argument, bool by_reference) {
    const auto* chars = static_cast<const wchar_t*>(argument);
    const bool text = argument && std::all_of(chars, chars + 4, [](wchar_t c) { return c >= 0x20 && c < 0x7F; });
    if (text == by_reference) return L"<wrong form>";
    return Text(by_reference ? *static_cast<BSTR*>(argument) : static_cast<BSTR>(argument));
}

HRESULT Record(void* self, int slot, std::wstring app = L"", std::wstring key = L"", const VARIANT* value = nullptr) {
    RECT window = {};
    GetWindowRect(FindWindowW(L"AmbrelleFrmValidateQuery", nullptr), &window);
    Store(self)->record->calls.push_back({slot, app, key, value ? V_VT(value) : VARTYPE(VT_EMPTY),
                                          value ? NumberOf(value) : 0, GetCurrentThreadId(), window});
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE StoreQueryInterface(void* self, REFIID riid, void** object) {
    *object = riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_ISettingsStore ? self : nullptr;
    if (!*object) return E_NOINTERFACE;
    ++Store(self)->made.refs;
    return S_OK;
}
ULONG STDMETHODCALLTYPE StoreAddRef(void* self) { return ++Store(self)->made.refs; }
ULONG STDMETHODCALLTYPE StoreRelease(void* self) { return --Store(self)->made.refs; }
HRESULT STDMETHODCALLTYPE StoreSlot3(void* self, UINT*) { return Record(self, 3); }
HRESULT STDMETHODCALLTYPE StoreSlot4(void* self, UINT, LCID, ITypeInfo**) {
    return Record(self, 4);
}
HRESULT STDMETHODCALLTYPE StoreSlot5(void* self, REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return Record(self, 5);
}
HRESULT STDMETHODCALLTYPE StoreSlot6(void* self, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) {
    return Record(self, 6);
}
HRESULT STDMETHODCALLTYPE StoreSlot7(void* self, BSTR, VARIANT, VARIANT_BOOL*) {
    return Record(self, 7);
}
HRESULT STDMETHODCALLTYPE StoreSlot8(void* self, BSTR, VARIANT*) { return Record(self, 8); }
// ReadSetting: the application name by value, the key and the default by reference.
HRESULT STDMETHODCALLTYPE StoreSlot9(void* self, void* app, void* key, VARIANT* default_value, VARIANT* value) {
    const std::wstring key_text = TextArgument(key, true);
    Record(self, 9, TextArgument(app, false), key_text, default_value);
    StoreRecord* record = Store(self)->record;
    if (key_text == record->fail_read_of) return E_ACCESSDENIED;
    auto answer = record->answers.find(key_text);
    return VariantCopy(value, answer != record->answers.end() ? &answer->second : default_value);
}
// WriteSetting: the application name, the key and the value by reference.
HRESULT STDMETHODCALLTYPE StoreSlot10(void* self, void* app, void* key, VARIANT* value, VARIANT* stored) {
    const std::wstring key_text = TextArgument(key, true);
    Record(self, 10, TextArgument(app, true), key_text, value);
    if (key_text == Store(self)->record->fail_write_of) return E_ACCESSDENIED;
    V_VT(stored) = VT_EMPTY;
    return S_OK;
}

const void* const kStoreSlots[] = {
    reinterpret_cast<const void*>(&StoreQueryInterface), reinterpret_cast<const void*>(&StoreAddRef),
    reinterpret_cast<const void*>(&StoreRelease),        reinterpret_cast<const void*>(&StoreSlot3),
    reinterpret_cast<const void*>(&StoreSlot4),          reinterpret_cast<const void*>(&StoreSlot5),
    reinterpret_cast<const void*>(&StoreSlot6),          reinterpret_cast<const void*>(&StoreSlot7),
    reinterpret_cast<const void*>(&StoreSlot8),          reinterpret_cast<const void*>(&StoreSlot9),
    reinterpret_cast<const void*>(&StoreSlot10)};

// A value component that answers through the registered one and counts its
// references in the record.
class CountedValueTools final : public ForwardedDispatch<IValueTools> {
public:
    CountedValueTools(IValueTools* real, MadeObject* made) : ForwardedDispatch(real), made_(made) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        *object = riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IValueTools ? this : nullptr;
        if (!*object) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++made_->refs; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG refs = --made_->refs;
        if (refs == 0) delete this;
        return refs;
    }
    STDMETHODIMP ValueOrDefault(VARIANT* value, VARIANT* default_value, VARIANT* result) override {
        return real_->ValueOrDefault(value, default_value, result);
    }

private:
    MadeObject* made_;
};

// The fake store class for the calling thread's apartment while alive.
class StoreClass final : public RegisteredClassObject {
public:
    explicit StoreClass(StoreRecord* record) : record_(record) { Register(CLSID_SettingsStore); }
    STDMETHODIMP CreateInstance(IUnknown*, REFIID riid, void** object) override {
        *object = nullptr;
        if (record_->refuse_creation) return E_ACCESSDENIED;
        record_->stores.push_back({kStoreSlots, record_, {}});
        HandLaidStore* store = &record_->stores.back();
        const HRESULT hr = StoreQueryInterface(store, riid, object);
        StoreRelease(store);
        return hr;
    }

private:
    StoreRecord* record_;
};

// The counting value component class, over the registered one, for the
// calling thread's apartment while alive.
class ValueToolsClass final : public RegisteredClassObject {
public:
    explicit ValueToolsClass(StoreRecord* record) : record_(record) {
        if (SUCCEEDED(CoGetClassObject(CLSID_ValueTools, CLSCTX_INPROC_SERVER, nullptr, IID_PPV_ARGS(&real_))))
            Register(CLSID_ValueTools);
    }
    STDMETHODIMP CreateInstance(IUnknown*, REFIID riid, void** object) override {
        *object = nullptr;
        Microsoft::WRL::ComPtr<IValueTools> real;
        HRESULT hr = real_->CreateInstance(nullptr, IID_PPV_ARGS(&real));
        if (FAILED(hr)) return hr;
        record_->value_tools.emplace_back();
        auto* tools = new CountedValueTools(real.Get(), &record_->value_tools.back());
        hr = tools->QueryInterface(riid, object);
        tools->Release();
        return hr;
    }

private:
    StoreRecord* record_;
    Microsoft::WRL::ComPtr<IClassFactory> real_;
};

// Both fake classes for the calling thread's apartment while alive.
struct RegisteredStore {
    explicit RegisteredStore(StoreRecord* record) : store(record), value_tools(record) {
        EXPECT_TRUE(store.registered() && value_tools.registered());
    }
    StoreClass store;
    ValueToolsClass value_tools;
};

// Shows a window of `kind` on the calling thread (its own apartment) and closes it.
HRESULT ShowOnThisThread(LONG kind) {
    Microsoft::WRL::ComPtr<_ClsValidate> validate;
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(L"Ambrelle.ClsValidate", &clsid);
    if (SUCCEEDED(hr)) hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&validate));
    if (FAILED(hr)) return hr;
    LONG fid = kind == 2 ? 500118 : 100231;  // bills with records
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
// fake classes registered, while this apartment answers any call that
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

// The window's keys, then the columns', of a confirmation window.
std::vector<std::wstring> ConfirmationKeys() {
    std::vector<std::wstring> keys = {L"WinTop", L"WinLeft", L"WinWidth", L"WinHeight"};
    for (int column = 1; column <= 12; ++column) keys.push_back(std::to_wstring(column) + L"ReqValidate");
    return keys;
}

class RecordingStoreTest : public WindowTest {
protected:
    // Outlives the apartment, whose end lets the fakes' objects go.
    StoreRecord& record_ = *new StoreRecord;
};

VARIANT Single(float value) {
    VARIANT single;
    V_VT(&single) = VT_R4;
    V_R4(&single) = value;
    return single;
}

}  // namespace

TEST_F(RecordingStoreTest, ReadsAndWritesGoToTheirSlotsInTheirFormsAndAFailingColumnIsSkipped) {
    RegisteredStore registered(&record_);
    // Stored widths that differ from the grid's own and from the default;
    // column 3's cannot be read, and column 5's cannot be written.
    for (int column = 1; column <= 12; ++column)
        record_.answers[std::to_wstring(column) + L"ReqValidate"] = Single(1000.0f + 10 * column);
    record_.fail_read_of = L"3ReqValidate";
    record_.fail_write_of = L"5ReqValidate";
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
    for (int column = 1; column <= 12; ++column) {
        if (column != 3) {
            EXPECT_EQ(1000.0f + 10 * column, shown[column - 1]) << column;
        }
    }
    EXPECT_NE(1030.0f, shown[2]) << "the column whose width could not be read keeps its own";

    EXPECT_EQ(ConfirmationKeys(), KeysOf(record_.calls, 9)) << "every column is read";
    EXPECT_EQ(ConfirmationKeys(), KeysOf(record_.calls, 10)) << "every column is written";
    ASSERT_EQ(32u, record_.calls.size()) << "reads, then writes, and nothing else";
    const double window_defaults[] = {0, 0, 6390, 8925};
    for (size_t i = 0; i < record_.calls.size(); ++i) {
        const StoreCall& call = record_.calls[i];
        SCOPED_TRACE(call.key);
        EXPECT_EQ(L"Ambrelle", call.app);
        EXPECT_EQ(i < 16 ? VT_I2 : VT_R4, call.vt) << "defaults as 16-bit integers, values as singles";
        if (i < 4) {
            EXPECT_EQ(window_defaults[i], call.number);
        } else if (i < 16) {
            EXPECT_EQ(1200, call.number);
        } else if (i >= 20) {
            EXPECT_EQ(i == 22 ? shown[2] : 1000.0 + 10 * (i - 19), call.number) << "the widths shown are saved";
        }
    }
}

TEST_F(RecordingStoreTest, AFailingGeometryStepEndsItsProcedureAfterTheStepsBeforeIt) {
    RegisteredStore registered(&record_);
    // Loading: top and left are applied before a width that is no number fails the load.
    record_.answers[L"WinTop"] = Single(1500);
    record_.answers[L"WinLeft"] = Single(1200);
    UniqueVariant no_number;
    V_VT(no_number.ptr()) = VT_BSTR;
    V_BSTR(no_number.ptr()) = SysAllocString(L"abc");
    record_.answers[L"WinWidth"] = no_number.get();
    ModalDriver refused;
    refused.Record().ClickOk();
    EXPECT_EQ(static_cast<HRESULT>(0x800A000D), Show(1001, 0, &refused));
    EXPECT_TRUE(refused.seen().empty());
    ASSERT_EQ((std::vector<std::wstring>{L"WinTop", L"WinLeft", L"WinWidth"}), KeysOf(record_.calls, 9));
    EXPECT_EQ(TwipsToPixelsY(1500), record_.calls[2].window.top) << "applied when the width is read";
    EXPECT_EQ(TwipsToPixelsX(1200), record_.calls[2].window.left);

    // Saving: a failing write leaves the later keys and all widths unwritten.
    record_.answers.clear();
    record_.calls.clear();
    record_.fail_write_of = L"WinWidth";
    ModalDriver driver;
    driver.ClickOk();
    EXPECT_EQ(S_OK, Show(1001, 0, &driver)) << "the close is never cancelled";
    EXPECT_EQ((std::vector<std::wstring>{L"WinTop", L"WinLeft", L"WinWidth"}), KeysOf(record_.calls, 10));
}

TEST_F(RecordingStoreTest, EveryWindowOfAThreadSharesOneOfEachComponentAndAnotherThreadMakesAndLetsGoItsOwn) {
    RegisteredStore registered(&record_);
    ModalDriver first, second;
    first.ClickOk();
    second.ClickOk();
    ASSERT_EQ(S_OK, Show(100231, 0, &first));
    ASSERT_EQ(S_OK, Show(100231, 1, &second));
    const DWORD here = GetCurrentThreadId();
    EXPECT_EQ(1u, record_.StoresOn(here)) << "one store for all windows of a thread";
    EXPECT_EQ(1u, record_.ValueToolsOn(here)) << "one value component for all windows of a thread";
    // A window on a thread of its own.
    const OwnThreadShow other = ShowOnOwnThread(&record_, 2);
    EXPECT_EQ(S_OK, other.shown);
    EXPECT_EQ(1u, record_.StoresOn(other.thread)) << "the other thread made its own";
    EXPECT_EQ(1u, record_.ValueToolsOn(other.thread));
    EXPECT_EQ(0u, record_.StoresOn(other.thread, true)) << "let go when its apartment ended";
    EXPECT_EQ(0u, record_.ValueToolsOn(other.thread, true));
    EXPECT_EQ(1u, record_.StoresOn(here, true)) << "this thread's are still its own";
    ASSERT_EQ(32u + 18u + 32u, record_.calls.size()) << "three windows' reads and writes";
    for (size_t i = 0; i < record_.calls.size(); ++i)
        EXPECT_EQ(i < 50 ? here : other.thread, record_.calls[i].thread)
            << record_.calls[i].key << ": each thread calls its own store on its own thread";
}

TEST_F(RecordingStoreTest, AStoreThatCannotBeCreatedFailsTheLoadAndTheNextShowMakesItsOwn) {
    // A store created on another thread and gone with that thread's apartment.
    ASSERT_EQ(S_OK, ShowOnOwnThread(&record_, 0).shown);
    EXPECT_EQ(1u, record_.stores.size());
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
    ModalDriver again;
    again.ClickOk();
    EXPECT_EQ(S_OK, Show(1001, 0, &again));
    EXPECT_EQ(1u, record_.StoresOn(GetCurrentThreadId()));
    EXPECT_EQ(calls_before + 32, record_.calls.size());
}
