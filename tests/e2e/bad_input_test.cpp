// What a host, the services and the stored settings may hand the component,
// one row a case: each row names its input and the one outcome it must have,
// either a COM error with number, source and description reaching the host,
// a refusal, or the window opening and showing what it can. After every row
// the process saw no hardware exception, the stored settings the row did not
// touch are as they were, and the next good show on the same object works.
#include <algorithm>
#include <limits>
#include <map>
#include <memory>

#include "ado.h"
#include "hardware_faults.h"
#include "scripted_objects.h"
#include "com_error.h"
#include "com_object.h"
#include "settings_store.h"
#include "tessary_identity.h"
#include "window_fixture.h"

using ambrelle::DateValue;
using ambrelle::ErrorValue;
using ambrelle::UniqueVariant;
using Microsoft::WRL::ComPtr;
using namespace ambrelle_test;

namespace {

constexpr HRESULT kVbError(LONG number) { return static_cast<HRESULT>(0x800A0000u + static_cast<ULONG>(number)); }

// ---- The settings store: the real one, with failures and answers steered per row.

struct StoreSteering {
    HRESULT fail_reads = S_OK;
    HRESULT fail_writes = S_OK;
    std::map<std::wstring, UniqueVariant> answers;  // ReadSetting gives these, whatever is stored
    void Clear() {
        fail_reads = fail_writes = S_OK;
        answers.clear();
    }
};

class SteeredStore final
    : public ambrelle::UncountedComObject<
          ambrelle::Answers<ForwardedDispatch<ISettingsStore>, IID_IUnknown, IID_IDispatch, IID_ISettingsStore>> {
public:
    SteeredStore(ISettingsStore* real, StoreSteering* steering) : steering_(steering) { real_ = real; }
    STDMETHODIMP DeleteSetting(BSTR app, VARIANT key, VARIANT_BOOL* removed) override {
        return real_->DeleteSetting(app, key, removed);
    }
    STDMETHODIMP GetAllSettings(BSTR app, VARIANT* settings) override { return real_->GetAllSettings(app, settings); }
    STDMETHODIMP ReadSetting(BSTR app, BSTR* key, VARIANT* default_value, VARIANT* value) override {
        if (FAILED(steering_->fail_reads)) return steering_->fail_reads;
        auto answer = steering_->answers.find(std::wstring(*key, SysStringLen(*key)));
        if (answer != steering_->answers.end()) return VariantCopy(value, answer->second.ptr());
        return real_->ReadSetting(app, key, default_value, value);
    }
    STDMETHODIMP WriteSetting(BSTR* app, BSTR* key, VARIANT* value, VARIANT* stored) override {
        if (FAILED(steering_->fail_writes)) return steering_->fail_writes;
        return real_->WriteSetting(app, key, value, stored);
    }

private:
    StoreSteering* steering_;
};

// Registers the steered store for the settings component's class in the calling apartment.
class SteeredStoreClass final : public RegisteredClassObject {
public:
    explicit SteeredStoreClass(StoreSteering* steering) : steering_(steering) {
        if (FAILED(CoGetClassObject(CLSID_SettingsStore, CLSCTX_INPROC_SERVER, nullptr, IID_PPV_ARGS(&real_)))) return;
        Register(CLSID_SettingsStore);
    }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
        *object = nullptr;
        ComPtr<ISettingsStore> real;
        HRESULT hr = real_->CreateInstance(outer, IID_PPV_ARGS(&real));
        if (FAILED(hr)) return hr;
        auto* store = new SteeredStore(real.Get(), steering_);
        hr = store->QueryInterface(riid, object);
        store->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL lock) override { return real_->LockServer(lock); }

private:
    StoreSteering* steering_;
    ComPtr<IClassFactory> real_;
};

// A class that is not registered: creating it fails as for a class missing from the registry.
class UnregisteredClass final : public RegisteredClassObject {
public:
    explicit UnregisteredClass(const CLSID& clsid) { Register(clsid); }
    STDMETHODIMP CreateInstance(IUnknown*, REFIID, void** object) override {
        *object = nullptr;
        return REGDB_E_CLASSNOTREG;
    }
};

CLSID ClassOf(const wchar_t* prog_id) {
    CLSID clsid = {};
    CLSIDFromProgID(prog_id, &clsid);
    return clsid;
}

// ---- Record sets made by the test.

// One rejection record of sensible values, with some fields changed.
ComPtr<IDispatch> Rejection(const std::vector<FieldValue>& changed) {
    const Text reason(L"数量不符"), be_br(L"华南分公司"), br(L"总部");
    return RecordsWith(Changed({{L"FID", adInteger, Long(501)},
                                {L"FValDate", adDate, DateValue(45270.25)},
                                {L"FRejectDesc", adBSTR, reason},
                                {L"FBeBrName", adBSTR, be_br},
                                {L"FBrName", adBSTR, br}},
                               changed),
                       1);
}

VARIANT ArrayValue() {
    VARIANT v = ambrelle::TypedVariant(VT_ARRAY | VT_I4);
    V_ARRAY(&v) = SafeArrayCreateVector(VT_I4, 0, 3);
    return v;
}

VARIANT CurrencyValue(LONGLONG units) {
    VARIANT v = ambrelle::TypedVariant(VT_CY);
    V_CY(&v).int64 = units * 10000;
    return v;
}

// ---- The table.

