// ClsValidate as a C++ client sees it: creation, identity, early and late binding, errors.
#include <gtest/gtest.h>
#include <wrl/client.h>

#include "ambrelle.h"
#include "ambrelle_ids.h"
#include "com_error.h"
#include "test_support.h"
#include "unique_bstr.h"
#include "unique_variant.h"

using ambrelle::UniqueVariant;
using Microsoft::WRL::ComPtr;
using namespace ambrelle_test;

namespace {

class ClsValidateClient : public ::testing::Test {
protected:
    void SetUp() override {
        CLSID clsid;
        ASSERT_EQ(S_OK, CLSIDFromProgID(L"Ambrelle.ClsValidate", &clsid));
        ASSERT_EQ(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&object_)));
        ASSERT_EQ(S_OK, object_.As(&dispatch_));
    }

    DISPID IdOf(const wchar_t* name) {
        DISPID id = 12345;
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        EXPECT_EQ(S_OK, dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)) << name;
        return id;
    }

    HRESULT PutProperty(DISPID id, VARIANT* value, EXCEPINFO* excep = nullptr) {
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS params = {value, &named, 1, 1};
        return dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, excep,
                                 nullptr);
    }

    ComApartment apartment_;
    ComPtr<_ClsValidate> object_;
    ComPtr<IDispatch> dispatch_;
};

}  // namespace

TEST_F(ClsValidateClient, BothInterfaceIidsGiveTheSameInterfaceAndIdentityHolds) {
    ComPtr<IUnknown> current, older, unknown, from_dispatch;
    ASSERT_EQ(S_OK, object_->QueryInterface(kIid, reinterpret_cast<void**>(current.GetAddressOf())));
    ASSERT_EQ(S_OK, object_->QueryInterface(kIidV0, reinterpret_cast<void**>(older.GetAddressOf())));
    EXPECT_EQ(current.Get(), older.Get());
    EXPECT_EQ(static_cast<IUnknown*>(object_.Get()), current.Get());
    ASSERT_EQ(S_OK, object_.As(&unknown));
    ASSERT_EQ(S_OK, dispatch_.As(&from_dispatch));
    EXPECT_EQ(unknown.Get(), from_dispatch.Get());

    ComPtr<ISupportErrorInfo> support;
    ASSERT_EQ(S_OK, object_.As(&support));
    EXPECT_EQ(S_OK, support->InterfaceSupportsErrorInfo(kIid));
    EXPECT_EQ(S_OK, support->InterfaceSupportsErrorInfo(kIidV0));
    EXPECT_EQ(S_FALSE, support->InterfaceSupportsErrorInfo(IID_IClassFactory));
    ComPtr<ISupportErrorInfo> again;
    ASSERT_EQ(S_OK, support.As(&again));
    ComPtr<IUnknown> via_support;
    ASSERT_EQ(S_OK, support.As(&via_support));
    EXPECT_EQ(unknown.Get(), via_support.Get());

    ComPtr<IPersist> none;
    EXPECT_EQ(E_NOINTERFACE, object_.As(&none));
}

TEST_F(ClsValidateClient, CreatableByClsidAndReleasedToZero) {
    _ClsValidate* raw = nullptr;
    ASSERT_EQ(S_OK, CoCreateInstance(kClsid, nullptr, CLSCTX_INPROC_SERVER, kIid, reinterpret_cast<void**>(&raw)));
    LONG fid = 42;
    EXPECT_EQ(S_OK, raw->put_FID(&fid));
    EXPECT_EQ(42, fid) << "the caller's variable is left as it was";
    EXPECT_EQ(0u, raw->Release());
}

TEST_F(ClsValidateClient, NamesResolveWithoutRegardToCase) {
    EXPECT_EQ(0x68030000, IdOf(L"FID"));
    EXPECT_EQ(0x68030000, IdOf(L"fid"));
    EXPECT_EQ(0x68030003, IdOf(L"QueryClass"));
    EXPECT_EQ(0x68030003, IdOf(L"QUERYCLASS"));
    EXPECT_EQ(0x60030002, IdOf(L"show"));
    EXPECT_EQ(0x60030002, IdOf(L"Show"));
    DISPID id = 0;
    LPOLESTR unknown[] = {const_cast<LPOLESTR>(L"Refresh")};
    EXPECT_EQ(DISP_E_UNKNOWNNAME, dispatch_->GetIDsOfNames(IID_NULL, unknown, 1, LOCALE_USER_DEFAULT, &id));
}

TEST_F(ClsValidateClient, PropertiesArePutLateBoundFromEveryKindOfArgument) {
    VARIANT value;
    V_VT(&value) = VT_I4;
    V_I4(&value) = 7;
    EXPECT_EQ(S_OK, PutProperty(0x68030000, &value));
    V_VT(&value) = VT_I2;  // a script literal
    V_I2(&value) = 1;
    EXPECT_EQ(S_OK, PutProperty(0x68030003, &value));

    // A script variable arrives as a reference to a variant.
    VARIANT variable;
    V_VT(&variable) = VT_I2;
    V_I2(&variable) = 2;
    VARIANT by_ref;
    V_VT(&by_ref) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&by_ref) = &variable;
    EXPECT_EQ(S_OK, PutProperty(0x68030003, &by_ref));
    EXPECT_EQ(VT_I2, V_VT(&variable));
    EXPECT_EQ(2, V_I2(&variable));

    LONG long_variable = 99;
    V_VT(&by_ref) = VT_BYREF | VT_I4;
    V_I4REF(&by_ref) = &long_variable;
    EXPECT_EQ(S_OK, PutProperty(0x68030000, &by_ref));

    VARIANT text;
    V_VT(&text) = VT_BSTR;
    V_BSTR(&text) = SysAllocString(L"not a number");
    EXPECT_EQ(DISP_E_TYPEMISMATCH, PutProperty(0x68030000, &text));
    VariantClear(&text);
}

TEST_F(ClsValidateClient, PropertyGetFailsWithMemberNotFound) {
    for (DISPID id : {0x68030000, 0x68030003}) {
        DISPPARAMS none = {nullptr, nullptr, 0, 0};
        UniqueVariant result;
        EXPECT_EQ(DISP_E_MEMBERNOTFOUND, dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                                                           &none, result.ptr(), nullptr, nullptr));
    }
}
