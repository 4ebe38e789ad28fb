// Venlock.ShareProps as Ambrelle calls it (GetProperty by name, process id and
// name by reference), with the host's SetProperty and the steering class.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "service_test_support.h"
#include "share_props_steering.h"
#include "test_support.h"

using namespace services_test;
using ambrelle::UniqueVariant;

namespace {

class SharePropsTest : public SteeredServiceTest<ISharePropsSteering> {
protected:
    SharePropsTest() : SteeredServiceTest(L"Venlock.ShareProps", L"Venlock.ShareProps.Steering") {}

    // GetProperty as Ambrelle calls it: both arguments by reference.
    CallOutcome Get(LONG process_id, const wchar_t* name) {
        BSTR name_variable = SysAllocString(name);
        VARIANT args[2];
        V_VT(&args[1]) = VT_BYREF | VT_I4;
        V_I4REF(&args[1]) = &process_id;
        V_VT(&args[0]) = VT_BYREF | VT_BSTR;
        V_BSTRREF(&args[0]) = &name_variable;
        CallOutcome outcome = Invoke(IdOf(L"GetProperty"), args, 2);
        SysFreeString(name_variable);
        return outcome;
    }

    // SetProperty as a host publishes: process id, name and value by value.
    HRESULT Set(LONG process_id, const wchar_t* name, const VARIANT& value) {
        VARIANT args[3];
        V_VT(&args[2]) = VT_I4;
        V_I4(&args[2]) = process_id;
        V_VT(&args[1]) = VT_BSTR;
        V_BSTR(&args[1]) = SysAllocString(name);
        args[0] = value;
        CallOutcome outcome = Invoke(IdOf(L"SetProperty"), args, 3);
        SysFreeString(V_BSTR(&args[1]));
        return outcome.hr == DISP_E_EXCEPTION ? outcome.scode : outcome.hr;
    }

    static UniqueVariant Text(const wchar_t* text) {
        UniqueVariant value;
        V_VT(value.ptr()) = VT_BSTR;
        V_BSTR(value.ptr()) = SysAllocString(text);
        return value;
    }

