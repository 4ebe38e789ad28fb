// Rejection queries end to end: the rebuilt record set reaches the window,
// whose row-text handler marks the continuation lines in the grid.
#include <gtest/gtest.h>
#include <wrl/client.h>

#include <string>
#include <vector>

#include "ambrelle.h"
#include "automation.h"
#include "com_error.h"
#include "modal_driver.h"
#include "tessary_identity.h"
#include "test_support.h"
#include "window_test_support.h"

using Microsoft::WRL::ComPtr;
using namespace ambrelle_test;

namespace {

// Shows `rows` grid rows, makes the grid paint them, and reads each row's mark.
std::vector<bool> MarksAfterShowingRows(HWND window, LONG rows) {
    std::vector<bool> marks;
    ComPtr<IDispatch> grid = GridOf(window);
    if (!grid) return marks;
    ambrelle::UniqueVariant sheet;
    if (FAILED(CallByName(grid.Get(), L"Sheet", DISPATCH_PROPERTYGET, {}, sheet.ptr()))) return marks;
    CallByName(V_DISPATCH(sheet.ptr()), L"Rows", DISPATCH_PROPERTYPUT, {Long(rows)}, nullptr);
    Call(V_DISPATCH(sheet.ptr()), L"Refresh");
    UpdateWindow(FindWindowExW(window, nullptr, tessary::kWindowClass, nullptr));
    for (LONG row = 2; row <= rows; ++row) {
        ambrelle::UniqueVariant row_object;
        DISPPARAMS params;
        VARIANT index = Long(row - 1);
        params = {&index, nullptr, 1, 0};
        EXPECT_EQ(S_OK, grid->Invoke(tessary::kDispidRow, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &params,
                                     row_object.ptr(), nullptr, nullptr));
        DISPPARAMS none = {nullptr, nullptr, 0, 0};
        ambrelle::UniqueVariant mark;
        EXPECT_EQ(S_OK, V_DISPATCH(row_object.ptr())->Invoke(tessary::kDispidRowMark, IID_NULL, LOCALE_USER_DEFAULT,
                                                              DISPATCH_PROPERTYGET, &none, mark.ptr(), nullptr,
                                                              nullptr));
        marks.push_back(V_VT(mark.ptr()) == VT_BOOL && V_BOOL(mark.ptr()));
    }
    return marks;
}

class RejectionWindow : public ::testing::Test {
protected:
    void SetUp() override {
        bill_ = CreateByProgId(L"Quistral.IBillInfo.Steering");
        ASSERT_TRUE(bill_);
        ASSERT_EQ(S_OK, Call(bill_.Get(), L"Reset"));
        CLSID clsid;
        ASSERT_EQ(S_OK, CLSIDFromProgID(L"Ambrelle.ClsValidate", &clsid));
        ASSERT_EQ(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&validate_)));
        LONG kind = 1;
        ASSERT_EQ(S_OK, validate_->put_QueryClass(&kind));
    }

    void AddRow(LONG fid, VARIANT reason) {
        ASSERT_EQ(S_OK, Call(bill_.Get(), L"AddRejectionRow",
                             {Long(fid), Double(45270.25), reason, Text(L"华南分公司"), Text(L"总部")}));
    }

    HRESULT Show(ModalDriver* driver) {
        driver->Start();
        VARIANT_BOOL result = VARIANT_FALSE;
        HRESULT hr = validate_->show(&result);
        if (SUCCEEDED(hr)) {
            EXPECT_EQ(VARIANT_TRUE, result);
        }
        return hr;
    }

    // Shows the bill, reads the marks of `rows` grid rows in the open window, and closes it with OK.
    std::vector<bool> MarksShown(LONG rows) {
        std::vector<bool> marks;
        ModalDriver driver;
        driver.Then([&](HWND window) {
            marks = MarksAfterShowingRows(window, rows);
            return true;
        });
        driver.ClickOk();
        EXPECT_EQ(S_OK, Show(&driver));
        return marks;
    }

    ComApartment apartment_;
    ComPtr<IDispatch> bill_;
    ComPtr<_ClsValidate> validate_;
};

}  // namespace

TEST_F(RejectionWindow, ContinuationLinesOfLongReasonsAreMarked) {
    AddRow(501, Text(std::wstring(70, L'长')));  // three lines
    AddRow(502, Text(L"数量不符"));               // one line
    AddRow(503, Text(std::wstring(31, L'x')));    // two lines
    EXPECT_EQ((std::vector<bool>{false, true, true, false, false, true}), MarksShown(1 + 6));
}

TEST_F(RejectionWindow, EmptySourceSetShowsAnEmptyWindow) {
    ASSERT_EQ(S_OK, Call(bill_.Get(), L"ServeEmptySet"));
    ModalDriver driver;
    driver.Record().ClickOk();
    ASSERT_EQ(S_OK, Show(&driver));
    ASSERT_EQ(1u, driver.seen().size());
    EXPECT_EQ(L"内部订单拒绝信息查询", driver.seen()[0].caption);
}

TEST_F(RejectionWindow, NullReasonIsShownAsAnEmptyReason) {
    AddRow(601, Text(L"第一条"));
    AddRow(602, Null());
    EXPECT_EQ((std::vector<bool>{false, false}), MarksShown(1 + 2));
}

TEST_F(RejectionWindow, ValueTheRejectionSetCannotTakeEndsShowWithTheRecordSetsError) {
    // FID of the rejection set does not take Null.
    ASSERT_EQ(S_OK, Call(bill_.Get(), L"AddRejectionRow",
                         {Null(), Double(45270.25), Text(L"原因"), Text(L"华南分公司"), Text(L"总部")}));
    ModalDriver driver;
    driver.Record().ClickOk();
    HRESULT hr = Show(&driver);
    EXPECT_EQ(static_cast<HRESULT>(0x80040E21), hr);
    ambrelle::ComErrorDetails error = ambrelle::TakeComError(hr);
    EXPECT_FALSE(error.source.empty());
    EXPECT_FALSE(error.description.empty());
    EXPECT_EQ(0u, driver.seen().size());
}
