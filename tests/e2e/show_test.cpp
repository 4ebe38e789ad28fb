// show from a C++ host, end to end: the registered Ambrelle.dll, the service
// stand-ins, the grid control and the real modal window under Xvfb.
#include <gtest/gtest.h>
#include <wrl/client.h>

#include <functional>
#include <string>
#include <thread>
#include <memory>
#include <vector>

#include <cstring>

#include "ado.h"
#include "ambrelle.h"
#include "automation.h"
#include "com_error.h"
#include "modal_driver.h"
#include "scripted_objects.h"
#include "tessary_identity.h"
#include "test_support.h"
#include "unique_variant.h"
#include "window_test_support.h"

using ambrelle::UniqueVariant;
using Microsoft::WRL::ComPtr;
using namespace ambrelle_test;

namespace {

constexpr wchar_t kSession[] = L"Data Source=ERP01;UserName=e2e;SessionID=42";
constexpr wchar_t kCaption0[] = L"内部订单确认信息查询";
constexpr wchar_t kCaption1[] = L"内部订单拒绝信息查询";
constexpr wchar_t kCaption2[] = L"发货通知单确认信息查询";

struct ShowOutcome {
    HRESULT hr = E_FAIL;
    bool result = false;
    ambrelle::ComErrorDetails error;
};

class ShowEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        bill_ = CreateByProgId(L"Quistral.IBillInfo.Steering");
        props_ = CreateByProgId(L"Venlock.ShareProps.Steering");
        ASSERT_TRUE(bill_ && props_) << "the service stand-ins are registered";
        ASSERT_EQ(S_OK, Call(bill_.Get(), L"Reset"));
        ASSERT_EQ(S_OK, Call(props_.Get(), L"Reset"));
        ComPtr<IDispatch> service = CreateByProgId(L"Venlock.ShareProps");
        ASSERT_TRUE(service);
        ASSERT_EQ(S_OK, Call(service.Get(), L"SetProperty",
                             {Long(static_cast<LONG>(GetCurrentProcessId())), Text(L"PropsString"), Text(kSession)}));
        CLSID clsid;
        ASSERT_EQ(S_OK, CLSIDFromProgID(L"Ambrelle.ClsValidate", &clsid));
        ASSERT_EQ(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&validate_)));
    }

    // Early-bound, as a C++ host: puts FID and QueryClass, then show while the driver works the window.
    ShowOutcome Show(LONG fid, LONG kind, ModalDriver* driver) {
        ShowOutcome outcome;
        EXPECT_EQ(S_OK, validate_->put_FID(&fid));
        EXPECT_EQ(S_OK, validate_->put_QueryClass(&kind));
        driver->Start();
        VARIANT_BOOL result = 7;
        outcome.hr = validate_->show(&result);
        outcome.result = result == VARIANT_TRUE;
        if (FAILED(outcome.hr)) {
            outcome.error = ambrelle::TakeComError(outcome.hr);
            EXPECT_EQ(VARIANT_FALSE, result);
        } else {
            EXPECT_TRUE(result == VARIANT_TRUE || result == VARIANT_FALSE);
        }
        EXPECT_EQ(nullptr, FindResultWindow()) << "no window is left open";
        return outcome;
    }

    LONG BillCalls() { return GetLong(bill_.Get(), L"CallCount"); }

    ComApartment apartment_;
    ComPtr<IDispatch> bill_;
    ComPtr<IDispatch> props_;
    ComPtr<_ClsValidate> validate_;
};

}  // namespace

