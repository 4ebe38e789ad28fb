// Objects of the test's own that stand in for the outside services, as COM
// objects registered for their class in the test's apartment: a scripted
// automation object, a class override, record sets built by the test, and a
// record set that cannot count its records.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "ado.h"
#include "automation.h"
#include "unique_variant.h"

namespace ambrelle_test {

// An automation object of the test's own: each member, resolved by name, runs
// a handler given by the test. Lives on the test's stack (no counting).
class ScriptedDispatch final : public IDispatch {
public:
    using Handler = std::function<HRESULT(DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep)>;
    void On(const std::wstring& member, Handler handler) { members_.push_back({member, std::move(handler)}); }

    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        *object = riid == IID_IUnknown || riid == IID_IDispatch ? static_cast<IDispatch*>(this) : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* ids) override {
        for (size_t i = 0; i < members_.size(); ++i)
            if (_wcsicmp(members_[i].first.c_str(), names[0]) == 0) {
                ids[0] = static_cast<DISPID>(i + 1);
                return S_OK;
            }
        ids[0] = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep,
                        UINT*) override {
        const size_t index = id == DISPID_VALUE ? 1 : static_cast<size_t>(id);  // the first member is the default
        if (index < 1 || index > members_.size()) return DISP_E_MEMBERNOTFOUND;
        return members_[index - 1].second(params, result, excep);
    }

private:
    std::vector<std::pair<std::wstring, Handler>> members_;
};

// IDispatch of a wrapper of the test's around a component's object of
// `Interface`: answered by the wrapped object, `real_`.
template <typename Interface>
class ForwardedDispatch : public Interface {
public:
    STDMETHODIMP GetTypeInfoCount(UINT* count) override { return real_->GetTypeInfoCount(count); }
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override {
        return real_->GetTypeInfo(index, lcid, info);
    }
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override {
        return real_->GetIDsOfNames(riid, names, count, lcid, ids);
    }
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, UINT* arg) override {
        return real_->Invoke(id, riid, lcid, flags, params, result, excep, arg);
    }

protected:
    ForwardedDispatch() = default;
    explicit ForwardedDispatch(Interface* real) : real_(real) {}
    Microsoft::WRL::ComPtr<Interface> real_;
};

// A class object of the test's, registered for a class in the calling
// apartment from Register until it goes, so that creating that class reaches
// its CreateInstance. It lives on the test's stack or heap, not by references.
class RegisteredClassObject : public IClassFactory {
public:
    RegisteredClassObject(const RegisteredClassObject&) = delete;
    RegisteredClassObject& operator=(const RegisteredClassObject&) = delete;
    bool registered() const { return cookie_ != 0; }
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
        *object = riid == IID_IUnknown || riid == IID_IClassFactory ? static_cast<IClassFactory*>(this) : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }

protected:
    RegisteredClassObject() = default;
    ~RegisteredClassObject() {
        if (cookie_) CoRevokeClassObject(cookie_);
    }
    void Register(const CLSID& clsid) {
        CoRegisterClassObject(clsid, this, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_);
    }

private:
    DWORD cookie_ = 0;
};

// Registers `object` for the class of `prog_id` in the calling apartment while
// it lives, so that creating that class gives the test's object.
class ClassOverride final : public RegisteredClassObject {
public:
    ClassOverride(const wchar_t* prog_id, IDispatch* object) : object_(object) {
        CLSID clsid;
        if (SUCCEEDED(CLSIDFromProgID(prog_id, &clsid))) Register(clsid);
    }
    STDMETHODIMP CreateInstance(IUnknown*, REFIID riid, void** object) override {
        return object_->QueryInterface(riid, object);
    }

private:
    IDispatch* object_;
};