    const LONG pid_ = static_cast<LONG>(GetCurrentProcessId());
};

TEST_F(SharePropsTest, PublishedPropertiesAreReadPerProcessAndName) {
    ASSERT_EQ(S_OK, Set(pid_, L"PropsString", Text(L"SID=42;DB=ERP2024;USER=王建国").get()));
    struct Case {
        LONG process_id;
        const wchar_t* name;
        const wchar_t* expected;  // nullptr: Empty
    };
    const Case cases[] = {
        {pid_, L"PropsString", L"SID=42;DB=ERP2024;USER=王建国"},
        {pid_, L"propsstring", L"SID=42;DB=ERP2024;USER=王建国"},
        {pid_ + 1, L"PropsString", nullptr},
        {pid_, L"UserName", nullptr},
    };
    for (const Case& c : cases) {
        CallOutcome outcome = Get(c.process_id, c.name);
        ASSERT_EQ(S_OK, outcome.hr) << c.name;
        if (!c.expected) {
            EXPECT_EQ(VT_EMPTY, outcome.result.vt()) << c.name;
            continue;
        }
        EXPECT_EQ(c.expected, TextOf(outcome.result.get())) << c.name;
    }

    // Publishing again replaces the value; publishing Empty removes it.
    ASSERT_EQ(S_OK, Set(pid_, L"PropsString", Text(L"SID=43").get()));
    EXPECT_EQ(L"SID=43", TextOf(Get(pid_, L"PropsString").result.get()));
    UniqueVariant empty;
    ASSERT_EQ(S_OK, Set(pid_, L"PROPSSTRING", empty.get()));
    EXPECT_EQ(VT_EMPTY, Get(pid_, L"PropsString").result.vt());
}

TEST_F(SharePropsTest, RecordsEveryCallAsTheCallerMadeIt) {
    Get(pid_, L"PropsString");
    Get(pid_, L"propsString");
    Get(77, L"UserName");
    LONG count = -1;
    ambrelle::UniqueBstr name(L"PROPSSTRING");
    ASSERT_EQ(S_OK, steering_->get_CallCount(name.get(), &count));
    EXPECT_EQ(2, count) << "names are counted without regard to case";
    ASSERT_EQ(S_OK, steering_->get_TotalCalls(&count));
    EXPECT_EQ(3, count);
    ASSERT_EQ(S_OK, steering_->get_LastProcessId(&count));
    EXPECT_EQ(77, count);
    ambrelle::UniqueBstr last;
    ASSERT_EQ(S_OK, steering_->get_LastName(last.put()));
    EXPECT_STREQ(L"UserName", last.c_str());
    ASSERT_EQ(S_OK, steering_->get_LastArgCount(&count));
    EXPECT_EQ(2, count);
    ASSERT_EQ(S_OK, steering_->get_LastArgType(1, &count));
    EXPECT_EQ(VT_BYREF | VT_I4, count);
    ASSERT_EQ(S_OK, steering_->get_LastArgType(2, &count));
    EXPECT_EQ(VT_BYREF | VT_BSTR, count);
    EXPECT_EQ(DISP_E_BADINDEX, steering_->get_LastArgType(3, &count));

    ASSERT_EQ(S_OK, steering_->Reset());
    ASSERT_EQ(S_OK, steering_->get_TotalCalls(&count));
    EXPECT_EQ(0, count);
}

TEST_F(SharePropsTest, AnswersWhatTheSteeringAsksFor) {
    ASSERT_EQ(S_OK, Set(pid_, L"PropsString", Text(L"published").get()));
    struct Case {
        const char* name;
        std::function<HRESULT()> steer;
        VARTYPE vt;
        const wchar_t* text;  // the answer converted to text, when it has one
    };
    UniqueVariant empty, null, number, text = Text(L"steered");
    V_VT(null.ptr()) = VT_NULL;
    V_VT(number.ptr()) = VT_I4;
    V_I4(number.ptr()) = 42;
    ambrelle::UniqueBstr object_text(L"对象的默认值");
    const Case cases[] = {
        {"Empty", [&] { return steering_->AnswerWith(empty.get()); }, VT_EMPTY, L""},
        {"Null", [&] { return steering_->AnswerWith(null.get()); }, VT_NULL, nullptr},
        {"number", [&] { return steering_->AnswerWith(number.get()); }, VT_I4, L"42"},
        {"text", [&] { return steering_->AnswerWith(text.get()); }, VT_BSTR, L"steered"},
        {"object", [&] { return steering_->AnswerWithObject(object_text.get()); }, VT_DISPATCH, L"对象的默认值"},
        {"store again", [&] { return steering_->AnswerFromStore(); }, VT_BSTR, L"published"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(S_OK, c.steer()) << c.name;
        CallOutcome outcome = Get(pid_, L"PropsString");
        ASSERT_EQ(S_OK, outcome.hr) << c.name;
        EXPECT_EQ(c.vt, outcome.result.vt()) << c.name;
        UniqueVariant converted;
        HRESULT hr = VariantChangeType(converted.ptr(), outcome.result.ptr(), 0, VT_BSTR);
        if (!c.text) {
            EXPECT_TRUE(FAILED(hr)) << c.name;
            continue;
        }
        ASSERT_EQ(S_OK, hr) << c.name;
        EXPECT_EQ(c.text, TextOf(converted.get())) << c.name;
    }
}

TEST_F(SharePropsTest, TheObjectAnsweredHasOnlyItsDefaultValue) {
    ambrelle::UniqueBstr object_text(L"SID=9");
    ASSERT_EQ(S_OK, steering_->AnswerWithObject(object_text.get()));
    CallOutcome outcome = Get(pid_, L"PropsString");
    ASSERT_EQ(VT_DISPATCH, outcome.result.vt());
    IDispatch* object = V_DISPATCH(outcome.result.ptr());
    DISPID id = 99;
    LPOLESTR value_name = const_cast<LPOLESTR>(L"value");
    ASSERT_EQ(S_OK, object->GetIDsOfNames(IID_NULL, &value_name, 1, 0, &id));
    EXPECT_EQ(DISPID_VALUE, id);
    LPOLESTR other = const_cast<LPOLESTR>(L"Text");
    EXPECT_EQ(DISP_E_UNKNOWNNAME, object->GetIDsOfNames(IID_NULL, &other, 1, 0, &id));
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    UniqueVariant value;
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, object->Invoke(1, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, value.ptr(),
                                                    nullptr, nullptr));
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, object->Invoke(DISPID_VALUE, IID_NULL, 0, DISPATCH_PROPERTYPUT, &none,
                                                    value.ptr(), nullptr, nullptr));
    // Each call answers a new object that the caller alone holds.
    object->AddRef();
    outcome.result.reset();
    EXPECT_EQ(0u, object->Release());
}