TEST_F(ShowEndToEnd, EachKindHasItsCaptionAndOkEndsShowWithTrue) {
    struct Case {
        LONG kind;
        const wchar_t* caption;
    } cases[] = {{0, kCaption0}, {1, kCaption1}, {2, kCaption2}, {3, kCaption0}, {-1, kCaption0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        ModalDriver driver;
        driver.Record().ClickOk();
        ShowOutcome outcome = Show(1001, c.kind, &driver);
        ASSERT_EQ(S_OK, outcome.hr) << std::string(outcome.error.description.begin(), outcome.error.description.end());
        EXPECT_TRUE(outcome.result);
        ASSERT_EQ(1u, driver.seen().size());
        EXPECT_EQ(c.caption, driver.seen()[0].caption);
        EXPECT_FALSE(driver.forced_close());
    }
}

namespace {

void CheckDesign(HWND window) {
        HDC screen = GetDC(nullptr);
        const int dpi_x = GetDeviceCaps(screen, LOGPIXELSX);
        const int dpi_y = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        // With nothing stored the window takes the default geometry: 6390 wide, 8925 high, outer size.
        RECT outer;
        GetWindowRect(window, &outer);
        EXPECT_EQ(MulDiv(6390, dpi_x, 1440), outer.right - outer.left);
        EXPECT_EQ(MulDiv(8925, dpi_y, 1440), outer.bottom - outer.top);
        RECT client;
        GetClientRect(window, &client);

        // The DLL's icon holds a 16x16 and a 32x32 image of 256 colours, and the window shows it.
        HMODULE dll = GetModuleHandleW(L"Ambrelle.dll");
        HRSRC found = FindResourceW(dll, MAKEINTRESOURCEW(101), RT_GROUP_ICON);
        ASSERT_NE(nullptr, found);
        const BYTE* group = static_cast<const BYTE*>(LockResource(LoadResource(dll, found)));
        ASSERT_NE(nullptr, group);
        std::vector<std::vector<int>> images;  // width, height, colours field, bits per pixel
        for (WORD i = 0; i < *reinterpret_cast<const WORD*>(group + 4); ++i) {
            const BYTE* entry = group + 6 + 14 * i;
            images.push_back({entry[0], entry[1], entry[2], *reinterpret_cast<const WORD*>(entry + 6)});
        }
        EXPECT_EQ((std::vector<std::vector<int>>{{16, 16, 0, 8}, {32, 32, 0, 8}}), images);
        EXPECT_NE(nullptr, reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICON)));
        EXPECT_NE(nullptr, reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICONSM)));

        HWND grid = FindWindowExW(window, nullptr, tessary::kWindowClass, nullptr);
        HWND button = FindWindowExW(window, nullptr, L"BUTTON", nullptr);
        ASSERT_NE(nullptr, grid);
        ASSERT_NE(nullptr, button);
        RECT grid_rect;
        GetWindowRect(grid, &grid_rect);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&grid_rect), 2);
        // The resize layout has fitted the grid to the client area.
        EXPECT_EQ(MulDiv(45, dpi_x, 1440), grid_rect.left);
        EXPECT_EQ(MulDiv(15, dpi_y, 1440), grid_rect.top);
        EXPECT_EQ(client.right - MulDiv(45, dpi_x, 1440), grid_rect.right);

        wchar_t text[32];
        GetWindowTextW(button, text, 32);
        EXPECT_STREQ(L"确定(&O)", text);
        EXPECT_EQ(0, GetWindowLongW(button, GWL_STYLE) & BS_DEFPUSHBUTTON) << "not the default button";
        EXPECT_NE(IDOK, GetDlgCtrlID(button));
        EXPECT_NE(IDCANCEL, GetDlgCtrlID(button));
        RECT button_rect;
        GetWindowRect(button, &button_rect);
        EXPECT_EQ(MulDiv(7560 + 1215, dpi_x, 1440) - MulDiv(7560, dpi_x, 1440), button_rect.right - button_rect.left);

        LOGFONTW font = {};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0)), sizeof(font), &font);
        EXPECT_STREQ(L"宋体", font.lfFaceName);
        EXPECT_EQ(-MulDiv(9, dpi_y, 72), font.lfHeight);
        EXPECT_EQ(FW_NORMAL, font.lfWeight);
        EXPECT_EQ(GB2312_CHARSET, font.lfCharSet);
        EXPECT_FALSE(font.lfItalic || font.lfUnderline || font.lfStrikeOut);

        // The grid first, then the button, in the tab order.
        EXPECT_EQ(grid, GetNextDlgTabItem(window, nullptr, FALSE));
        EXPECT_EQ(button, GetNextDlgTabItem(window, grid, FALSE));
        EXPECT_TRUE(GetFocus() == grid || IsChild(grid, GetFocus())) << "the grid has the focus";
}

BOOL CALLBACK CountResultWindows(HWND window, LPARAM count) {
    wchar_t name[64];
    if (GetClassNameW(window, name, 64) && wcscmp(name, L"AmbrelleFrmValidateQuery") == 0)
        ++*reinterpret_cast<int*>(count);
    return TRUE;
}

}  // namespace

