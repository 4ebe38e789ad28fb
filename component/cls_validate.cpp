#include "cls_validate.h"

#include "apartment_watch.h"
#include "bill_info.h"
#include "com_error.h"
#include "frm_validate_query.h"
#include "late_binding.h"
#include "mmts.h"
#include "rejection_set.h"
#include "unique_variant.h"
#include "variant_values.h"
#include "vb_conversions.h"

using Microsoft::WRL::ComPtr;

namespace ambrelle {

// {EE0605B6-F646-48D0-9FEC-8C698758F75F}
const IID IID_ClsValidate_v0 = {0xEE0605B6, 0xF646, 0x48D0, {0x9F, 0xEC, 0x8C, 0x69, 0x87, 0x58, 0xF7, 0x5F}};

namespace {
constexpr wchar_t kSource[] = L"Ambrelle.ClsValidate";
}

HRESULT ClsValidate::Create(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    ComPtr<_ADORecordset> records;
    HRESULT hr = CoCreateInstance(CLSID_Recordset, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&records));
    if (FAILED(hr)) return hr;
    ClsValidate* created = new (std::nothrow) ClsValidate();
    if (created) created->validate_rs_ = records;
    return CreateAndQuery(created, riid, object);
}

STDMETHODIMP ClsValidate::put_FID(LONG* value) {
    if (!value) return E_POINTER;
    fid_ = *value;
    return S_OK;
}

STDMETHODIMP ClsValidate::put_QueryClass(LONG* value) {
    if (!value) return E_POINTER;
    query_class_ = *value;
    return S_OK;
}

STDMETHODIMP ClsValidate::show(VARIANT_BOOL* result) {
    if (!result) return E_POINTER;
    *result = VARIANT_FALSE;
    SetErrorInfo(0, nullptr);
    // Every failure reaches the host with a number, a source and a description.
    return DescribedFailure(Show(result));
}

HRESULT ClsValidate::Show(VARIANT_BOOL* result) {
    // A show that reaches the thread while its window is open (a timer, a
    // posted message, a call dispatched by the modal loop) leaves that window
    // and everything it shows alone.
    if (FrmValidateQuery::IsShownOnThisThread()) return RaiseAutomationError(kFormAlreadyShown);

    ComPtr<IDispatch> bill_info;
    HRESULT hr = CreateObjectByProgId(bill_info::kProgId, &bill_info);
    if (FAILED(hr)) return hr;

    UniqueVariant answer;
    hr = QueryValidate(bill_info.Get(), answer.ptr());
    if (FAILED(hr)) return hr;
    bool refused = false;
    hr = NotIsTrue(answer.get(), &refused);
    if (FAILED(hr)) return hr;
    bill_info.Reset();
    if (refused) return S_OK;

    hr = ShowWindow();
    if (FAILED(hr)) return hr;
    *result = VARIANT_TRUE;
    return S_OK;
}

// Asks the service for the records: the session string by value, then the
// record set, the bill id and the query kind by reference, so the service may
// replace the record set and rewrite the id and the kind.
HRESULT ClsValidate::QueryValidate(IDispatch* bill_info, VARIANT* result) {
    UniqueBstr props;
    HRESULT hr = GetPropsString(&props);
    if (FAILED(hr)) return hr;

    IDispatch* records = nullptr;
    if (validate_rs_) validate_rs_.CopyTo(IID_PPV_ARGS(&records));
    // Last argument first: the query kind, the bill, the record set, the session string.
    VARIANT args[bill_info::kQueryValidateArgCount] = {LongRefValue(&query_class_), LongRefValue(&fid_),
                                                       DispatchRefValue(&records), BorrowedText(props.get())};
    hr = CallByName(bill_info, bill_info::kQueryValidate, args, bill_info::kQueryValidateArgCount, result);
    ComPtr<IDispatch> returned(records);  // takes its own reference
    if (records) records->Release();
    if (FAILED(hr)) return hr;

    // Set ValidateRs = what the service left in the variable.
    ComPtr<_ADORecordset> taken;
    if (returned) {
        hr = returned.As(&taken);
        if (FAILED(hr))
            return RaiseAutomationError(kTypeMismatch);
    }
    validate_rs_ = taken;
    return S_OK;
}

HRESULT ClsValidate::ShowWindow() {
    const HRESULT hr = ShowThreadWindow();
    // With no watch on the thread's apartment, nothing kept for the thread
    // outlives the show.
    ReleaseUnwatchedThreadObjects();
    return hr;
}

HRESULT ClsValidate::ShowThreadWindow() {
    FrmValidateQuery* window = nullptr;
    HRESULT hr = FrmValidateQuery::DefaultInstance(&window);
    if (FAILED(hr)) return hr;
    LONG fid = fid_;
    LONG query_class = query_class_;
    window->PutFID(&fid);
    window->PutQueryClass(&query_class);

    if (query_class_ != bill_info::kOrderRejection) {
        window->PutRefQueryRs(validate_rs_.Get());
        return window->Show();
    }
    if (!validate_rs_) return RaiseObjectNotSet();
    ComPtr<_ADORecordset> lines;
    hr = BuildRejectionSet(validate_rs_.Get(), &lines);
    if (FAILED(hr)) return hr;
    window->PutRefQueryRs(lines.Get());
    hr = window->Show();
    if (FAILED(hr)) return hr;
    return lines->Close();
}

}  // namespace ambrelle
