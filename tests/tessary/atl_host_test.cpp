// The grid in a container that is not ours: Wine's atl.dll and its AtlAxWin
// window class, created from the ProgID.
#include <gtest/gtest.h>
#include <wrl/client.h>

#include <string>

#include "grid_host.h"
#include "tessary_identity.h"
#include "test_support.h"

using Microsoft::WRL::ComPtr;
using namespace tessary_test;

namespace {

using AtlAxWinInitFn = BOOL(WINAPI*)();
using AtlAxGetControlFn = HRESULT(WINAPI*)(HWND, IUnknown**);

class AtlHost : public ::testing::Test {
protected:
    void SetUp() override {
        atl_ = LoadLibraryW(L"atl.dll");
        ASSERT_NE(nullptr, atl_);
        auto init = reinterpret_cast<AtlAxWinInitFn>(reinterpret_cast<void*>(GetProcAddress(atl_, "AtlAxWinInit")));
        get_control_ =
            reinterpret_cast<AtlAxGetControlFn>(reinterpret_cast<void*>(GetProcAddress(atl_, "AtlAxGetControl")));
        ASSERT_TRUE(init && get_control_);
        ASSERT_TRUE(init());
        parent_ = CreateWindowW(L"STATIC", L"AtlAxWin host", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                                560, 380, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, parent_);
    }
    void TearDown() override {
        if (parent_) DestroyWindow(parent_);
        if (atl_) FreeLibrary(atl_);
    }
    void Pump(HWND grid) {
        ambrelle_test::PumpWaitingMessages();
        if (grid) UpdateWindow(grid);
    }

    ambrelle_test::ComApartment apartment_;
    HMODULE atl_ = nullptr;
    AtlAxGetControlFn get_control_ = nullptr;
    HWND parent_ = nullptr;
};

TEST_F(AtlHost, AtlAxWinHostsTheGridByProgIdAndItAsksForItsRows) {
    HWND ax = CreateWindowExW(0, L"AtlAxWin", tessary::kProgId, WS_CHILD | WS_VISIBLE, 10, 10, 500, 300, parent_,
                              nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, ax);
    ComPtr<IUnknown> control;
    ASSERT_EQ(S_OK, get_control_(ax, &control));
    ASSERT_TRUE(control);

    ComPtr<IConnectionPointContainer> container;
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(S_OK, control.As(&container));
    ASSERT_EQ(S_OK, container->FindConnectionPoint(tessary::DIID_Events, &point));
    ComPtr<RowSink> sink = RowSink::Make();
    DWORD cookie = 0;
    ASSERT_EQ(S_OK, point->Advise(sink.Get(), &cookie));

    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(S_OK, control.As(&dispatch));
    VARIANT sheet;
    VariantInit(&sheet);
    ASSERT_EQ(S_OK, InvokeId(dispatch.Get(), tessary::kDispidSheet, DISPATCH_PROPERTYGET, {}, &sheet));
    ASSERT_EQ(VT_DISPATCH, V_VT(&sheet));
    ASSERT_EQ(S_OK, InvokeId(V_DISPATCH(&sheet), tessary::kDispidSheetCols, DISPATCH_PROPERTYPUT, {Long(4)}, nullptr));
    ASSERT_EQ(S_OK, InvokeId(V_DISPATCH(&sheet), tessary::kDispidSheetRows, DISPATCH_PROPERTYPUT, {Long(100000)}, nullptr));
    ASSERT_EQ(S_OK, InvokeId(V_DISPATCH(&sheet), tessary::kDispidSheetRefresh, DISPATCH_METHOD, {}, nullptr));
    VariantClear(&sheet);

    HWND grid = FindWindowExW(ax, nullptr, tessary::kWindowClass, nullptr);
    ASSERT_NE(nullptr, grid);
    RECT placed;
    GetClientRect(ax, &placed);
    RECT grid_rect;
    GetWindowRect(grid, &grid_rect);
    EXPECT_EQ(placed.right, grid_rect.right - grid_rect.left);
    EXPECT_EQ(placed.bottom, grid_rect.bottom - grid_rect.top);

    Pump(grid);
    ASSERT_FALSE(sink->requests.empty());
    EXPECT_EQ(1, sink->requests.front());
    EXPECT_LT(sink->requests.size(), 50u);
    EXPECT_EQ(0, sink->malformed);
    LRESULT length = SendMessageW(grid, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(SendMessageW(grid, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]))));
    std::vector<std::wstring> lines = Lines(text);
    EXPECT_EQ(sink->requests.size(), lines.size());
    EXPECT_EQ(L"H1\tH2\tH3\tH4", lines[0]);
    EXPECT_EQ(L"R2A\tR2B\tR2C\tR2D", lines[1]);

    // The window reaches the same control through the registered message.
    ComPtr<IDispatch> from_window;
    *from_window.GetAddressOf() =
        reinterpret_cast<IDispatch*>(SendMessageW(grid, RegisterWindowMessageW(tessary::kGetDispatchMessage), 0, 0));
    ComPtr<IUnknown> identity, control_identity;
    ASSERT_TRUE(from_window);
    ASSERT_EQ(S_OK, from_window.As(&identity));
    ASSERT_EQ(S_OK, control.As(&control_identity));
    EXPECT_EQ(control_identity.Get(), identity.Get());

    EXPECT_EQ(S_OK, point->Unadvise(cookie));
    point.Reset();
    container.Reset();
    dispatch.Reset();
    from_window.Reset();
    identity.Reset();
    control_identity.Reset();
    DestroyWindow(ax);
    EXPECT_FALSE(IsWindow(grid));
    EXPECT_EQ(0u, control.Reset());
}

}  // namespace
