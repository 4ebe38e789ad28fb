// show from the apartments and threads a real host calls from: an object used
// from other apartments through the automation marshaler, under both of its
// interface identifiers; an object an MTA thread creates, which COM hosts in an
// apartment of its own; and several threads showing their first window at the
// same moment, again and again.
#include <gtest/gtest.h>
#include <wrl/client.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "ambrelle.h"
#include "automation.h"
#include "modal_driver.h"
#include "ok_button.h"
#include "test_support.h"
#include "unique_variant.h"

using ambrelle::UniqueVariant;
using Microsoft::WRL::ComPtr;
using namespace ambrelle_test;

namespace {

constexpr wchar_t kCaption0[] = L"内部订单确认信息查询";
constexpr wchar_t kCaption2[] = L"发货通知单确认信息查询";
// The interface identifier of the component's first version.
const IID kIidV0 = {0xEE0605B6, 0xF646, 0x48D0, {0x9F, 0xEC, 0x8C, 0x69, 0x87, 0x58, 0xF7, 0x5F}};

// Publishes the host's session string for this process.
void PublishSession() {
    ComPtr<IDispatch> service = CreateByProgId(L"Venlock.ShareProps");
    ASSERT_TRUE(service);
    ASSERT_EQ(S_OK, Call(service.Get(), L"SetProperty",
                         {Long(static_cast<LONG>(GetCurrentProcessId())), Text(L"PropsString"),
                          Text(L"Data Source=ERP01;UserName=apartments")}));
}

ComPtr<IUnknown> NewClsValidate(REFIID iid) {
    CLSID clsid;
    ComPtr<IUnknown> object;
    if (SUCCEEDED(CLSIDFromProgID(L"Ambrelle.ClsValidate", &clsid)))
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, reinterpret_cast<void**>(object.GetAddressOf()));
    return object;
}

// FID, QueryClass and show through the vtable; the HRESULT of the first failure.
HRESULT ShowByVtable(_ClsValidate* validate, LONG kind, VARIANT_BOOL* result) {
    LONG fid = 1001;
    HRESULT hr = validate->put_FID(&fid);
    if (SUCCEEDED(hr)) hr = validate->put_QueryClass(&kind);
    if (SUCCEEDED(hr)) hr = validate->show(result);
    return hr;
}

// The same through IDispatch, the names resolved by GetIDsOfNames.
HRESULT ShowByDispatch(IDispatch* validate, LONG kind, VARIANT_BOOL* result) {
    HRESULT hr = CallByName(validate, L"FID", DISPATCH_PROPERTYPUT, {Long(1001)}, nullptr);
    if (SUCCEEDED(hr)) hr = CallByName(validate, L"QueryClass", DISPATCH_PROPERTYPUT, {Long(kind)}, nullptr);
    UniqueVariant answer;
    if (SUCCEEDED(hr)) hr = Call(validate, L"show", {}, answer.ptr());
    if (SUCCEEDED(hr)) *result = answer.vt() == VT_BOOL ? V_BOOL(answer.ptr()) : 7;
    return hr;
}

// Pumps the calling STA thread's messages (calls coming in from other
// apartments, the window's own) until `done` is signalled.
void PumpUntil(HANDLE done) {
    DWORD index = 0;
    CoWaitForMultipleHandles(COWAIT_DISPATCH_CALLS | COWAIT_DISPATCH_WINDOW_MESSAGES, INFINITE, 1, &done, &index);
}

// Closes the one result window of the process, on whichever thread it is, as
// a user would; records its caption.
class AnyThreadCloser {
public:
    AnyThreadCloser()
        : thread_([this] {
              const DWORD start = GetTickCount();
              while (!stop_ && GetTickCount() - start < 30000) {
                  HWND window = FindWindowW(L"AmbrelleFrmValidateQuery", nullptr);
                  HWND button = window && IsWindowVisible(window) ? FindOkButton(window) : nullptr;
                  if (button) {
                      wchar_t caption[128] = L"";
                      GetWindowTextW(window, caption, 128);
                      captions_.push_back(caption);
                      PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
                      PostMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
                      while (IsWindow(window) && GetTickCount() - start < 30000) Sleep(20);
                  }
                  Sleep(20);
              }
          }) {}
    ~AnyThreadCloser() { Stop(); }
    const std::vector<std::wstring>& Stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        return captions_;
    }

private:
    std::atomic<bool> stop_{false};
    std::vector<std::wstring> captions_;
    std::thread thread_;
};

class Apartments : public ::testing::Test {
protected:
    void SetUp() override { PublishSession(); }
    ComApartment apartment_;
};

}  // namespace

