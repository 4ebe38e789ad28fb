// Helpers shared by the tests of the outside-component stand-ins: reading
// ADO record sets through their vtables, and error objects.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <wrl/client.h>

#include <string>

#include "ado.h"
#include "unique_bstr.h"
#include "unique_variant.h"

namespace services_test {

using Microsoft::WRL::ComPtr;

inline ComPtr<_ADORecordset> NewRecordset() {
    ComPtr<_ADORecordset> recordset;
    CLSID clsid;
    if (SUCCEEDED(CLSIDFromProgID(L"ADODB.Recordset", &clsid)))
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, __uuidof(_ADORecordset),
                         reinterpret_cast<void**>(recordset.GetAddressOf()));
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
