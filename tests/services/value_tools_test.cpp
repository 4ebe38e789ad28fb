// ValueTools through its vtable, as Ambrelle calls it (ValueOrDefault at
// position 7), with record-set fields and plain values.
#include <gtest/gtest.h>

#include <string>

#include "service_test_support.h"
#include "test_support.h"
#include "value_tools.h"

using namespace services_test;
using ambrelle::UniqueVariant;

namespace {

using ValueOrDefaultFn = HRESULT(STDMETHODCALLTYPE*)(void* self, VARIANT* value, VARIANT* default_value,
                                                     VARIANT* result);

// A stand-in for a record-set field: an object whose default value is
// given, or which fails as ADO's Field does on a record set at its end.
class FakeField final : public IDispatch {
public:
    explicit FakeField(const VARIANT& value) { VariantCopy(value_.ptr(), const_cast<VARIANT*>(&value)); }
    void FailWith(HRESULT scode) { fail_with_ = scode; }
    int value_reads() const { return value_reads_; }

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        *object = nullptr;
        if (riid != IID_IUnknown && riid != IID_IDispatch) return E_NOINTERFACE;
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override { return --refs_; }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
    STDMETHODIMP Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, UINT*) override {
        if (member != DISPID_VALUE || !(flags & DISPATCH_PROPERTYGET) || params->cArgs != 0)
            return DISP_E_MEMBERNOTFOUND;
        ++value_reads_;
        if (FAILED(fail_with_)) {
            excep->scode = fail_with_;
            excep->bstrSource = SysAllocString(L"ADODB.Field");
            excep->bstrDescription = SysAllocString(L"Either BOF or EOF is True.");
            return DISP_E_EXCEPTION;
        }
        return VariantCopy(result, value_.ptr());
    }
    ULONG refs() const { return refs_; }

private:
    ULONG refs_ = 1;
    UniqueVariant value_;
    HRESULT fail_with_ = S_OK;
    int value_reads_ = 0;
};

class ValueToolsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_ValueTools, nullptr, CLSCTX_INPROC_SERVER, IID_IValueTools,
                                         reinterpret_cast<void**>(tools_.GetAddressOf())));
        V_VT(default_.ptr()) = VT_BSTR;
        V_BSTR(default_.ptr()) = SysAllocString(L"");
    }

    // ValueOrDefault through the vtable slot Ambrelle calls.
    HRESULT Call(VARIANT* value, UniqueVariant* result) {
        V_VT(result->put()) = VT_ERROR;
        return Slot<ValueOrDefaultFn>(tools_.Get(), 7)(tools_.Get(), value, default_.ptr(), result->ptr());
    }

    ambrelle_test::ComApartment apartment_;
    ComPtr<IValueTools> tools_;
    UniqueVariant default_;
};

TEST_F(ValueToolsTest, PlainValuesComeBackAndNullOrEmptyGiveTheDefault) {
    struct Case {
        const char* name;
        VARTYPE vt;
        double number;
        const wchar_t* text;
        bool gives_default;
    };
    const Case cases[] = {
        {"Null", VT_NULL, 0, nullptr, true},       {"Empty", VT_EMPTY, 0, nullptr, true},
        {"zero", VT_I4, 0, nullptr, false},        {"quantity", VT_R8, 1234.25, nullptr, false},
        {"empty text", VT_BSTR, 0, L"", false},    {"text", VT_BSTR, 0, L" 商品 ", false},
        {"date", VT_DATE, 45000.5, nullptr, false},
    };
    for (const Case& c : cases) {
        UniqueVariant value, result;
        V_VT(value.ptr()) = c.vt;
        if (c.vt == VT_I4) V_I4(value.ptr()) = static_cast<LONG>(c.number);
        if (c.vt == VT_R8 || c.vt == VT_DATE) V_R8(value.ptr()) = c.number;
        if (c.vt == VT_BSTR) V_BSTR(value.ptr()) = SysAllocString(c.text);
        ASSERT_EQ(S_OK, Call(value.ptr(), &result)) << c.name;
        if (c.gives_default) {
            EXPECT_EQ(VT_BSTR, result.vt()) << c.name;
            EXPECT_EQ(L"", TextOf(result.get())) << c.name;
            continue;
        }
        EXPECT_EQ(VARCMP_EQ, VarCmp(result.ptr(), value.ptr(), LOCALE_USER_DEFAULT, 0)) << c.name;
        EXPECT_EQ(c.vt, result.vt()) << c.name;
    }
}