// A steering call that must succeed, or the row would test nothing.
void Steer(IDispatch* steering, const wchar_t* name, std::initializer_list<VARIANT> args) {
    EXPECT_EQ(S_OK, Call(steering, name, args)) << "the stand-in takes the steering call";
}
void SteerDelivery(IDispatch* bill, LONG delivery) {
    EXPECT_EQ(S_OK, CallByName(bill, L"Delivery", DISPATCH_PROPERTYPUT, {Long(delivery)}, nullptr));
}

// Everything a row may set up; what it holds lives until the row has been checked.
struct Arrangement {
    IDispatch* bill = nullptr;   // Quistral.IBillInfo.Steering
    IDispatch* props = nullptr;  // Venlock.ShareProps.Steering
    StoreSteering* store = nullptr;
    _ClsValidate* validate = nullptr;
    std::vector<std::shared_ptr<void>> held;
    std::vector<std::wstring> touched_settings;  // keys the row changes on purpose
    std::function<void(HWND)> inside;            // runs while the window is open

    // The bill service is the test's own: it puts `records` into the record-set argument and answers `answer`.
    void Deliver(ComPtr<IDispatch> records, VARIANT answer = Bool(true)) {
        held.push_back(std::make_shared<OwnBillService>(records, answer));
    }
    // The session service is the test's own: GetProperty answers `value`.
    void SessionAnswers(VARIANT value) {
        struct Service {
            ScriptedDispatch props;
            UniqueVariant answer;
            std::unique_ptr<ClassOverride> override_class;
        };
        auto service = std::make_shared<Service>();
        VariantCopy(service->answer.ptr(), &value);
        UniqueVariant* answer = &service->answer;
        service->props.On(L"GetProperty", [answer](DISPPARAMS*, VARIANT* result, EXCEPINFO*) {
            return VariantCopy(result, answer->ptr());
        });
        service->override_class = std::make_unique<ClassOverride>(L"Venlock.ShareProps", &service->props);
        held.push_back(service);
    }
    void Unregistered(const CLSID& clsid) { held.push_back(std::make_shared<UnregisteredClass>(clsid)); }
    void Hold(std::shared_ptr<void> object) { held.push_back(std::move(object)); }
    void StoreText(const wchar_t* key, const std::wstring& text) {
        StoreSetting(key, text);
        touched_settings.push_back(key);
    }
    void StoreAnswers(const wchar_t* key, VARIANT value) {
        VariantCopy(store->answers[key].ptr(), &value);
        touched_settings.push_back(key);
    }
};

// What one show did.
struct Seen {
    HRESULT hr = E_FAIL;
    VARIANT_BOOL result = 7;
    ambrelle::ComErrorDetails error;
    std::vector<SeenWindow> windows;
    LONG rows = -1;  // the grid's row count while the window was open
    std::vector<Cells> cells;
    std::vector<SeenMessageBox> boxes;
    std::wstring props_seen;  // the session string the bill service received
    LONG bill_calls = -1;     // QueryValidate calls the bill service saw
    LONG columns = -1;        // the grid's column count while the window was open
    std::vector<RawRow> answers;  // what the window answered for the first rows (up to 3)
};

enum class Outcome { kError, kRefused, kWindow };

struct Expected {
    Outcome outcome;
    HRESULT hr = S_OK;                    // kError: the number
    const wchar_t* source = nullptr;      // kError
    const wchar_t* description = nullptr; // kError
    const wchar_t* caption = nullptr;     // kWindow
    LONG rows = -1;                       // kWindow: the grid's row count (-1, not checked)
    const wchar_t* warning = nullptr;     // kWindow: the load's warning box holds this text; nullptr, no box
};

Expected Fails(HRESULT hr, const wchar_t* source, const wchar_t* description) {
    return {Outcome::kError, hr, source, description};
}
Expected Refused() { return {Outcome::kRefused}; }
constexpr wchar_t kCaption0[] = L"内部订单确认信息查询";
constexpr wchar_t kCaption1[] = L"内部订单拒绝信息查询";
constexpr wchar_t kCaption2[] = L"发货通知单确认信息查询";
Expected Window(const wchar_t* caption, LONG rows, const wchar_t* warning = nullptr) {
    Expected expected{Outcome::kWindow};
    expected.caption = caption;
    expected.rows = rows;
    expected.warning = warning;
    return expected;
}
constexpr wchar_t kLoadFailed[] = L"查看确认信息出错：";
constexpr wchar_t kClosed[] = L"Operation is not allowed when the object is closed.";
constexpr wchar_t kNotFound[] = L"Item cannot be found in the collection corresponding to the requested name or ordinal.";
constexpr wchar_t kMultipleStep[] = L"Multiple-step operation generated errors. Check each status value.";

// The text of record 1 of Confirmations() (decimal count 2) with some cells in place of its own.
std::wstring ConfirmationRow(std::wstring requested = L"1,234.25", std::wstring confirmed = L"1,000.00",
                             std::wstring val_date = L"2024-03-05", std::wstring name = L"名称") {
    return L" 1|01|" + name + L"|型号|属性|" + requested + L"|" + confirmed + L"|确认人|被确认|确认|" + val_date +
           L"|2024-03-12|";
}
// The row of a record (grid row 2) as the window answered it.
void ExpectRecordRow(const Seen& seen, const std::wstring& text) {
    ASSERT_GE(seen.answers.size(), 2u);
    EXPECT_EQ(S_OK, seen.answers[1].hr);
    EXPECT_EQ(text, seen.answers[1].text);
}