// A record set made by the test, late-bound: FID and the two quantities, one record per pair.
inline Microsoft::WRL::ComPtr<IDispatch> RecordsOf(std::initializer_list<std::pair<double, double>> quantities) {
    Microsoft::WRL::ComPtr<IDispatch> records = CreateByProgId(L"ADODB.Recordset");
    if (!records) return nullptr;
    ambrelle::UniqueVariant fields;
    CallByName(records.Get(), L"Fields", DISPATCH_PROPERTYGET, {}, fields.ptr());
    const std::pair<const wchar_t*, LONG> definitions[] = {{L"FID", 3},    {L"FReqQty", 5}, {L"FValidateQty", 5},
                                                            {L"FQtyDecimal", 3}};
    for (const auto& [name, type] : definitions)
        Call(V_DISPATCH(fields.ptr()), L"Append", {Text(name), Long(type)});
    Call(records.Get(), L"Open");
    for (const auto& [requested, confirmed] : quantities) {
        Call(records.Get(), L"AddNew");
        CallByName(records.Get(), L"Collect", DISPATCH_PROPERTYPUT, {Text(L"FID"), Long(1)}, nullptr);
        CallByName(records.Get(), L"Collect", DISPATCH_PROPERTYPUT, {Text(L"FReqQty"), Double(requested)}, nullptr);
        CallByName(records.Get(), L"Collect", DISPATCH_PROPERTYPUT, {Text(L"FValidateQty"), Double(confirmed)},
                   nullptr);
        CallByName(records.Get(), L"Collect", DISPATCH_PROPERTYPUT, {Text(L"FQtyDecimal"), Long(2)}, nullptr);
    }
    if (quantities.size()) Call(records.Get(), L"MoveFirst");
    return records;
}

// A record set made by the test field by field: each record holds these values.
struct FieldValue {
    std::wstring name;
    LONG type;      // ADO data type
    VARIANT value;  // VT_EMPTY: the field is left as AddNew made it
};

inline Microsoft::WRL::ComPtr<IDispatch> RecordsWith(const std::vector<FieldValue>& fields, int records) {
    Microsoft::WRL::ComPtr<IDispatch> set = CreateByProgId(L"ADODB.Recordset");
    if (!set) return nullptr;
    ambrelle::UniqueVariant field_list;
    CallByName(set.Get(), L"Fields", DISPATCH_PROPERTYGET, {}, field_list.ptr());
    for (const FieldValue& field : fields)
        Call(V_DISPATCH(field_list.ptr()), L"Append", {Text(field.name), Long(field.type), Long(0), Long(adFldIsNullable)});
    Call(set.Get(), L"Open");
    for (int record = 0; record < records; ++record) {
        Call(set.Get(), L"AddNew");
        for (const FieldValue& field : fields) {
            if (V_VT(&field.value) == VT_EMPTY) continue;
            EXPECT_EQ(S_OK, CallByName(set.Get(), L"Collect", DISPATCH_PROPERTYPUT, {Text(field.name), field.value},
                                       nullptr))
                << "the test's record set takes the value of " << std::string(field.name.begin(), field.name.end());
        }
    }
    if (records) Call(set.Get(), L"MoveFirst");
    return set;
}

// The fields of `base` with those of `changed` in place of the ones of the same name.
inline std::vector<FieldValue> Changed(std::vector<FieldValue> base, const std::vector<FieldValue>& changed) {
    for (const FieldValue& change : changed) {
        bool found = false;
        for (FieldValue& field : base)
            if (field.name == change.name) {
                field = change;
                found = true;
            }
        if (!found) base.push_back(change);
    }
    return base;
}

// `records` confirmation records of sensible values, with some fields changed.
inline Microsoft::WRL::ComPtr<IDispatch> Confirmations(int records, const std::vector<FieldValue>& changed = {}) {
    const Text number(L"01"), name(L"名称"), model(L"型号"), aux(L"属性"), validater(L"确认人"), be_val(L"被确认"),
        br(L"确认");
    return RecordsWith(Changed({{L"FID", adInteger, Long(1001)},
                                {L"FNumber", adBSTR, number},
                                {L"FName", adBSTR, name},
                                {L"FModel", adBSTR, model},
                                {L"FAuxPropName", adBSTR, aux},
                                {L"FReqQty", adDouble, Double(1234.25)},
                                {L"FValidateQty", adDouble, Double(1000)},
                                {L"FValidater", adBSTR, validater},
                                {L"FBeValBrName", adBSTR, be_val},
                                {L"FBrName", adBSTR, br},
                                {L"FValDate", adDate, ambrelle::DateValue(45356.5)},
                                {L"FDeliveryDate", adDate, ambrelle::DateValue(45363)},
                                {L"FQtyDecimal", adInteger, Long(2)}},
                               changed),
                       records);
}

// What a recording bill-information service saw of one QueryValidate call.
struct SeenQuery {
    Microsoft::WRL::ComPtr<IDispatch> records;  // the object passed as the record set
    LONG fid = -1;
    LONG kind = -1;
};