TEST_F(ValueToolsTest, AFieldStandsForItsValueWhetherPassedDirectlyOrByReference) {
    UniqueVariant quantity, null;
    V_VT(quantity.ptr()) = VT_R8;
    V_R8(quantity.ptr()) = 12.5;
    V_VT(null.ptr()) = VT_NULL;
    FakeField with_value(quantity.get()), with_null(null.get());
    for (FakeField* field : {&with_value, &with_null}) {
        IDispatch* object = field;
        VARIANT direct, by_reference, script_variable;
        V_VT(&direct) = VT_DISPATCH;
        V_DISPATCH(&direct) = object;
        V_VT(&by_reference) = VT_BYREF | VT_DISPATCH;
        V_DISPATCHREF(&by_reference) = &object;
        V_VT(&script_variable) = VT_BYREF | VT_VARIANT;
        V_VARIANTREF(&script_variable) = &direct;
        for (VARIANT* passed : {&direct, &by_reference, &script_variable}) {
            UniqueVariant result;
            ASSERT_EQ(S_OK, Call(passed, &result));
            if (field == &with_value) {
                ASSERT_EQ(VT_R8, result.vt());
                EXPECT_EQ(12.5, V_R8(result.ptr()));
            } else {
                EXPECT_EQ(VT_BSTR, result.vt()) << "Null gives the default";
            }
        }
        EXPECT_EQ(3, field->value_reads());
        EXPECT_EQ(1u, field->refs()) << "the field is not kept";
        EXPECT_EQ(VT_DISPATCH, V_VT(&direct)) << "the argument is left as it was";
    }
}

TEST_F(ValueToolsTest, NothingCountsAsEmpty) {
    VARIANT nothing;
    V_VT(&nothing) = VT_DISPATCH;
    V_DISPATCH(&nothing) = nullptr;
    UniqueVariant result;
    ASSERT_EQ(S_OK, Call(&nothing, &result));
    EXPECT_EQ(VT_BSTR, result.vt());
}

TEST_F(ValueToolsTest, AFieldsErrorReachesTheCallerWithItsSourceAndDescription) {
    UniqueVariant any;
    FakeField field(any.get());
    field.FailWith(static_cast<HRESULT>(0x800A0BCD));
    VARIANT value;
    V_VT(&value) = VT_DISPATCH;
    V_DISPATCH(&value) = &field;
    UniqueVariant result;
    EXPECT_EQ(static_cast<HRESULT>(0x800A0BCD), Call(&value, &result));
    EXPECT_EQ(VT_EMPTY, result.vt());
    ErrorObject error = TakeErrorObject();
    EXPECT_TRUE(error.present);
    EXPECT_EQ(L"ADODB.Field", error.source);
    EXPECT_EQ(L"Either BOF or EOF is True.", error.description);
    ComPtr<ISupportErrorInfo> support;
    ASSERT_EQ(S_OK, tools_.As(&support));
    EXPECT_EQ(S_OK, support->InterfaceSupportsErrorInfo(IID_IValueTools));
}

TEST_F(ValueToolsTest, FieldsOfARealRecordSetGiveTheirCurrentValue) {
    ComPtr<_ADORecordset> records = NewRecordset();
    ASSERT_TRUE(records);
    ComPtr<ADOFields> fields;
    ASSERT_EQ(S_OK, records->get_Fields(&fields));
    VARIANT missing;
    V_VT(&missing) = VT_ERROR;
    V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
    ambrelle::UniqueBstr name(L"FReqQty");
    ASSERT_EQ(S_OK, fields->Append(name.get(), adDouble, 0, adFldIsNullable, missing));
    ASSERT_EQ(S_OK, records->Open(missing, missing, adOpenStatic, adLockBatchOptimistic, adCmdUnspecified));
    UniqueVariant index;
    V_VT(index.ptr()) = VT_BSTR;
    V_BSTR(index.ptr()) = SysAllocString(L"FReqQty");
    const double values[] = {860.5, -1};  // -1 stands for Null
    for (double value : values) {
        ASSERT_EQ(S_OK, records->AddNew(missing, missing));
        ComPtr<ADOField> field;
        ASSERT_EQ(S_OK, fields->get_Item(index.get(), &field));
        VARIANT stored;
        V_VT(&stored) = value < 0 ? VT_NULL : VT_R8;
        V_R8(&stored) = value;
        ASSERT_EQ(S_OK, field->put_Value(stored));
    }
    ASSERT_EQ(S_OK, records->MoveFirst());
    ComPtr<ADOField> field;
    ASSERT_EQ(S_OK, fields->get_Item(index.get(), &field));
    VARIANT argument;
    V_VT(&argument) = VT_DISPATCH;
    V_DISPATCH(&argument) = field.Get();
    UniqueVariant result;
    ASSERT_EQ(S_OK, Call(&argument, &result));
    ASSERT_EQ(VT_R8, result.vt());
    EXPECT_EQ(860.5, V_R8(result.ptr()));
    ASSERT_EQ(S_OK, records->MoveNext());
    ASSERT_EQ(S_OK, Call(&argument, &result));
    EXPECT_EQ(VT_BSTR, result.vt()) << "a Null quantity gives the default";
    ASSERT_EQ(S_OK, records->MoveNext());
    EXPECT_TRUE(FAILED(Call(&argument, &result))) << "no current record";
    EXPECT_TRUE(TakeErrorObject().present);
}

TEST_F(ValueToolsTest, TheLastReleaseFreesTheObject) {
    IValueTools* tools = nullptr;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_ValueTools, nullptr, CLSCTX_INPROC_SERVER, IID_IValueTools,
                                     reinterpret_cast<void**>(&tools)));
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(S_OK, tools->QueryInterface(IID_PPV_ARGS(&dispatch)));
    EXPECT_EQ(static_cast<IDispatch*>(tools), dispatch.Get()) << "the dual interface answers for IDispatch";
    dispatch.Reset();
    EXPECT_EQ(0u, tools->Release());
}

}  // namespace