struct Row {
    const char* name;
    LONG kind;
    std::function<void(Arrangement&)> arrange;
    Expected expected;
    std::function<void(const Seen&)> also = nullptr;  // checks of the row's own
};

// The stored settings every row starts from (twips on whole pixels at 96 DPI).
const std::vector<std::pair<std::wstring, double>>& Baseline() {
    static const std::vector<std::pair<std::wstring, double>> baseline = [] {
        std::vector<std::pair<std::wstring, double>> values = {
            {L"WinTop", 1500},   {L"WinLeft", 1200},   {L"WinWidth", 7500},   {L"WinHeight", 6000},
            {L"HWinTop", 1800},  {L"HWinLeft", 1500},  {L"HWinWidth", 7200},  {L"HWinHeight", 5700}};
        for (int column = 1; column <= 12; ++column)
            values.push_back({std::to_wstring(column) + L"ReqValidate", 1300.0 + column});
        for (int column = 1; column <= 12; ++column)
            values.push_back({std::to_wstring(column) + L"ReqRejValidate", 1400.0 + column});
        return values;
    }();
    return baseline;
}

void StoreBaseline() {
    for (const auto& [key, value] : Baseline()) StoreSetting(key.c_str(), std::to_wstring(static_cast<int>(value)));
}

class BadInput : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        props_ = CreateByProgId(L"Venlock.ShareProps.Steering");
        ASSERT_TRUE(props_);
        ASSERT_EQ(S_OK, Call(props_.Get(), L"Reset"));
        // Before anything of the window runs: the settings store this apartment keeps is the steered one.
        store_class_ = std::make_unique<SteeredStoreClass>(&store_);
        ASSERT_TRUE(store_class_->registered());
    }
    void TearDown() override {
        store_class_.reset();
        WindowTest::TearDown();
    }

    void ResetServices() {
        EXPECT_EQ(S_OK, Call(bill_.Get(), L"Reset"));
        EXPECT_EQ(S_OK, Call(props_.Get(), L"Reset"));
        ComPtr<IDispatch> service = CreateByProgId(L"Venlock.ShareProps");
        ASSERT_TRUE(service);
        EXPECT_EQ(S_OK, Call(service.Get(), L"SetProperty",
                             {Long(static_cast<LONG>(GetCurrentProcessId())), Text(L"PropsString"), Text(L"e2e")}));
    }

    Seen ShowOnce(LONG fid, LONG kind, const std::function<void(HWND)>& inside) {
        Seen seen;
        EXPECT_EQ(S_OK, validate_->put_FID(&fid));
        EXPECT_EQ(S_OK, validate_->put_QueryClass(&kind));
        MessageBoxWatcher boxes;
        ModalDriver driver;
        driver.Then([&](HWND window) {
            seen.rows = GridRowCount(window);
            seen.columns = GridColumnCount(window);
            seen.cells = GridCells(window);
            for (LONG row = 1; row <= std::min<LONG>(seen.rows, 3); ++row)
                seen.answers.push_back(RequestRowText(window, row));
            if (inside) inside(window);
            return true;
        });
        driver.Record().ClickOk();
        driver.Start();
        seen.hr = validate_->show(&seen.result);
        if (FAILED(seen.hr)) seen.error = ambrelle::TakeComError(seen.hr);
        seen.windows = driver.seen();
        seen.boxes = boxes.seen();
        seen.props_seen = GetText(bill_.Get(), L"LastPropsString");
        seen.bill_calls = GetLong(bill_.Get(), L"CallCount");
        EXPECT_FALSE(driver.forced_close()) << "the window closed with OK";
        EXPECT_EQ(nullptr, FindResultWindow()) << "no window is left open";
        return seen;
    }

    void Check(const Row& row, const Seen& seen) {
        const Expected& expected = row.expected;
        switch (expected.outcome) {
        case Outcome::kError:
            EXPECT_EQ(expected.hr, seen.hr);
            EXPECT_EQ(VARIANT_FALSE, seen.result);
            EXPECT_EQ(expected.source, seen.error.source);
            EXPECT_EQ(expected.description, seen.error.description);
            EXPECT_TRUE(seen.windows.empty()) << "no window";
            break;
        case Outcome::kRefused:
            EXPECT_EQ(S_OK, seen.hr);
            EXPECT_EQ(VARIANT_FALSE, seen.result);
            EXPECT_TRUE(seen.windows.empty()) << "no window";
            break;
        case Outcome::kWindow:
            EXPECT_EQ(S_OK, seen.hr) << std::string(seen.error.description.begin(), seen.error.description.end());
            EXPECT_EQ(VARIANT_TRUE, seen.result);
            ASSERT_EQ(1u, seen.windows.size()) << "the window opened";
            EXPECT_EQ(expected.caption, seen.windows[0].caption);
            if (expected.rows >= 0) {
                EXPECT_EQ(expected.rows, seen.rows);
            }
            if (expected.warning) {
                ASSERT_EQ(1u, seen.boxes.size()) << "one warning box";
                EXPECT_EQ(L"系统提示", seen.boxes[0].title);
                EXPECT_NE(std::wstring::npos, seen.boxes[0].text.find(expected.warning))
                    << std::string(seen.boxes[0].text.begin(), seen.boxes[0].text.end());
            } else {
                EXPECT_TRUE(seen.boxes.empty()) << "no warning box";
            }
            // A row whose text fails is left blank by the grid: every row shown has its text.
            for (size_t row = 1; row <= seen.answers.size(); ++row) EXPECT_EQ(S_OK, seen.answers[row - 1].hr) << row;
            break;
        }
        if (row.also) row.also(seen);
    }

    // The stored settings the row did not touch are as they were.
    void CheckNothingStoredIsLost(const std::vector<std::wstring>& touched) {
        for (const auto& [key, value] : Baseline()) {
            if (std::find(touched.begin(), touched.end(), key) != touched.end()) continue;
            const std::optional<std::wstring> stored = StoredSetting(key.c_str());
            ASSERT_TRUE(stored.has_value()) << std::string(key.begin(), key.end()) << " was lost";
            EXPECT_DOUBLE_EQ(value, wcstod(stored->c_str(), nullptr)) << std::string(key.begin(), key.end());
        }
    }

    // A good show of a sample bill works on the same object afterwards.
    void CheckNextGoodShow() {
        ResetServices();
        store_.Clear();
        Seen good = ShowOnce(100231, 0, nullptr);
        EXPECT_EQ(S_OK, good.hr) << "the next good show works";
        EXPECT_EQ(VARIANT_TRUE, good.result);
        ASSERT_EQ(1u, good.windows.size());
        EXPECT_EQ(kCaption0, good.windows[0].caption);
        EXPECT_GE(good.rows, 3) << "header, records and totals";
        EXPECT_TRUE(good.boxes.empty());
    }

    void Run(const std::vector<Row>& rows) {
        ClearStoredSettings();
        StoreBaseline();
        CheckNextGoodShow();  // the window object of the thread has the confirmation layout from here on
        for (const Row& row : rows) {
            SCOPED_TRACE(row.name);
            StoreBaseline();
            ResetServices();
            store_.Clear();
            const size_t faults_before = HardwareFaultCount();
            {
                Arrangement arrangement;
                arrangement.bill = bill_.Get();
                arrangement.props = props_.Get();
                arrangement.store = &store_;
                arrangement.validate = validate_.Get();
                row.arrange(arrangement);
                Seen seen = ShowOnce(row.kind == 1 ? 501 : 1001, row.kind, arrangement.inside);
                Check(row, seen);
                store_.Clear();
                CheckNothingStoredIsLost(arrangement.touched_settings);
            }
            for (const HardwareFault& fault : HardwareFaultsFrom(faults_before))
                ADD_FAILURE() << "hardware exception: " << Describe(fault);
            StoreBaseline();
            CheckNextGoodShow();
        }
    }

    ComPtr<IDispatch> props_;
    StoreSteering store_;
    std::unique_ptr<SteeredStoreClass> store_class_;
};

