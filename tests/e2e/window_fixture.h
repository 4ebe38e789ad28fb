// The common set-up of the window tests: the bill-information stand-in back
// to its sample data, no stored settings, a fresh ClsValidate, and show with
// a modal driver and a message-box watcher at work.
#pragma once

#include <gtest/gtest.h>
#include <wrl/client.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ambrelle.h"
#include "automation.h"
#include "com_error.h"
#include "modal_driver.h"
#include "scripted_objects.h"
#include "test_support.h"
#include "window_test_support.h"

namespace ambrelle_test {

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearStoredSettings();
        bill_ = CreateByProgId(L"Quistral.IBillInfo.Steering");
        ASSERT_TRUE(bill_) << "the bill-information stand-in is registered";
        ASSERT_EQ(S_OK, Call(bill_.Get(), L"Reset"));
        CLSID clsid;
        ASSERT_EQ(S_OK, CLSIDFromProgID(L"Ambrelle.ClsValidate", &clsid));
        ASSERT_EQ(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&validate_)));
    }
    void TearDown() override { ClearStoredSettings(); }

    // Shows bill `fid` of kind `kind` while the driver works the window and
    // message boxes are answered with OK.
    HRESULT Show(LONG fid, LONG kind, ModalDriver* driver) {
        EXPECT_EQ(S_OK, validate_->put_FID(&fid));
        EXPECT_EQ(S_OK, validate_->put_QueryClass(&kind));
        boxes_ = std::make_unique<MessageBoxWatcher>();
        driver->Start();
        VARIANT_BOOL result = VARIANT_FALSE;
        HRESULT hr = validate_->show(&result);
        if (SUCCEEDED(hr)) {
            EXPECT_EQ(VARIANT_TRUE, result);
            EXPECT_FALSE(driver->forced_close()) << "every step of the driver ran";
        } else {
            error_ = ambrelle::TakeComError(hr);
        }
        return hr;
    }
    const std::vector<SeenMessageBox>& Boxes() const { return boxes_->seen(); }

    // Shows bill `fid` of kind `kind`, runs `check` in the open window and
    // closes it with OK; `check` returns whether it got to the end.
    void CheckOpenWindow(LONG fid, LONG kind, const std::function<bool(HWND)>& check) {
        ModalDriver driver;
        bool checked = false;
        driver.Then([&](HWND window) {
            checked = check(window);
            return true;
        });
        driver.ClickOk();
        ASSERT_EQ(S_OK, Show(fid, kind, &driver));
        EXPECT_TRUE(checked);
    }

    void AddConfirmationRow(VARIANT number, VARIANT name, VARIANT model, VARIANT aux, VARIANT req, VARIANT validated,
                            VARIANT validater, VARIANT be_val_br, VARIANT br, VARIANT val_date, VARIANT delivery,
                            VARIANT decimals) {
        ASSERT_EQ(S_OK, Call(bill_.Get(), L"AddConfirmationRow",
                             {number, name, model, aux, req, validated, validater, be_val_br, br, val_date, delivery,
                              decimals}));
    }
    // A confirmation record whose texts do not matter.
    void AddQuantities(VARIANT req, VARIANT validated, VARIANT decimals) {
        AddConfirmationRow(Text(L"01"), Text(L"名称"), Text(L"型号"), Text(L"属性"), req, validated, Text(L"确认人"),
                           Text(L"被确认"), Text(L"确认"), Double(45356.5), Double(45363.0), decimals);
    }
    void AddRejectionRow(LONG fid, VARIANT reason) {
        ASSERT_EQ(S_OK, Call(bill_.Get(), L"AddRejectionRow",
                             {Long(fid), Double(45270.25), reason, Text(L"华南分公司"), Text(L"总部")}));
    }
    LONG FirstSampleBill(LONG kind) {
        ambrelle::UniqueVariant ids;
        VARIANT k = Long(kind);
        if (FAILED(CallByName(bill_.Get(), L"SampleBillIds", DISPATCH_PROPERTYGET, {k}, ids.ptr()))) return -1;
        if (!(ids.vt() & VT_ARRAY)) return -1;
        LONG index = 0;
        VARIANT first;
        VariantInit(&first);
        if (FAILED(SafeArrayGetElement(V_ARRAY(ids.ptr()), &index, &first))) return -1;
        VariantChangeType(&first, &first, 0, VT_I4);
        return V_I4(&first);
    }

    // From here on the bill service is the test's own, and puts `records` into the record-set argument.
    void Deliver(Microsoft::WRL::ComPtr<IDispatch> records) {
        own_bill_.reset();
        own_bill_ = std::make_unique<OwnBillService>(records);
    }

    ComApartment apartment_;
    std::unique_ptr<OwnBillService> own_bill_;
    Microsoft::WRL::ComPtr<IDispatch> bill_;
    Microsoft::WRL::ComPtr<_ClsValidate> validate_;
    std::unique_ptr<MessageBoxWatcher> boxes_;
    ambrelle::ComErrorDetails error_;
};

// A row of cells from a list, for comparisons.
using Cells = std::vector<std::wstring>;

}  // namespace ambrelle_test