TEST_F(ShowEndToEnd, WindowHasItsDesign) {
    // No stored geometry: the window opens with the default one.
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\Ambrelle");
    ModalDriver driver;
    bool checked = false;
    driver.Then([&](HWND window) {
        CheckDesign(window);
        checked = true;
        return true;
    });
    driver.ClickOk();
    ShowOutcome outcome = Show(1001, 0, &driver);
    EXPECT_EQ(S_OK, outcome.hr);
    EXPECT_TRUE(checked);
}

TEST_F(ShowEndToEnd, OkAltOAndTheCloseBoxEndShowWithTrueEnterAndEscDoNot) {
    enum Way { kClick, kAltO, kCloseBox };
    for (Way way : {kClick, kAltO, kCloseBox}) {
        SCOPED_TRACE(way);
        ModalDriver driver;
        driver.PressKey(VK_RETURN).StayOpenAWhile().PressKey(VK_ESCAPE).StayOpenAWhile();
        if (way == kClick) driver.ClickOk();
        if (way == kAltO) driver.PressAltO();
        if (way == kCloseBox) driver.CloseBox();
        ShowOutcome outcome = Show(1001, 2, &driver);
        EXPECT_EQ(S_OK, outcome.hr);
        EXPECT_TRUE(outcome.result);
        EXPECT_TRUE(driver.all_steps_done()) << "Enter and Esc left the window open";
        EXPECT_FALSE(driver.forced_close()) << "the window closed the way the user asked";
    }
}