// The object lives in this thread's apartment; other apartments call it
// through marshaled pointers, and the window opens here, where it lives.
// (Through IDispatch: the test platform's automation marshaler lays a proxy's
// vtable out in the order the type library lists the members, not by their
// vtable offsets, and the library lists show and QueryClass in the other
// order than the vtable holds them.)
TEST_F(Apartments, CallsFromOtherApartmentsReachTheObjectThroughTheMarshaler) {
    struct Case {
        const char* name;
        DWORD caller_model;
        const IID* marshaled;
    } cases[] = {
        {"MTA, current interface", COINIT_MULTITHREADED, &__uuidof(_ClsValidate)},
        {"MTA, IDispatch", COINIT_MULTITHREADED, &IID_IDispatch},
        {"MTA, first version's interface", COINIT_MULTITHREADED, &kIidV0},
        {"second STA, current interface", COINIT_APARTMENTTHREADED, &__uuidof(_ClsValidate)},
        {"second STA, first version's interface", COINIT_APARTMENTTHREADED, &kIidV0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<IUnknown> validate = NewClsValidate(__uuidof(_ClsValidate));
        ASSERT_TRUE(validate);
        ComPtr<IUnknown> as_marshaled;
        ASSERT_EQ(S_OK, validate->QueryInterface(*c.marshaled, reinterpret_cast<void**>(as_marshaled.GetAddressOf())));
        IStream* stream = nullptr;
        ASSERT_EQ(S_OK, CoMarshalInterThreadInterfaceInStream(*c.marshaled, as_marshaled.Get(), &stream));

        ModalDriver driver;
        driver.Record().ClickOk();
        driver.Start();
        HRESULT hr = E_FAIL;
        VARIANT_BOOL result = VARIANT_FALSE;
        HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        std::thread caller([&] {
            CoInitializeEx(nullptr, c.caller_model);
            IUnknown* proxy = nullptr;
            hr = CoGetInterfaceAndReleaseStream(stream, *c.marshaled, reinterpret_cast<void**>(&proxy));
            if (SUCCEEDED(hr)) {
                // Each of them is, or begins with, IDispatch (the first
                // version's reaches the caller as IDispatch alone).
                hr = ShowByDispatch(static_cast<IDispatch*>(proxy), 2, &result);
                proxy->Release();
            }
            CoUninitialize();
            SetEvent(done);
        });
        PumpUntil(done);
        caller.join();
        CloseHandle(done);
        EXPECT_EQ(S_OK, hr);
        EXPECT_EQ(VARIANT_TRUE, result);
        ASSERT_EQ(1u, driver.seen().size()) << "the window opened on the object's own thread";
        EXPECT_EQ(kCaption2, driver.seen()[0].caption);
        EXPECT_FALSE(driver.forced_close());
    }
}

// An MTA thread creates the apartment-threaded object: COM hosts it in an
// apartment of its own and hands back a proxy, whose show opens and closes
// the window there.
TEST_F(Apartments, AnObjectAnMtaThreadCreatesShowsInTheApartmentComMadeForIt) {
    AnyThreadCloser closer;
    HRESULT hr = E_FAIL;
    VARIANT_BOOL result = VARIANT_FALSE;
    std::thread host([&] {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        {
            // Asked for _ClsValidate, as the host's early-bound code would.
            ComPtr<IUnknown> created = NewClsValidate(__uuidof(_ClsValidate));
            ComPtr<IDispatch> validate;
            hr = created ? created.As(&validate) : REGDB_E_CLASSNOTREG;
            if (SUCCEEDED(hr)) hr = ShowByDispatch(validate.Get(), 2, &result);
        }
        CoUninitialize();
    });
    host.join();
    const std::vector<std::wstring> captions = closer.Stop();
    EXPECT_EQ(S_OK, hr);
    EXPECT_EQ(VARIANT_TRUE, result);
    ASSERT_EQ(1u, captions.size());
    EXPECT_EQ(kCaption2, captions[0]);
}

// Threads started together each show their first window: the window class
// is the process's, registered once whichever comes first. Each round ends
// every apartment, so the DLL unloads and the next round starts afresh.
TEST(ApartmentThreads, ThreadsShowingTheirFirstWindowTogetherAllOpenIt) {
    {
        ComApartment apartment;
        PublishSession();
    }
    constexpr int kThreads = 3;
    constexpr int kRounds = 8;
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE(round);
        std::atomic<int> waiting{kThreads};
        HRESULT hr[kThreads];
        VARIANT_BOOL result[kThreads];
        size_t seen[kThreads];
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            hr[t] = E_FAIL;
            result[t] = VARIANT_FALSE;
            seen[t] = 0;
            threads.emplace_back([&, t] {
                CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
                {
                    ComPtr<IUnknown> created = NewClsValidate(__uuidof(_ClsValidate));
                    ComPtr<_ClsValidate> validate;
                    if (created) created.As(&validate);
                    ModalDriver driver;
                    driver.Record().ClickOk();
                    driver.Start();
                    --waiting;
                    while (waiting > 0) Sleep(0);
                    if (validate) hr[t] = ShowByVtable(validate.Get(), 0, &result[t]);
                    seen[t] = driver.seen().size();
                }
                CoUninitialize();
            });
        }
        for (std::thread& thread : threads) thread.join();
        for (int t = 0; t < kThreads; ++t) {
            EXPECT_EQ(S_OK, hr[t]) << "thread " << t;
            EXPECT_EQ(VARIANT_TRUE, result[t]) << "thread " << t;
            EXPECT_EQ(1u, seen[t]) << "thread " << t;
        }
        EXPECT_EQ(nullptr, GetModuleHandleW(L"Ambrelle.dll")) << "the DLL went with the apartments";
    }
}