// The test's own bill-information service, registered for Quistral.IBillInfo
// in the calling apartment while it lives: it records each QueryValidate call
// into `seen`, puts `deliver` (if set) into the record-set argument, answers
// `answer`, and leaves `left_behind` (if set) on the thread as its error object.
struct OwnBillService {
    explicit OwnBillService(Microsoft::WRL::ComPtr<IDispatch> records = nullptr, VARIANT reply = Bool(true),
                            IErrorInfo* left = nullptr)
        : deliver(records), answer(reply), left_behind(left) {
        bill.On(L"QueryValidate", [this](DISPPARAMS* params, VARIANT* result, EXCEPINFO*) {
            if (params->cArgs != 4 || V_VT(&params->rgvarg[2]) != (VT_BYREF | VT_DISPATCH)) return DISP_E_TYPEMISMATCH;
            SeenQuery query;
            query.records = *V_DISPATCHREF(&params->rgvarg[2]);
            query.fid = *V_I4REF(&params->rgvarg[1]);
            query.kind = *V_I4REF(&params->rgvarg[0]);
            seen.push_back(query);
            if (deliver) {
                IDispatch*& slot = *V_DISPATCHREF(&params->rgvarg[2]);
                if (slot) slot->Release();
                slot = deliver.Get();
                slot->AddRef();
            }
            if (result) VariantCopy(result, &answer);
            if (left_behind) SetErrorInfo(0, left_behind.Get());
            return S_OK;
        });
        EXPECT_TRUE(registered.registered());
    }
    std::vector<SeenQuery> seen;
    Microsoft::WRL::ComPtr<IDispatch> deliver;
    VARIANT answer;
    Microsoft::WRL::ComPtr<IErrorInfo> left_behind;
    ScriptedDispatch bill;
    ClassOverride registered{L"Quistral.IBillInfo", &bill};
};

// An automation object whose default value (DISPID_VALUE) is `value`.
struct DefaultValueObject {
    explicit DefaultValueObject(VARIANT value) {
        object.On(L"Value",
                  [value](DISPPARAMS*, VARIANT* result, EXCEPINFO*) mutable { return VariantCopy(result, &value); });
    }
    ScriptedDispatch object;
};

inline VARIANT ObjectValue(IDispatch* object) {
    VARIANT v;
    V_VT(&v) = VT_DISPATCH;
    V_DISPATCH(&v) = object;
    return v;
}

// The vtable slot of a virtual method (the Itanium C++ ABI that g++ uses
// stores 1 + the slot's byte offset in a pointer to a virtual member).
template <typename Method>
inline size_t VtableSlot(Method method) {
    struct {
        uintptr_t pointer;
        ptrdiff_t adjustment;
    } raw;
    static_assert(sizeof(raw) == sizeof(method), "a pointer to member of the Itanium ABI");
    memcpy(&raw, &method, sizeof(raw));
    return (raw.pointer - 1) / sizeof(void*);
}

using CountMethod = HRESULT(STDMETHODCALLTYPE*)(_ADORecordset*, ADO_LONGPTR*);

// As record sets that cannot count their records.
inline HRESULT STDMETHODCALLTYPE CountUnknown(_ADORecordset*, ADO_LONGPTR* count) {
    *count = -1;
    return S_OK;
}

// A failure that leaves no error of its own on the thread.
inline HRESULT STDMETHODCALLTYPE CountFails(_ADORecordset*, ADO_LONGPTR*) { return E_FAIL; }

// Makes one record set answer RecordCount through `count` (-1 by default, as
// record sets that cannot count their records): its vtable is replaced by a
// copy whose RecordCount slot is `count`.
class CountlessRecordset {
public:
    explicit CountlessRecordset(IDispatch* records, CountMethod count = &CountUnknown) {
        if (FAILED(records->QueryInterface(IID_PPV_ARGS(&records_)))) return;
        void** original = *reinterpret_cast<void***>(records_.Get());
        table_.assign(original, original + VtableSlot(&_ADORecordset::Save) + 1);
        table_[VtableSlot(&_ADORecordset::get_RecordCount)] = reinterpret_cast<void*>(count);
        original_ = original;
        *reinterpret_cast<void***>(records_.Get()) = table_.data();
    }
    ~CountlessRecordset() {
        if (original_) *reinterpret_cast<void***>(records_.Get()) = original_;
    }

private:
    Microsoft::WRL::ComPtr<_ADORecordset> records_;
    std::vector<void*> table_;
    void** original_ = nullptr;
};

}  // namespace ambrelle_test