TEST_F(ShowEndToEnd, RefusedQueriesReturnFalseWithoutAWindowAndNullGoesOn) {
    struct Case {
        VARIANT answer;
        bool shows;
    } cases[] = {{Bool(false), false}, {Long(0), false}, {Long(1), false}, {Empty(), false},
                 {Long(5), false},     {Null(), true},   {Bool(true), true}, {Long(-1), true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(V_VT(&c.answer));
        ASSERT_EQ(S_OK, Call(bill_.Get(), L"Reset"));
        ASSERT_EQ(S_OK, Call(bill_.Get(), L"ReturnResult", {c.answer}));
        ModalDriver driver;
        driver.Record().ClickOk();
        ShowOutcome outcome = Show(1001, 0, &driver);
        EXPECT_EQ(S_OK, outcome.hr);
        EXPECT_EQ(c.shows, outcome.result);
        EXPECT_EQ(c.shows ? 1u : 0u, driver.seen().size());
        EXPECT_EQ(1, BillCalls());
    }
}

TEST_F(ShowEndToEnd, ServicesReceiveExactlyTheirArguments) {
    ModalDriver driver;
    driver.ClickOk();
    ASSERT_EQ(S_OK, Show(3003, 2, &driver).hr);

    EXPECT_EQ(1, BillCalls());
    EXPECT_EQ(4, GetLong(bill_.Get(), L"LastArgCount"));
    const LONG bill_types[] = {VT_BSTR, VT_BYREF | VT_DISPATCH, VT_BYREF | VT_I4, VT_BYREF | VT_I4};
    for (LONG position = 1; position <= 4; ++position)
        EXPECT_EQ(bill_types[position - 1], GetLong(bill_.Get(), L"LastArgType", {Long(position)})) << position;
    EXPECT_EQ(kSession, GetText(bill_.Get(), L"LastPropsString"));
    EXPECT_EQ(3003, GetLong(bill_.Get(), L"LastBillId"));
    EXPECT_EQ(2, GetLong(bill_.Get(), L"LastQueryKind"));

    EXPECT_EQ(2, GetLong(props_.Get(), L"CallCount", {Text(L"PropsString")})) << "GetProperty twice per show";
    EXPECT_EQ(2, GetLong(props_.Get(), L"TotalCalls"));
    EXPECT_EQ(2, GetLong(props_.Get(), L"LastArgCount"));
    EXPECT_EQ(VT_BYREF | VT_I4, GetLong(props_.Get(), L"LastArgType", {Long(1)}));
    EXPECT_EQ(VT_BYREF | VT_BSTR, GetLong(props_.Get(), L"LastArgType", {Long(2)}));
    EXPECT_EQ(static_cast<LONG>(GetCurrentProcessId()), GetLong(props_.Get(), L"LastProcessId"));
    EXPECT_EQ(L"PropsString", GetText(props_.Get(), L"LastName"));

    // Every show asks again.
    ModalDriver again;
    again.ClickOk();
    ASSERT_EQ(S_OK, Show(3003, 2, &again).hr);
    EXPECT_EQ(2, BillCalls());
    EXPECT_EQ(4, GetLong(props_.Get(), L"TotalCalls"));
}

TEST_F(ShowEndToEnd, TheServiceMayRewriteBillIdAndKind) {
    ASSERT_EQ(S_OK, Call(bill_.Get(), L"WriteBackBillId", {Long(2002)}));
    ASSERT_EQ(S_OK, Call(bill_.Get(), L"WriteBackQueryKind", {Long(1)}));
    ModalDriver driver;
    driver.Record().ClickOk();
    ShowOutcome outcome = Show(1001, 0, &driver);
    ASSERT_EQ(S_OK, outcome.hr);
    ASSERT_EQ(1u, driver.seen().size());
    EXPECT_EQ(kCaption1, driver.seen()[0].caption) << "the written kind is the one shown";
    EXPECT_EQ(1001, GetLong(bill_.Get(), L"LastBillId"));

    // The object keeps the written values for its next show.
    ASSERT_EQ(S_OK, Call(bill_.Get(), L"Reset"));
    ModalDriver next;
    next.Record().ClickOk();
    VARIANT_BOOL result = VARIANT_FALSE;
    next.Start();
    ASSERT_EQ(S_OK, validate_->show(&result));
    EXPECT_EQ(2002, GetLong(bill_.Get(), L"LastBillId"));
    EXPECT_EQ(1, GetLong(bill_.Get(), L"LastQueryKind"));
}

TEST_F(ShowEndToEnd, SessionValueIsTakenAsText) {
    struct Case {
        const wchar_t* steer;
        std::function<VARIANT()> value;
        const wchar_t* expected;
    } cases[] = {
        {L"AnswerWith", [] { return Empty(); }, L""},
        {L"AnswerWith", [] { return Long(42); }, L"42"},
        {L"AnswerWithObject", nullptr, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected ? std::string(c.expected, c.expected + wcslen(c.expected)) : "object");
        ASSERT_EQ(S_OK, Call(bill_.Get(), L"Reset"));
        ASSERT_EQ(S_OK, Call(props_.Get(), L"Reset"));
        if (c.expected) {
            ASSERT_EQ(S_OK, Call(props_.Get(), c.steer, {c.value()}));
        } else {
            ASSERT_EQ(S_OK, Call(props_.Get(), c.steer, {Text(L"session-of-an-object")}));
        }
        ModalDriver driver;
        driver.ClickOk();
        ShowOutcome outcome = Show(1001, 0, &driver);
        EXPECT_EQ(S_OK, outcome.hr);
        EXPECT_TRUE(outcome.result);
        EXPECT_EQ(c.expected ? c.expected : L"session-of-an-object", GetText(bill_.Get(), L"LastPropsString"));
        EXPECT_EQ(2, GetLong(props_.Get(), L"TotalCalls"));
    }
}

TEST_F(ShowEndToEnd, FailuresReachTheHostWithNumberSourceAndDescription) {
    struct Case {
        const char* name;
        std::function<void()> steer;
        LONG kind;
        HRESULT hr;
        const wchar_t* source;  // nullptr: not checked
        const wchar_t* description;
        bool queried;
    } cases[] = {
        {"null session", [&] { Call(props_.Get(), L"AnswerWith", {Null()}); }, 0,
         static_cast<HRESULT>(0x800A005E), L"Ambrelle", L"Invalid use of Null", false},
        {"shared properties fail",
         [&] { Call(props_.Get(), L"FailWith", {Long(77), Text(L"Venlock.ShareProps"), Text(L"会话服务不可用")}); },
         0, static_cast<HRESULT>(0x800A004D), L"Venlock.ShareProps", L"会话服务不可用", false},
        {"query fails",
         [&] { Call(bill_.Get(), L"FailWith", {Long(1234), Text(L"Quistral.IBillInfo"), Text(L"单据不存在")}); }, 0,
         static_cast<HRESULT>(0x800A04D2), L"Quistral.IBillInfo", L"单据不存在", true},
        {"not a record set", [&] { CallByName(bill_.Get(), L"Delivery", DISPATCH_PROPERTYPUT, {Long(3)}, nullptr); }, 0,
         static_cast<HRESULT>(0x800A000D), L"Ambrelle", L"Type mismatch", true},
        {"result beyond a Long", [&] { Call(bill_.Get(), L"ReturnResult", {Double(3e9)}); }, 0,
         static_cast<HRESULT>(0x800A0006), L"Ambrelle", L"Overflow", true},
        {"result not a number", [&] { Call(bill_.Get(), L"ReturnResult", {Text(L"abc")}); }, 0,
         static_cast<HRESULT>(0x800A000D), L"Ambrelle", L"Type mismatch", true},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(S_OK, Call(bill_.Get(), L"Reset"));
        ASSERT_EQ(S_OK, Call(props_.Get(), L"Reset"));
        c.steer();
        ModalDriver driver;
        driver.Record().ClickOk();
        ShowOutcome outcome = Show(1001, c.kind, &driver);
        EXPECT_EQ(c.hr, outcome.hr);
        if (c.source) {
            EXPECT_EQ(c.source, outcome.error.source);
        }
        if (c.description) {
            EXPECT_EQ(c.description, outcome.error.description);
        }
        EXPECT_FALSE(outcome.error.description.empty());
        EXPECT_EQ(0u, driver.seen().size()) << "no window";
        EXPECT_EQ(c.queried ? 1 : 0, BillCalls());
    }
}

TEST_F(ShowEndToEnd, LateBoundFailureArrivesAsAnException) {
    ASSERT_EQ(S_OK, Call(bill_.Get(), L"FailWith", {Long(3021), Text(L"ADODB.Recordset"), Text(L"No current record.")}));
    ComPtr<IDispatch> late;
    ASSERT_EQ(S_OK, validate_.As(&late));
    UniqueVariant result;
    CallError error;
    EXPECT_EQ(DISP_E_EXCEPTION, CallByName(late.Get(), L"show", DISPATCH_METHOD, {}, result.ptr(), &error));
    EXPECT_EQ(static_cast<HRESULT>(0x800A0BCD), error.scode);
    EXPECT_EQ(L"ADODB.Recordset", error.source);
    EXPECT_EQ(L"No current record.", error.description);
}

TEST_F(ShowEndToEnd, ASecondShowOnTheThreadGetsAFreshWindowAndTheDllStaysLoaded) {
    HMODULE dll = GetModuleHandleW(L"Ambrelle.dll");
    ASSERT_NE(nullptr, dll);
    auto can_unload = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void*>(GetProcAddress(dll, "DllCanUnloadNow")));
    HRESULT during_show = S_OK;
    HWND first_window = nullptr;
    ModalDriver first;
    first.Then([&](HWND window) {
        during_show = can_unload();
        first_window = window;
        return true;
    });
    first.Record().ClickOk();
    ASSERT_EQ(S_OK, Show(1001, 0, &first).hr);
    EXPECT_EQ(S_FALSE, during_show);
    EXPECT_FALSE(IsWindow(first_window)) << "unloading destroyed the on-screen window";

    ComPtr<_ClsValidate> other;
    CLSID clsid;
    ASSERT_EQ(S_OK, CLSIDFromProgID(L"Ambrelle.ClsValidate", &clsid));
    ASSERT_EQ(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&other)));
    LONG kind = 2;
    ASSERT_EQ(S_OK, other->put_QueryClass(&kind));
    ModalDriver second;
    int windows_open = 0;
    second.Then([&](HWND) {
        EnumThreadWindows(GetCurrentThreadId(), CountResultWindows, reinterpret_cast<LPARAM>(&windows_open));
        return true;
    });
    second.Record().ClickOk();
    second.Start();
    VARIANT_BOOL result = VARIANT_FALSE;
    ASSERT_EQ(S_OK, other->show(&result));
    EXPECT_EQ(VARIANT_TRUE, result);
    ASSERT_EQ(1u, second.seen().size());
    EXPECT_EQ(kCaption2, second.seen()[0].caption);
    EXPECT_EQ(1, windows_open) << "nothing of the first window remains";
}