void Nothing(Arrangement&) {}

// A show called by a host timer while the window is open.
struct InnerShow {
    HRESULT hr = S_OK;
    ambrelle::ComErrorDetails error;
};

}  // namespace

TEST_F(BadInput, EveryRowHasItsOneOutcomeAndTheNextGoodShowWorks) {
    const std::wstring huge_text(100000, L'长');
    const std::wstring reason_of_10000_lines(300000, L'因');
    DefaultValueObject minus_one_default(Long(-1));
    DefaultValueObject zero_default(Long(0));
    ScriptedDispatch without_default;  // no members: no default value
    auto inner = std::make_shared<InnerShow>();

    const std::vector<Row> rows = {
        // The bill service's result: NOT result decides, Null goes on, a value that is no number fails.
        {"result a date", 0, [](Arrangement& a) { Steer(a.bill, L"ReturnResult", {DateValue(45000)}); }, Refused()},
        {"result the currency -1", 0, [](Arrangement& a) { Steer(a.bill, L"ReturnResult", {CurrencyValue(-1)}); },
         Window(kCaption0, -1)},
        {"result the currency 1", 0, [](Arrangement& a) { Steer(a.bill, L"ReturnResult", {CurrencyValue(1)}); },
         Refused()},
        {"result the text -1", 0, [](Arrangement& a) { Steer(a.bill, L"ReturnResult", {Text(L"-1")}); },
         Window(kCaption0, -1)},
        {"result the text 0", 0, [](Arrangement& a) { Steer(a.bill, L"ReturnResult", {Text(L"0")}); }, Refused()},
        {"result a text of 100,000 characters", 0,
         [&](Arrangement& a) { Steer(a.bill, L"ReturnResult", {Text(huge_text)}); },
         Fails(kVbError(13), L"Ambrelle", L"Type mismatch")},
        {"result 1E+308", 0, [](Arrangement& a) { Steer(a.bill, L"ReturnResult", {Double(1e308)}); },
         Fails(kVbError(6), L"Ambrelle", L"Overflow")},
        {"result NaN", 0,
         [](Arrangement& a) { Steer(a.bill, L"ReturnResult", {Double(std::numeric_limits<double>::quiet_NaN())}); },
         Fails(kVbError(6), L"Ambrelle", L"Overflow")},
        {"result infinity", 0,
         [](Arrangement& a) { Steer(a.bill, L"ReturnResult", {Double(std::numeric_limits<double>::infinity())}); },
         Fails(kVbError(6), L"Ambrelle", L"Overflow")},
        {"result -0", 0, [](Arrangement& a) { Steer(a.bill, L"ReturnResult", {Double(-0.0)}); }, Refused()},
        {"result an error value", 0,
         [](Arrangement& a) { Steer(a.bill, L"ReturnResult", {ErrorValue(DISP_E_PARAMNOTFOUND)}); },
         Fails(kVbError(13), L"Ambrelle", L"Type mismatch")},
        {"result an array", 0, [](Arrangement& a) {
             VARIANT array = ArrayValue();
             Steer(a.bill, L"ReturnResult", {array});
             VariantClear(&array);
         },
         Fails(kVbError(13), L"Ambrelle", L"Type mismatch")},
        {"result an object whose default value is -1", 0,
         [&](Arrangement& a) { a.Deliver(Confirmations(1), ObjectValue(&minus_one_default.object)); },
         Window(kCaption0, -1)},
        {"result an object whose default value is 0", 0,
         [&](Arrangement& a) { a.Deliver(Confirmations(1), ObjectValue(&zero_default.object)); }, Refused()},
        {"result Nothing", 0, [](Arrangement& a) { a.Deliver(Confirmations(1), ObjectValue(nullptr)); },
         Fails(kVbError(91), L"Ambrelle", L"Object variable or With block variable not set")},

        // What the bill service leaves in the record-set argument.
        {"the query fails, rejection kind", 1,
         [](Arrangement& a) { Steer(a.bill, L"FailWith", {Long(3021), Text(L"Quistral.IBillInfo"), Text(L"无记录")}); },
         Fails(kVbError(3021), L"Quistral.IBillInfo", L"无记录")},
        {"Nothing, confirmation kind", 0,
         [](Arrangement& a) { SteerDelivery(a.bill, 4); },
         Window(kCaption0, 1, kLoadFailed)},
        {"Nothing, rejection kind", 1,
         [](Arrangement& a) { SteerDelivery(a.bill, 4); },
         Fails(kVbError(91), L"Ambrelle", L"Object variable or With block variable not set")},
        {"not a record set, rejection kind", 1,
         [](Arrangement& a) { SteerDelivery(a.bill, 3); },
         Fails(kVbError(13), L"Ambrelle", L"Type mismatch")},
        {"a closed record set, delivery kind", 2,
         [](Arrangement& a) {
             ComPtr<IDispatch> closed = CreateByProgId(L"ADODB.Recordset");
             a.Deliver(closed);
         },
         Window(kCaption2, 1, L"错误编码：3704")},
        {"a closed record set, rejection kind", 1,
         [](Arrangement& a) { a.Deliver(CreateByProgId(L"ADODB.Recordset")); },
         Fails(kVbError(3704), L"ADODB.Recordset", kClosed)},
        {"a set without the fields the window reads", 0,
         [](Arrangement& a) { a.Deliver(RecordsWith({{L"FID", adInteger, Long(1001)}}, 2)); },
         Window(kCaption0, 1, L"错误编码：3265")},
        {"a set without the fields a rejection needs", 1,
         [](Arrangement& a) { a.Deliver(RecordsWith({{L"FID", adInteger, Long(501)}}, 1)); },
         Fails(kVbError(3265), L"ADODB.Fields", kNotFound)},
        {"an empty set, rejection kind", 1,
         [](Arrangement& a) { a.Deliver(RecordsWith({{L"FRejectDesc", adBSTR, Empty()}}, 0)); },
         Window(kCaption1, 1)},
        {"a set that reports -1 records, rejection kind", 1,
         [](Arrangement& a) {
             ComPtr<IDispatch> records = Rejection({});
             a.Hold(std::make_shared<CountlessRecordset>(records.Get()));
             a.Deliver(records);
         },
         Window(kCaption1, 2)},

        // Fields of the wrong type or size.
        {"quantities of 1E+308 overflow the totals", 0,
         [](Arrangement& a) { a.Deliver(Confirmations(2, {{L"FReqQty", adDouble, Double(1e308)}})); },
         Window(kCaption0, 1, L"错误编码：6")},
        {"a quantity that is NaN", 0,
         [](Arrangement& a) {
             a.Deliver(Confirmations(2, {{L"FValidateQty", adDouble, Double(std::numeric_limits<double>::quiet_NaN())}}));
         },
         Window(kCaption0, 4), [](const Seen& seen) { ExpectRecordRow(seen, ConfirmationRow(L"1,234.25", L"NAN")); }},
        {"a quantity that is infinite", 0,
         [](Arrangement& a) {
             a.Deliver(Confirmations(1, {{L"FReqQty", adDouble, Double(-std::numeric_limits<double>::infinity())}}));
         },
         Window(kCaption0, 3), [](const Seen& seen) { ExpectRecordRow(seen, ConfirmationRow(L"-INF")); }},
        {"quantities of -0", 0,
         [](Arrangement& a) {
             a.Deliver(Confirmations(1, {{L"FReqQty", adDouble, Double(-0.0)}, {L"FQtyDecimal", adInteger, Long(0)}}));
         },
         Window(kCaption0, 3),
         [](const Seen& seen) { ExpectRecordRow(seen, ConfirmationRow(L"0", L"1,000")); }},
        {"a quantity of 100,000 letters", 0,
         [&](Arrangement& a) { a.Deliver(Confirmations(1, {{L"FReqQty", adBSTR, Text(huge_text)}})); },
         Window(kCaption0, 3), [&](const Seen& seen) { ExpectRecordRow(seen, ConfirmationRow(huge_text)); }},
        {"a decimal quantity of 18 digits", 0,
         [](Arrangement& a) {
             VARIANT decimal = ambrelle::TypedVariant(VT_DECIMAL);
             VarDecFromStr(const_cast<OLECHAR*>(L"1234567890123456.75"), LOCALE_INVARIANT, 0, &V_DECIMAL(&decimal));
             a.Deliver(Confirmations(1, {{L"FReqQty", adDecimal, decimal}}));
         },
         Window(kCaption0, 3),
         [](const Seen& seen) { ExpectRecordRow(seen, ConfirmationRow(L"1,234,567,890,123,456.75")); }},
        {"a quantity of 400 digits", 0,
         [](Arrangement& a) { a.Deliver(Confirmations(1, {{L"FReqQty", adBSTR, Text(std::wstring(400, L'9'))}})); },
         Window(kCaption0, 1, L"错误编码：6")},
        {"Empty quantities and decimal count", 0,
         [](Arrangement& a) {
             a.Deliver(Confirmations(1, {{L"FReqQty", adDouble, Empty()},
                                         {L"FValidateQty", adDouble, Empty()},
                                         {L"FQtyDecimal", adInteger, Empty()}}));
         },
         Window(kCaption0, 3),
         [](const Seen& seen) {
             ASSERT_EQ(3u, seen.cells.size());
             ASSERT_GE(seen.cells[1].size(), 7u);
             EXPECT_EQ(L"", seen.cells[1][5]) << "no quantity, no number";
             ASSERT_GE(seen.cells[2].size(), 7u);
             EXPECT_EQ(L"0.0000", seen.cells[2][5]);
             EXPECT_EQ(L"0.0000", seen.cells[2][6]);
         }},
        {"Null in every field", 0,
         [](Arrangement& a) {
             std::vector<FieldValue> nulls;
             for (const wchar_t* name : {L"FNumber", L"FName", L"FModel", L"FAuxPropName", L"FValidater",
                                         L"FBeValBrName", L"FBrName"})
                 nulls.push_back({name, adBSTR, Null()});
             for (const wchar_t* name : {L"FReqQty", L"FValidateQty"}) nulls.push_back({name, adDouble, Null()});
             for (const wchar_t* name : {L"FValDate", L"FDeliveryDate"}) nulls.push_back({name, adDate, Null()});
             nulls.push_back({L"FQtyDecimal", adInteger, Null()});
             a.Deliver(Confirmations(1, nulls));
         },
         Window(kCaption0, 3),
         [](const Seen& seen) {
             ASSERT_EQ(3u, seen.cells.size());
             const Cells blank_record = {L" 1", L"", L"", L"", L"", L"", L"", L"", L"", L"", L"", L""};
             EXPECT_EQ(blank_record, seen.cells[1]);
         }},
        {"a decimal count of -5", 0,
         [](Arrangement& a) { a.Deliver(Confirmations(1, {{L"FQtyDecimal", adBSTR, Text(L"-5")}})); },
         Window(kCaption0, 3), [](const Seen& seen) { ExpectRecordRow(seen, ConfirmationRow(L"1,234", L"1,000")); }},
        {"a decimal count of 99999", 0,
         [](Arrangement& a) { a.Deliver(Confirmations(1, {{L"FQtyDecimal", adBSTR, Text(L"99999")}})); },
         Window(kCaption0, 3),
         [](const Seen& seen) {
             ExpectRecordRow(seen, ConfirmationRow(L"1,234.25" + std::wstring(26, L'0'), L"1,000." + std::wstring(28, L'0')));
         }},
        {"a decimal count that is not a number", 0,
         [](Arrangement& a) { a.Deliver(Confirmations(1, {{L"FQtyDecimal", adBSTR, Text(L"abc")}})); },
         Window(kCaption0, 3), [](const Seen& seen) { ExpectRecordRow(seen, ConfirmationRow(L"1,234", L"1,000")); }},
        {"a date that is text", 0,
         [](Arrangement& a) { a.Deliver(Confirmations(1, {{L"FValDate", adBSTR, Text(L"abc")}})); },
         Window(kCaption0, 3),
         [](const Seen& seen) { ExpectRecordRow(seen, ConfirmationRow(L"1,234.25", L"1,000.00", L"abc")); }},
        {"a date that is the empty text", 0,
         [](Arrangement& a) { a.Deliver(Confirmations(1, {{L"FValDate", adBSTR, Text(L"")}})); },
         Window(kCaption0, 3),
         [](const Seen& seen) { ExpectRecordRow(seen, ConfirmationRow(L"1,234.25", L"1,000.00", L"")); }},
        {"a date of 1E+308", 0,
         [](Arrangement& a) { a.Deliver(Confirmations(1, {{L"FDeliveryDate", adDouble, Double(1e308)}})); },
         Window(kCaption0, 3),
         [](const Seen& seen) {
             std::wstring text = ConfirmationRow();
             ExpectRecordRow(seen, text.replace(text.rfind(L"2024-03-12"), 10, L"1E+308"));
         }},
        {"a name of 100,000 characters", 2,
         [&](Arrangement& a) { a.Deliver(Confirmations(1, {{L"FName", adBSTR, Text(huge_text)}})); },
         Window(kCaption2, 3),
         [&](const Seen& seen) { ExpectRecordRow(seen, ConfirmationRow(L"1,234.25", L"1,000.00", L"2024-03-05", huge_text)); }},
        {"a reason of 100,000 characters", 1,
         [&](Arrangement& a) { a.Deliver(Rejection({{L"FRejectDesc", adBSTR, Text(huge_text)}})); },
         Window(kCaption1, 1 + 3334)},
        {"10,000 lines of one reason", 1,
         [&](Arrangement& a) { a.Deliver(Rejection({{L"FRejectDesc", adBSTR, Text(reason_of_10000_lines)}})); },
         Window(kCaption1, 1 + 10000)},
        {"a reason of 1E+308", 1,
         [](Arrangement& a) { a.Deliver(Rejection({{L"FRejectDesc", adDouble, Double(1e308)}})); },
         Window(kCaption1, 2), [](const Seen& seen) { ExpectRecordRow(seen, L"1|2023-12-10|1E+308|华南分公司|总部|"); }},
        {"a Null reason", 1, [](Arrangement& a) { a.Deliver(Rejection({{L"FRejectDesc", adBSTR, Null()}})); },
         Window(kCaption1, 2), [](const Seen& seen) { ExpectRecordRow(seen, L"1|2023-12-10||华南分公司|总部|"); }},
        {"a rejection date that is text", 1,
         [](Arrangement& a) { a.Deliver(Rejection({{L"FValDate", adBSTR, Text(L"abc")}})); },
         Fails(static_cast<HRESULT>(0x80040E21), L"ADODB.Recordset", kMultipleStep)},
        {"a rejection FID that is text", 1,
         [](Arrangement& a) { a.Deliver(Rejection({{L"FID", adBSTR, Text(L"abc")}})); },
         Fails(static_cast<HRESULT>(0x80040E21), L"ADODB.Recordset", kMultipleStep)},
        {"a Null rejection FID", 1, [](Arrangement& a) { a.Deliver(Rejection({{L"FID", adInteger, Null()}})); },
         Fails(static_cast<HRESULT>(0x80040E21), L"ADODB.Recordset", kMultipleStep)},

        // The session service.
        {"the second GetProperty fails", 0,
         [](Arrangement& a) {
             Steer(a.props, L"FailWith", {Long(5), Text(L"Venlock.ShareProps"), Text(L"会话已过期"), Long(2)});
         },
         Fails(kVbError(5), L"Venlock.ShareProps", L"会话已过期"),
         [](const Seen& seen) { EXPECT_EQ(0, seen.bill_calls) << "no query was made"; }},
        {"an object without a default value", 0,
         [&](Arrangement& a) { a.SessionAnswers(ObjectValue(&without_default)); },
         Fails(kVbError(438), L"Ambrelle", L"Object doesn't support this property or method")},
        {"an array", 0,
         [](Arrangement& a) {
             VARIANT array = ArrayValue();
             a.SessionAnswers(array);
             VariantClear(&array);
         },
         Fails(kVbError(13), L"Ambrelle", L"Type mismatch")},
        {"a session string of 100,000 characters", 0,
         [&](Arrangement& a) { Steer(a.props, L"AnswerWith", {Text(huge_text)}); }, Window(kCaption0, -1),
         [&](const Seen& seen) { EXPECT_EQ(huge_text, seen.props_seen) << "passed on whole"; }},

        // Stored settings of the wrong type or size, through the store as it keeps them (text) ...
        {"WinTop is text", 0, [](Arrangement& a) { a.StoreText(L"WinTop", L"abc"); },
         Fails(kVbError(13), L"Ambrelle", L"Type mismatch")},
        {"WinLeft is negative", 0, [](Arrangement& a) { a.StoreText(L"WinLeft", L"-5"); }, Window(kCaption0, -1)},
        {"WinWidth is 1E+30", 2, [](Arrangement& a) { a.StoreText(L"WinWidth", L"1E+30"); },
         Fails(kVbError(380), L"Ambrelle", L"Invalid property value")},
        {"WinHeight is empty text", 0, [](Arrangement& a) { a.StoreText(L"WinHeight", L""); },
         Fails(kVbError(13), L"Ambrelle", L"Type mismatch")},
        {"HWinWidth is negative", 1, [](Arrangement& a) { a.StoreText(L"HWinWidth", L"-1500"); },
         Fails(kVbError(380), L"Ambrelle", L"Invalid property value")},
        {"HWinTop is 1E+300", 1, [](Arrangement& a) { a.StoreText(L"HWinTop", L"1E+300"); },
         Fails(kVbError(6), L"Ambrelle", L"Overflow")},
        {"column widths of text, negative, 1E+30 and empty", 0,
         [](Arrangement& a) {
             a.StoreText(L"1ReqValidate", L"abc");
             a.StoreText(L"2ReqValidate", L"-5");
             a.StoreText(L"3ReqValidate", L"1E+30");
             a.StoreText(L"4ReqValidate", L"");
         },
         Window(kCaption0, -1)},
        {"a deleted key", 0,
         [](Arrangement& a) {
             RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\Ambrelle\\Settings",
                                L"WinHeight");
             a.touched_settings.push_back(L"WinHeight");
         },
         Window(kCaption0, -1),
         [](const Seen&) {
             const std::optional<std::wstring> stored = StoredSetting(L"WinHeight");
             ASSERT_TRUE(stored.has_value()) << "saved again on close";
             EXPECT_EQ(TwipsToPixelsY(8925), TwipsToPixelsY(wcstod(stored->c_str(), nullptr)))
                 << "the default height";
         }},
        // ... and as any value a store may give.
        {"WinTop is Empty", 0, [](Arrangement& a) { a.StoreAnswers(L"WinTop", Empty()); }, Window(kCaption0, -1)},
        {"WinLeft is Null", 0, [](Arrangement& a) { a.StoreAnswers(L"WinLeft", Null()); },
         Fails(kVbError(94), L"Ambrelle", L"Invalid use of Null")},
        {"WinWidth is an array", 0,
         [](Arrangement& a) {
             VARIANT array = ArrayValue();
             a.StoreAnswers(L"WinWidth", array);
             VariantClear(&array);
         },
         Fails(kVbError(13), L"Ambrelle", L"Type mismatch")},
        {"WinHeight is the number 1E+30", 0, [](Arrangement& a) { a.StoreAnswers(L"WinHeight", Double(1e30)); },
         Fails(kVbError(380), L"Ambrelle", L"Invalid property value")},
        {"HWinLeft is NaN", 1,
         [](Arrangement& a) { a.StoreAnswers(L"HWinLeft", Double(std::numeric_limits<double>::quiet_NaN())); },
         Fails(kVbError(380), L"Ambrelle", L"Invalid property value")},
        {"a column width that is an object", 0,
         [&](Arrangement& a) { a.StoreAnswers(L"5ReqValidate", ObjectValue(&without_default)); },
         Window(kCaption0, -1)},
        {"a store whose reads fail", 0, [](Arrangement& a) { a.store->fail_reads = E_ACCESSDENIED; },
         Fails(E_ACCESSDENIED, L"Ambrelle", L"访问被拒绝。")},
        {"a store whose writes fail", 1, [](Arrangement& a) { a.store->fail_writes = E_ACCESSDENIED; },
         Window(kCaption1, -1)},

        // The host.
        // Another kind keeps the layout of the thread's last window (a confirmation one here).
        {"kind -1", -1, Nothing, Window(kCaption0, -1), [](const Seen& seen) { EXPECT_EQ(12, seen.columns); }},
        {"kind 3", 3, Nothing, Window(kCaption0, -1), [](const Seen& seen) { EXPECT_EQ(12, seen.columns); }},
        {"kind 2^31-1", std::numeric_limits<LONG>::max(), Nothing, Window(kCaption0, -1),
         [](const Seen& seen) { EXPECT_EQ(12, seen.columns); }},
        {"show re-entered from inside the window", 0,
         [&](Arrangement& a) {
             a.inside = [&](HWND) {
                 ComPtr<_ClsValidate> other;
                 CLSID clsid;
                 CLSIDFromProgID(L"Ambrelle.ClsValidate", &clsid);
                 CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&other));
                 VARIANT_BOOL result = VARIANT_FALSE;
                 inner->hr = other ? other->show(&result) : E_FAIL;
                 inner->error = ambrelle::TakeComError(inner->hr);
             };
         },
         Window(kCaption0, -1),
         [&](const Seen&) {
             EXPECT_EQ(kVbError(400), inner->hr);
             EXPECT_EQ(L"Form already displayed; can't show modally", inner->error.description);
         }},
        {"show after a failed show", 0,
         [](Arrangement& a) {
             Steer(a.bill, L"FailWith", {Long(1234), Text(L"Quistral.IBillInfo"), Text(L"单据不存在")});
             LONG fid = 1001, kind = 1;
             a.validate->put_FID(&fid);
             a.validate->put_QueryClass(&kind);
             VARIANT_BOOL result = VARIANT_TRUE;
             EXPECT_EQ(kVbError(1234), a.validate->show(&result));
             SetErrorInfo(0, nullptr);
             Steer(a.bill, L"Reset", {});
         },
         Window(kCaption0, -1)},
        {"the bill service is not registered", 0,
         [](Arrangement& a) { a.Unregistered(ClassOf(L"Quistral.IBillInfo")); },
         Fails(kVbError(429), L"Ambrelle", L"ActiveX component can't create object")},
        {"the session service is not registered", 0,
         [](Arrangement& a) { a.Unregistered(ClassOf(L"Venlock.ShareProps")); },
         Fails(kVbError(429), L"Ambrelle", L"ActiveX component can't create object")},
        {"the grid is not registered", 0, [](Arrangement& a) { a.Unregistered(tessary::CLSID_Tessary); },
         Fails(REGDB_E_CLASSNOTREG, L"Ambrelle", L"Automation error")},
        {"the grid is not registered, after the bill service answered True and left an error object behind", 0,
         [](Arrangement& a) {
             a.Unregistered(tessary::CLSID_Tessary);
             struct Service {
                 ScriptedDispatch bill;
                 std::unique_ptr<ClassOverride> override_class;
             };
             auto service = std::make_shared<Service>();
             service->bill.On(L"QueryValidate", [](DISPPARAMS*, VARIANT* result, EXCEPINFO*) {
                 ambrelle::RaiseComError(E_FAIL, GUID_NULL, L"Quistral.IBillInfo", L"an error left behind");
                 if (result) *result = Bool(true);
                 return S_OK;
             });
             service->override_class = std::make_unique<ClassOverride>(L"Quistral.IBillInfo", &service->bill);
             a.held.push_back(service);
         },
         Fails(REGDB_E_CLASSNOTREG, L"Ambrelle", L"Automation error")},
        {"the record-set class is not registered, rejection kind", 1,
         [](Arrangement& a) {
             a.Deliver(Rejection({}));
             a.Unregistered(ClassOf(L"ADODB.Recordset"));
         },
         Fails(REGDB_E_CLASSNOTREG, L"Ambrelle", L"Automation error")},
    };
    EXPECT_GE(rows.size(), 40u);
    Run(rows);
}