TEST_F(SharePropsTest, RaisedErrorsReachTheCallerFromTheCallAskedFor) {
    ambrelle::UniqueBstr source(L"Venlock.ShareProps"), description(L"会话服务不可用");
    ASSERT_EQ(S_OK, steering_->FailWith(77, source.get(), description.get(), 2));
    ASSERT_EQ(S_OK, Set(pid_, L"PropsString", Text(L"first").get()));
    CallOutcome first = Get(pid_, L"PropsString");
    EXPECT_EQ(S_OK, first.hr);
    EXPECT_EQ(L"first", TextOf(first.result.get()));
    for (int call = 2; call <= 3; ++call) {
        CallOutcome failed = Get(pid_, L"PropsString");
        EXPECT_EQ(DISP_E_EXCEPTION, failed.hr) << call;
        EXPECT_EQ(static_cast<HRESULT>(0x800A004D), failed.scode) << call;
        EXPECT_EQ(L"Venlock.ShareProps", failed.source);
        EXPECT_EQ(L"会话服务不可用", failed.description);
    }
    LONG count = -1;
    ASSERT_EQ(S_OK, steering_->get_TotalCalls(&count));
    EXPECT_EQ(3, count);

    // Without an EXCEPINFO the error object carries the same.
    LONG process_id = pid_;
    BSTR name = SysAllocString(L"PropsString");
    VARIANT args[2];
    V_VT(&args[1]) = VT_BYREF | VT_I4;
    V_I4REF(&args[1]) = &process_id;
    V_VT(&args[0]) = VT_BYREF | VT_BSTR;
    V_BSTRREF(&args[0]) = &name;
    DISPPARAMS params = {args, nullptr, 2, 0};
    EXPECT_EQ(static_cast<HRESULT>(0x800A004D),
              service_->Invoke(IdOf(L"GetProperty"), IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr,
                               nullptr));
    SysFreeString(name);
    ErrorObject error = TakeErrorObject();
    EXPECT_EQ(L"会话服务不可用", error.description);
    ComPtr<ISupportErrorInfo> support;
    ASSERT_EQ(S_OK, service_.As(&support));
    EXPECT_EQ(S_OK, support->InterfaceSupportsErrorInfo(IID_IDispatch));
}

TEST_F(SharePropsTest, RefusesWhatItCannotKeepOrAnswer) {
    UniqueVariant object;
    V_VT(object.ptr()) = VT_DISPATCH;
    service_.CopyTo(&V_DISPATCH(object.ptr()));
    EXPECT_EQ(DISP_E_TYPEMISMATCH, Set(pid_, L"PropsString", object.get())) << "objects are not published";
    EXPECT_EQ(E_INVALIDARG, Set(pid_, L"", Text(L"x").get())) << "a property has a name";
    EXPECT_EQ(E_INVALIDARG, steering_->AnswerWith(object.get()));
    EXPECT_EQ(E_INVALIDARG, steering_->FailWith(0, nullptr, nullptr, 1));
    EXPECT_EQ(E_INVALIDARG, steering_->FailWith(5, nullptr, nullptr, 0));

    VARIANT one;
    V_VT(&one) = VT_I4;
    V_I4(&one) = pid_;
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, Invoke(IdOf(L"GetProperty"), &one, 1).hr);
    VARIANT args[2];
    V_VT(&args[1]) = VT_BSTR;
    V_BSTR(&args[1]) = SysAllocString(L"not a process");
    V_VT(&args[0]) = VT_BSTR;
    V_BSTR(&args[0]) = SysAllocString(L"PropsString");
    EXPECT_EQ(DISP_E_TYPEMISMATCH, Invoke(IdOf(L"GetProperty"), args, 2).hr);
    SysFreeString(V_BSTR(&args[1]));
    SysFreeString(V_BSTR(&args[0]));
    DISPID id = 0;
    LPOLESTR name = const_cast<LPOLESTR>(L"GetProperties");
    EXPECT_EQ(DISP_E_UNKNOWNNAME, service_->GetIDsOfNames(IID_NULL, &name, 1, 0, &id));
    LONG count = -1;
    ASSERT_EQ(S_OK, steering_->get_TotalCalls(&count));
    EXPECT_EQ(0, count) << "refused calls are not counted";
}

TEST_F(SharePropsTest, PublishedValuesAreSharedByEveryObjectOfTheProcess) {
    ASSERT_EQ(S_OK, Set(pid_, L"PropsString", Text(L"shared").get()));
    IDispatch* first = service_.Detach();
    ASSERT_EQ(S_OK, CreateService());
    EXPECT_EQ(L"shared", TextOf(Get(pid_, L"PropsString").result.get()));
    UniqueVariant published;
    ambrelle::UniqueBstr name(L"PropsString");
    ASSERT_EQ(S_OK, steering_->get_PublishedValue(pid_, name.get(), published.put()));
    EXPECT_EQ(L"shared", TextOf(published.get()));
    EXPECT_EQ(0u, first->Release()) << "the first object is freed by its last release";
}

TEST_F(SharePropsTest, PublishedValuesOutliveEveryObjectOfTheDll) {
    ASSERT_EQ(S_OK, Set(pid_, L"PropsString", Text(L"kept").get()));
    // With no object of the DLL alive, COM may unload it: the published value must stay.
    service_.Reset();
    steering_.Reset();
    CoFreeUnusedLibrariesEx(0, 0);
    EXPECT_NE(nullptr, GetModuleHandleW(L"ShareProps.dll"));
    ASSERT_EQ(S_OK, CreateService());
    EXPECT_EQ(L"kept", TextOf(Get(pid_, L"PropsString").result.get()));
    ASSERT_EQ(S_OK, CreateSteering());
}

}  // namespace