TEST_F(ShowEndToEnd, SessionValuesThatCannotBeTakenFailWithTheirOwnErrors) {
    DefaultValueObject null_default(Null());
    struct Case {
        const char* name;
        VARIANT first;   // GetProperty's first answer (VT_ERROR: an exception with the scode in it)
        VARIANT second;  // and its second
        HRESULT hr;
        const wchar_t* description;
    } cases[] = {
        {"object whose default is Null", ObjectValue(&null_default.object), ObjectValue(&null_default.object),
         static_cast<HRESULT>(0x800A005E), L"Invalid use of Null"},
        {"Nothing", ObjectValue(nullptr), ObjectValue(nullptr), static_cast<HRESULT>(0x800A005B),
         L"Object variable or With block variable not set"},
        {"an object, then a number", ObjectValue(&null_default.object), Long(5), static_cast<HRESULT>(0x800A01A8),
         L"Object required"},
        {"an exception with a success code", {}, Long(5), E_FAIL, L"会话服务异常"},
    };
    V_VT(&cases[3].first) = VT_ERROR;
    V_ERROR(&cases[3].first) = S_FALSE;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(S_OK, Call(bill_.Get(), L"Reset"));
        int calls = 0;
        ScriptedDispatch service;
        service.On(L"GetProperty", [&](DISPPARAMS*, VARIANT* result, EXCEPINFO* excep) {
            const VARIANT& answer = ++calls == 1 ? c.first : c.second;
            if (V_VT(&answer) != VT_ERROR) return VariantCopy(result, const_cast<VARIANT*>(&answer));
            *excep = EXCEPINFO{};
            excep->scode = V_ERROR(&answer);
            excep->bstrSource = SysAllocString(L"Venlock.ShareProps");
            excep->bstrDescription = SysAllocString(L"会话服务异常");
            return DISP_E_EXCEPTION;
        });
        ClassOverride override_props(L"Venlock.ShareProps", &service);
        ASSERT_TRUE(override_props.registered());
        ModalDriver driver;
        driver.Record().ClickOk();
        ShowOutcome outcome = Show(1001, 0, &driver);
        EXPECT_EQ(c.hr, outcome.hr);
        EXPECT_EQ(c.description, outcome.error.description);
        EXPECT_EQ(0u, driver.seen().size());
        EXPECT_EQ(0, BillCalls()) << "no query is made";
    }
}

