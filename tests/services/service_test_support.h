// Helpers shared by the tests of the outside-component stand-ins: creating
// them, calling them late-bound or through their vtables, the fixture of a
// steered service, reading ADO record sets through their vtables, and error
// objects.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <wrl/client.h>
#include <gtest/gtest.h>

#include <string>

#include "ado.h"
#include "test_support.h"
#include "unique_bstr.h"
#include "unique_variant.h"
#include "variant_values.h"

namespace services_test {

using Microsoft::WRL::ComPtr;

// An in-process object of the class registered under a ProgID, asked for I.
template <typename I>
HRESULT CreateByProgId(const wchar_t* prog_id, I** object) {
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(prog_id, &clsid);
    if (FAILED(hr)) return hr;
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, __uuidof(I), reinterpret_cast<void**>(object));
}

// The method at a vtable position, to be called the way Ambrelle calls it.
template <typename Fn>
Fn Slot(IUnknown* object, int position) {
    return reinterpret_cast<Fn>((*reinterpret_cast<void***>(object))[position]);
}

// What one late-bound method call left behind.
struct CallOutcome {
    HRESULT hr = E_UNEXPECTED;
    ambrelle::UniqueVariant result;
    HRESULT scode = S_OK;
    std::wstring source;
    std::wstring description;
    UINT arg_err = 12345;
};

// A service called late-bound, as Ambrelle calls it, and the steering class
// of its stand-in, both created by ProgID; the steering is reset before and
// after each test.
template <typename Steering>
class SteeredServiceTest : public ::testing::Test {
protected:
    SteeredServiceTest(const wchar_t* service_prog_id, const wchar_t* steering_prog_id)
        : service_prog_id_(service_prog_id), steering_prog_id_(steering_prog_id) {}

    void SetUp() override {
        ASSERT_EQ(S_OK, CreateSteering());
        ASSERT_EQ(S_OK, steering_->Reset());
        ASSERT_EQ(S_OK, CreateService());
    }

    void TearDown() override {
        if (steering_) steering_->Reset();
    }

    HRESULT CreateService() { return CreateByProgId(service_prog_id_, service_.ReleaseAndGetAddressOf()); }
    HRESULT CreateSteering() { return CreateByProgId(steering_prog_id_, steering_.ReleaseAndGetAddressOf()); }

    DISPID IdOf(const wchar_t* member) {
        DISPID id = DISPID_UNKNOWN;
        LPOLESTR name = const_cast<LPOLESTR>(member);
        EXPECT_EQ(S_OK, service_->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id)) << member;
        return id;
    }

    // Invokes a method of the service with positional arguments (the last
    // one first), with or without an EXCEPINFO for the callee to fill.
    CallOutcome Invoke(DISPID member, VARIANT* args, UINT count, bool with_excepinfo = true) {
        CallOutcome outcome;
        DISPPARAMS params = {args, nullptr, count, 0};
        EXCEPINFO excep = {};
        V_VT(outcome.result.ptr()) = VT_ERROR;  // proves the result is written
        outcome.hr = service_->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                      outcome.result.ptr(), with_excepinfo ? &excep : nullptr, &outcome.arg_err);
        outcome.scode = excep.scode;
        outcome.source = excep.bstrSource ? excep.bstrSource : L"";
        outcome.description = excep.bstrDescription ? excep.bstrDescription : L"";
        SysFreeString(excep.bstrSource);
        SysFreeString(excep.bstrDescription);
        SysFreeString(excep.bstrHelpFile);
        return outcome;
    }

    const wchar_t* const service_prog_id_;
    const wchar_t* const steering_prog_id_;
    ambrelle_test::ComApartment apartment_;
    ComPtr<Steering> steering_;
    ComPtr<IDispatch> service_;
};

inline ComPtr<_ADORecordset> NewRecordset() {
    ComPtr<_ADORecordset> recordset;
    CreateByProgId(L"ADODB.Recordset", recordset.GetAddressOf());
    return recordset;
}

inline ComPtr<_ADORecordset> AsRecordset(IUnknown* object) {
    ComPtr<_ADORecordset> recordset;
    if (object) object->QueryInterface(__uuidof(_ADORecordset), reinterpret_cast<void**>(recordset.GetAddressOf()));
    return recordset;
}

inline LONG RecordCount(_ADORecordset* recordset) {
    ADO_LONGPTR count = -12345;
    if (FAILED(recordset->get_RecordCount(&count))) return -12345;
    return static_cast<LONG>(count);
}

inline LONG State(_ADORecordset* recordset) {
    LONG state = -1;
    if (FAILED(recordset->get_State(&state))) return -1;
    return state;
}

inline bool AtEnd(_ADORecordset* recordset) {
    VARIANT_BOOL eof = VARIANT_FALSE;
    recordset->get_EOF(&eof);
    return eof == VARIANT_TRUE;
}

// The current record's value of a field; VT_ERROR with the HRESULT when the field cannot be read.
inline ambrelle::UniqueVariant FieldValue(_ADORecordset* recordset, const wchar_t* name) {
    ambrelle::UniqueVariant value;
    ComPtr<ADOFields> fields;
    ComPtr<ADOField> field;
    ambrelle::UniqueVariant index;
    V_VT(index.ptr()) = VT_BSTR;
    V_BSTR(index.ptr()) = SysAllocString(name);
    HRESULT hr = recordset->get_Fields(&fields);
    if (SUCCEEDED(hr)) hr = fields->get_Item(index.get(), &field);
    if (SUCCEEDED(hr)) hr = field->get_Value(value.put());
    if (FAILED(hr)) {
        V_VT(value.put()) = VT_ERROR;
        V_ERROR(value.ptr()) = hr;
    }
    return value;
}

inline std::wstring TextOf(const VARIANT& value) {
    if (V_VT(&value) != VT_BSTR) return L"<vt " + std::to_wstring(V_VT(&value)) + L">";
    return std::wstring(V_BSTR(&value) ? V_BSTR(&value) : L"", SysStringLen(V_BSTR(&value)));
}

inline std::wstring FieldText(_ADORecordset* recordset, const wchar_t* name) {
    return TextOf(FieldValue(recordset, name).get());
}

inline double FieldNumber(_ADORecordset* recordset, const wchar_t* name) {
    ambrelle::UniqueVariant value = FieldValue(recordset, name);
    if (FAILED(VariantChangeType(value.ptr(), value.ptr(), 0, VT_R8))) return -1e300;
    return V_R8(value.ptr());
}

inline LONG FieldCount(_ADORecordset* recordset) {
    ComPtr<ADOFields> fields;
    long count = -1;
    if (SUCCEEDED(recordset->get_Fields(&fields))) fields->get_Count(&count);
    return count;
}

// A local time as a DATE.
inline DATE LocalDate(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0, WORD second = 0) {
    SYSTEMTIME time = {};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = hour;
    time.wMinute = minute;
    time.wSecond = second;
    DATE date = 0;
    SystemTimeToVariantTime(&time, &date);
    return date;
}

// Source and description of the thread's error object (taken, so it is cleared).
struct ErrorObject {
    bool present = false;
    std::wstring source;
    std::wstring description;
};

inline ErrorObject TakeErrorObject() {
    ErrorObject taken;
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, &info) != S_OK || !info) return taken;
    taken.present = true;
    ambrelle::UniqueBstr text;
    if (SUCCEEDED(info->GetSource(text.put()))) taken.source = text.c_str();
    if (SUCCEEDED(info->GetDescription(text.put()))) taken.description = text.c_str();
    return taken;
}

}  // namespace services_test
