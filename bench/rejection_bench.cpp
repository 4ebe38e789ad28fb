// The rebuild of rejection reasons into lines of 30 characters: lines per
// second over a source of many records, beside the record set's own cost of
// the same lines (AddNew and six writes through Collect each, measured in the
// same run), which is the floor of the rebuild.
//
// Usage: rejection_bench [records]   (default 100000; run under the project's
// Wine prefix, where ADODB.Recordset is the stand-in)
#include <windows.h>
#include <ole2.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ado.h"
#include "bench_support.h"
#include "recordset_access.h"
#include "rejection_set.h"
#include "unique_bstr.h"
#include "unique_variant.h"
#include "variant_values.h"

using Microsoft::WRL::ComPtr;
using ambrelle::BorrowedText;
using ambrelle::UniqueBstr;
using ambrelle::UniqueVariant;

namespace {

constexpr int kRuns = 5;

using bench::Median;
using bench::Now;

HRESULT NewOpenSet(const std::vector<std::pair<const wchar_t*, DataTypeEnum>>& fields, ComPtr<_ADORecordset>* set) {
    HRESULT hr = CoCreateInstance(CLSID_Recordset, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(set->ReleaseAndGetAddressOf()));
    if (FAILED(hr)) return hr;
    ComPtr<ADOFields> appended;
    hr = (*set)->get_Fields(&appended);
    for (const auto& field : fields) {
        UniqueBstr name(field.first);
        if (SUCCEEDED(hr))
            hr = appended->Append(name.get(), field.second, field.second == adVarChar ? 255 : 0, adFldIsNullable,
                                  ambrelle::MissingArgument());
    }
    if (FAILED(hr)) return hr;
    return (*set)->Open(ambrelle::MissingArgument(), ambrelle::MissingArgument(), adOpenUnspecified,
                        adLockUnspecified, adCmdUnspecified);
}

// A source of `records` rejections, each reason 75 characters: three lines.
HRESULT NewSource(long records, ComPtr<_ADORecordset>* source) {
    HRESULT hr = NewOpenSet({{L"FID", adInteger}, {L"FValDate", adDate}, {L"FRejectDesc", adVarChar},
                             {L"FBeBrName", adVarChar}, {L"FBrName", adVarChar}},
                            source);
    UniqueBstr reason(std::wstring(75, L'数').c_str());
    UniqueBstr rejected(L"华南分公司");
    UniqueBstr rejecting(L"总部");
    VARIANT id, date;
    V_VT(&id) = VT_I4;
    V_VT(&date) = VT_DATE;
    for (long i = 0; SUCCEEDED(hr) && i < records; ++i) {
        V_I4(&id) = i;
        V_DATE(&date) = 45000 + i / 1000.0;
        hr = (*source)->AddNew(ambrelle::MissingArgument(), ambrelle::MissingArgument());
        if (SUCCEEDED(hr)) hr = ambrelle::PutCollect(source->Get(), L"FID", id);
        if (SUCCEEDED(hr)) hr = ambrelle::PutCollect(source->Get(), L"FValDate", date);
        if (SUCCEEDED(hr)) hr = ambrelle::PutCollect(source->Get(), L"FRejectDesc", BorrowedText(reason.get()));
        if (SUCCEEDED(hr)) hr = ambrelle::PutCollect(source->Get(), L"FBeBrName", BorrowedText(rejected.get()));
        if (SUCCEEDED(hr)) hr = ambrelle::PutCollect(source->Get(), L"FBrName", BorrowedText(rejecting.get()));
    }
    return SUCCEEDED(hr) ? (*source)->MoveFirst() : hr;
}

// The record set's own share: `lines` new lines of six fields written by name
// through Collect, with names and values made beforehand.
HRESULT TimeBareLines(long lines, double* seconds) {
    ComPtr<_ADORecordset> set;
    HRESULT hr = NewOpenSet({{L"FID", adInteger}, {L"FSort", adVarChar}, {L"FValDate", adDate},
                             {L"FRejectDesc", adVarChar}, {L"FBeBrName", adVarChar}, {L"FBrName", adVarChar}},
                            &set);
    if (FAILED(hr)) return hr;
    const wchar_t* names[] = {L"FID", L"FSort", L"FValDate", L"FRejectDesc", L"FBeBrName", L"FBrName"};
    std::vector<UniqueBstr> name_texts;
    for (const wchar_t* name : names) name_texts.emplace_back(name);
    UniqueBstr piece(std::wstring(30, L'数').c_str());
    UniqueBstr empty(L"");
    VARIANT zero, null;
    V_VT(&zero) = VT_I4;
    V_I4(&zero) = 0;
    V_VT(&null) = VT_NULL;
    const VARIANT values[] = {zero, BorrowedText(empty.get()), null, BorrowedText(piece.get()), BorrowedText(empty.get()), BorrowedText(empty.get())};
    const double started = Now();
    for (long i = 0; SUCCEEDED(hr) && i < lines; ++i) {
        hr = set->AddNew(ambrelle::MissingArgument(), ambrelle::MissingArgument());
        for (int f = 0; SUCCEEDED(hr) && f < 6; ++f) hr = set->put_Collect(BorrowedText(name_texts[f].get()), values[f]);
    }
    *seconds = Now() - started;
    return hr;
}

}  // namespace

int main(int argc, char** argv) {
    const long records = argc > 1 ? std::max(1L, std::atol(argv[1])) : 100000;
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    int exit_code = 0;
    {
        ComPtr<_ADORecordset> source;
        HRESULT hr = NewSource(records, &source);
        std::vector<double> rebuilds, bare;
        ADO_LONGPTR lines = 0;
        for (int run = 0; SUCCEEDED(hr) && run < kRuns; ++run) {
            ComPtr<_ADORecordset> built;
            const double started = Now();
            hr = ambrelle::BuildRejectionSet(source.Get(), built.GetAddressOf());
            rebuilds.push_back(Now() - started);
            if (SUCCEEDED(hr)) hr = built->get_RecordCount(&lines);
            double seconds = 0;
            if (SUCCEEDED(hr)) hr = TimeBareLines(static_cast<long>(lines), &seconds);
            bare.push_back(seconds);
        }
        if (FAILED(hr)) {
            fprintf(stderr, "rejection_bench failed: 0x%08lX\n", static_cast<unsigned long>(hr));
            exit_code = 1;
        } else {
            const double rebuild = Median(rebuilds);
            const double floor = Median(bare);
            printf("rejection rebuild (median of %d runs): %ld records, %lld lines\n", kRuns, records,
                   static_cast<long long>(lines));
            printf("  rebuild          %8.1f ms  %10.0f lines/s\n", rebuild * 1000, lines / rebuild);
            printf("  record set floor %8.1f ms  %10.0f lines/s (AddNew and six Collect writes a line)\n",
                   floor * 1000, lines / floor);
        }
    }
    CoUninitialize();
    return exit_code;
}