TEST_F(ShowEndToEnd, ValidateRsIsWhatTheServiceLeftAndShowNeverClosesIt) {
    OwnBillService service;
    std::vector<SeenQuery>& seen = service.seen;
    ComPtr<IDispatch>& deliver = service.deliver;
    VARIANT& answer = service.answer;
    auto show = [&] {
        ModalDriver driver;
        driver.ClickOk();
        driver.Start();
        VARIANT_BOOL result = 7;
        EXPECT_EQ(S_OK, validate_->show(&result));
        return result;
    };

    // A fresh object: bill 0, kind 0, its own closed record set.
    deliver = RecordsOf({{1.5, 1}, {2, 2}});
    ASSERT_TRUE(deliver);
    EXPECT_EQ(VARIANT_TRUE, show());
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(0, seen[0].fid);
    EXPECT_EQ(0, seen[0].kind);
    ASSERT_TRUE(seen[0].records);
    EXPECT_EQ(0, GetLong(seen[0].records.Get(), L"State")) << "a new, closed record set";
    EXPECT_EQ(1, GetLong(deliver.Get(), L"State")) << "show left the service's record set open";

    // The next show passes that record set, still open, for every kind.
    for (LONG kind : {2, 3, 0}) {
        ASSERT_EQ(S_OK, validate_->put_QueryClass(&kind));
        ComPtr<IDispatch> passed = deliver;
        deliver.Reset();  // the service leaves the argument as it is
        EXPECT_EQ(VARIANT_TRUE, show());
        EXPECT_EQ(passed.Get(), seen.back().records.Get()) << kind;
        EXPECT_EQ(1, GetLong(passed.Get(), L"State")) << kind;
        deliver = passed;
    }

    // A refusal: what the service left is ValidateRs all the same.
    ComPtr<IDispatch> left_by_refusal = RecordsOf({});
    deliver = left_by_refusal;
    answer = Bool(false);
    EXPECT_EQ(VARIANT_FALSE, show());
    deliver.Reset();
    answer = Bool(true);
    EXPECT_EQ(VARIANT_TRUE, show());
    EXPECT_EQ(left_by_refusal.Get(), seen.back().records.Get());
}

namespace {

// Records every record set created in the calling apartment while it lives.
class RecordingRecordsets final : public RegisteredClassObject {
public:
    RecordingRecordsets() {
        CLSID clsid;
        if (SUCCEEDED(CLSIDFromProgID(L"ADODB.Recordset", &clsid)) &&
            SUCCEEDED(CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_PPV_ARGS(&real_))))
            Register(clsid);
    }
    const std::vector<ComPtr<IDispatch>>& created() const { return created_; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
        HRESULT hr = real_->CreateInstance(outer, riid, object);
        if (SUCCEEDED(hr)) {
            ComPtr<IDispatch> records;
            static_cast<IUnknown*>(*object)->QueryInterface(IID_PPV_ARGS(&records));
            created_.push_back(records);
        }
        return hr;
    }

private:
    ComPtr<IClassFactory> real_;
    std::vector<ComPtr<IDispatch>> created_;
};

}  // namespace

TEST_F(ShowEndToEnd, TheRejectionSetIsClosedOnceTheWindowHasClosed) {
    ASSERT_EQ(S_OK, Call(bill_.Get(), L"AddRejectionRow",
                         {Long(501), Double(45270.25), Text(std::wstring(31, L'x')), Text(L"华南分公司"), Text(L"总部")}));
    RecordingRecordsets recordsets;
    ASSERT_TRUE(recordsets.registered());
    LONG open_while_shown = -1;
    ModalDriver driver;
    driver.Then([&](HWND) {
        if (!recordsets.created().empty()) open_while_shown = GetLong(recordsets.created().back().Get(), L"State");
        return true;
    });
    driver.ClickOk();
    ASSERT_EQ(S_OK, Show(1001, 1, &driver).hr);
    ASSERT_FALSE(recordsets.created().empty());
    // The last record set made during show is the rejection set (2 lines).
    const ComPtr<IDispatch>& lines = recordsets.created().back();
    EXPECT_EQ(1, open_while_shown);
    EXPECT_EQ(0, GetLong(lines.Get(), L"State")) << "closed after the window";
}

namespace {

// Whether the host's window was enabled when the result window was destroyed.
struct DestroyWatch {
    HWND watched = nullptr;
    HWND host = nullptr;
    int host_enabled = -1;
};
thread_local DestroyWatch* t_destroy_watch = nullptr;

LRESULT CALLBACK WatchDestroy(int code, WPARAM wparam, LPARAM lparam) {
    DestroyWatch* watch = t_destroy_watch;
    if (code == HCBT_DESTROYWND && watch && reinterpret_cast<HWND>(wparam) == watch->watched)
        watch->host_enabled = IsWindowEnabled(watch->host) ? 1 : 0;
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

}  // namespace

TEST_F(ShowEndToEnd, TheHostsActiveWindowIsActiveAgainAfterTheClose) {
    for (bool close_box : {false, true}) {
        SCOPED_TRACE(close_box);
        HWND host = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200,
                                    nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, host);
        SetForegroundWindow(host);
        SetActiveWindow(host);
        ASSERT_EQ(host, GetActiveWindow());
        bool host_disabled = false;
        DestroyWatch watch;
        watch.host = host;
        t_destroy_watch = &watch;
        HHOOK hook = SetWindowsHookExW(WH_CBT, WatchDestroy, nullptr, GetCurrentThreadId());
        ASSERT_NE(nullptr, hook);
        ModalDriver driver;
        driver.Then([&](HWND window) {
            host_disabled = !IsWindowEnabled(host);
            watch.watched = window;
            return true;
        });
        if (close_box)
            driver.CloseBox();
        else
            driver.ClickOk();
        EXPECT_EQ(S_OK, Show(1001, 0, &driver).hr);
        UnhookWindowsHookEx(hook);
        t_destroy_watch = nullptr;
        EXPECT_TRUE(host_disabled) << "modal while shown";
        EXPECT_EQ(1, watch.host_enabled) << "enabled before the window is destroyed, as after a modal dialog";
        EXPECT_TRUE(IsWindowEnabled(host));
        EXPECT_EQ(host, GetActiveWindow());
        DestroyWindow(host);
    }
}

namespace {

// Runs `body` on a thread of its own, in an apartment of its own that ends
// before this returns.
void OnOwnApartment(const std::function<void()>& body) {
    std::thread thread([&] {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        body();
        CoUninitialize();
    });
    thread.join();
}

ComPtr<_ClsValidate> NewClsValidate() {
    ComPtr<_ClsValidate> validate;
    CLSID clsid;
    if (SUCCEEDED(CLSIDFromProgID(L"Ambrelle.ClsValidate", &clsid)))
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&validate));
    return validate;
}

}  // namespace

TEST(ShowOnItsOwnThread, AnotherKindWithoutAnEarlierLayoutFailsWithSubscriptOutOfRange) {
    HRESULT hr = S_OK;
    ambrelle::ComErrorDetails error;
    bool window_seen = false;
    OnOwnApartment([&] {
        ComPtr<_ClsValidate> validate = NewClsValidate();
        ASSERT_TRUE(validate);
        LONG kind = 3;
        validate->put_QueryClass(&kind);
        ModalDriver driver;
        driver.Then([&](HWND) { return window_seen = true; });
        driver.ClickOk();
        driver.Start();
        VARIANT_BOOL result = 7;
        hr = validate->show(&result);
        error = ambrelle::TakeComError(hr);
    });
    EXPECT_EQ(static_cast<HRESULT>(0x800A0009), hr);
    EXPECT_EQ(L"Subscript out of range", error.description);
    EXPECT_FALSE(window_seen);
}

TEST(ShowOnItsOwnThread, TheThreadsWindowLetsItsRecordSetGoWhenTheApartmentEnds) {
    IDispatch* shown = nullptr;
    OnOwnApartment([&] {
        OwnBillService service(RecordsOf({{1, 2}}));
        ASSERT_TRUE(service.deliver);
        ComPtr<_ClsValidate> validate = NewClsValidate();
        ASSERT_TRUE(validate);
        ModalDriver driver;
        driver.ClickOk();
        driver.Start();
        VARIANT_BOOL result = 7;
        EXPECT_EQ(S_OK, validate->show(&result));
        shown = service.deliver.Get();
        shown->AddRef();
    });
    ASSERT_NE(nullptr, shown);
    EXPECT_EQ(0u, shown->Release()) << "nothing keeps the record set once its apartment has ended";
    // Only that apartment loaded the DLL: it went when the apartment ended.
    EXPECT_EQ(nullptr, GetModuleHandleW(L"Ambrelle.dll")) << "the DLL was unloaded with the apartment";
}

TEST_F(ShowEndToEnd, ARecordSetThatCannotCountGivesTheRowCountItReportsOrItsOwnFailure) {
    // The totals are computed first, and they walk the records by their count.
    const std::wstring count_failed =
        L"查看确认信息出错：\r\n错误编码：-2147467259\r\n错误来源：Ambrelle[loadLdg sub]\r\n"
        L"错误描述：The totals cannot be computed.";
    struct Case {
        LONG kind;
        CountMethod count;
        LONG rows;  // header and totals row for kinds 0 and 2, header only for others, each plus -1
        std::wstring box;
    } cases[] = {{0, CountUnknown, 1, L""},
                 {2, CountUnknown, 1, L""},
                 {3, CountUnknown, 0, L""},
                 // Reported with the load's own text, never an older error of the host's or the service's.
                 {0, CountFails, 1, count_failed},
                 {3, CountFails, 1, count_failed}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        ComPtr<IDispatch> deliver = RecordsOf({{1.5, 1}, {2, 2}});
        ASSERT_TRUE(deliver);
        CountlessRecordset countless(deliver.Get(), c.count);
        ComPtr<ICreateErrorInfo> older;
        ASSERT_EQ(S_OK, CreateErrorInfo(&older));
        older->SetDescription(const_cast<LPOLESTR>(L"an older error"));
        ComPtr<IErrorInfo> older_info;
        ASSERT_EQ(S_OK, older.As(&older_info));
        SetErrorInfo(0, older_info.Get());
        // The service succeeds and leaves an error object behind.
        OwnBillService service(deliver, Bool(true), older_info.Get());
        LONG rows = -3;
        ModalDriver driver;
        driver.Then([&](HWND window) {
            rows = GridRowCount(window);
            return true;
        });
        driver.ClickOk();
        // The host's window takes no input from the moment show opens the window.
        HWND host = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200,
                                    nullptr, nullptr, nullptr, nullptr);
        MessageBoxWatcher boxes;
        EXPECT_EQ(S_OK, Show(1001, c.kind, &driver).hr);
        EXPECT_EQ(c.rows, rows);
        if (c.box.empty()) {
            EXPECT_TRUE(boxes.seen().empty());
        } else {
            ASSERT_EQ(1u, boxes.seen().size());
            EXPECT_EQ(c.box, boxes.seen()[0].text);
            EXPECT_EQ(0, boxes.seen()[0].enabled_beside) << "the host is disabled while the warning box is up";
        }
        EXPECT_TRUE(IsWindowEnabled(host));
        DestroyWindow(host);
        SetErrorInfo(0, nullptr);
    }
}
