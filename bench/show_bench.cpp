// Time from `show` to the first painted result window, for bills of growing
// size, split into the bill service's own fill of the record set and the
// component's share; and a page down with repaint in the grid. Each figure is
// the median of several runs; a one-record bill, measured in the same run, is
// the reference (window creation is its floor).
//
// Usage: show_bench [--runs N] [--row-text-requests N] [--kind K] [COUNT...]   (default counts
// 1000 100000, 2000 row-text requests a show, kinds 0 and 1)
// Run under the project's Wine prefix with the stand-ins registered.
#include <windows.h>
#include <ole2.h>
#include <ocidl.h>
#include <wrl/client.h>

#include <algorithm>
#include <iterator>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "ado.h"
#include "bill_info.h"
#include "share_props.h"
#include "tessary_identity.h"
#include "rejection_set.h"
#include "unique_bstr.h"
#include "unique_variant.h"
#include "value_tools.h"
#include "variant_values.h"
#include "bench_support.h"

using Microsoft::WRL::ComPtr;
using ambrelle::UniqueBstr;
using ambrelle::UniqueVariant;
using ambrelle::BstrRefValue;
using ambrelle::DateValue;
using ambrelle::DispatchRefValue;
using ambrelle::DoubleValue;
using ambrelle::LongRefValue;
using ambrelle::LongValue;
using ambrelle::NewText;

namespace {

using bench::Call;
using bench::CreateByProgId;
using bench::Median;
using bench::Now;

constexpr wchar_t kSessionString[] = L"Data Source=BENCH;UserName=bench";
constexpr wchar_t kWindowClass[] = L"AmbrelleFrmValidateQuery";

// The bill service serves `count` generated records for every bill.
HRESULT ServeGeneratedRows(LONG count) {
    ComPtr<IDispatch> steering;
    HRESULT hr = CreateByProgId(L"Quistral.IBillInfo.Steering", &steering);
    if (FAILED(hr)) return hr;
    VARIANT arg = LongValue(count);
    return Call(steering.Get(), L"ServeGeneratedRows", DISPATCH_METHOD, &arg, 1, nullptr);
}

HRESULT ServeSampleData() {
    ComPtr<IDispatch> steering;
    HRESULT hr = CreateByProgId(L"Quistral.IBillInfo.Steering", &steering);
    return SUCCEEDED(hr) ? Call(steering.Get(), L"ServeSampleData", DISPATCH_METHOD, nullptr, 0, nullptr) : hr;
}

// The service's own share: QueryValidate into a new record set, kept in
// `filled`.
HRESULT TimeServiceFill(LONG kind, double* seconds, ComPtr<_ADORecordset>* filled) {
    ComPtr<IDispatch> bill;
    HRESULT hr = CreateByProgId(ambrelle::bill_info::kProgId, &bill);
    if (FAILED(hr)) return hr;
    ComPtr<IDispatch> records;
    hr = CreateByProgId(L"ADODB.Recordset", &records);
    if (FAILED(hr)) return hr;
    LONG fid = 1;
    IDispatch* record_variable = records.Detach();
    VARIANT args[4] = {LongRefValue(&kind), LongRefValue(&fid), DispatchRefValue(&record_variable),
                       NewText(kSessionString)};
    UniqueVariant result;
    const double started = Now();
    hr = Call(bill.Get(), L"QueryValidate", DISPATCH_METHOD, args, 4, result.ptr());
    *seconds = Now() - started;
    SysFreeString(V_BSTR(&args[3]));
    if (record_variable) {
        if (SUCCEEDED(hr)) hr = record_variable->QueryInterface(IID_PPV_ARGS(filled->ReleaseAndGetAddressOf()));
        record_variable->Release();
    }
    return hr;
}

// What the window's answers to row-text requests cost, and the VarFormat
// calls those rows made, a mean for each request.
struct RowTextCost {
    double seconds = 0;
    double quantity_calls = 0;
    double date_calls = 0;
};

// What the host sees of one show: the time until the grid's first paint has
// completed, and the cost of a page down with repaint.
struct ShowTiming {
    double started = 0;
    double painted = 0;
    double page_down[3] = {};  // at the top, in the middle, near the end
    LONG kind = 0;
    RowTextCost row_text;        // one row's text, rows spread over the whole set
    RowTextCost row_text_paged;  // the same, rows a page at a time as the grid paints them
    double outside_calls = 0;    // the outside calls of a row, made directly
    _ADORecordset* records = nullptr;  // the service's record set of the same bill
    bool saw_paint = false;
};
ShowTiming* g_timing = nullptr;
HHOOK g_hook = nullptr;
// Row-text requests timed per show (more for a profile of them alone).
int g_row_text_requests = 2000;

constexpr int kPages = 10;

// The mean time of a page down with its repaint, over kPages pages.
double TimePageDowns(HWND grid) {
    const double started = Now();
    for (int i = 0; i < kPages; ++i) {
        SendMessageW(grid, WM_VSCROLL, MAKEWPARAM(SB_PAGEDOWN, 0), 0);
        UpdateWindow(grid);
    }
    return (Now() - started) / kPages;
}

// Drags the scroll box to `position` and lets the grid repaint (not timed).
void ScrollTo(HWND grid, int position) {
    SetScrollPos(grid, SB_VERT, position, FALSE);
    SendMessageW(grid, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0), 0);
    UpdateWindow(grid);
}

// Rows a grid page holds, for requests made a page at a time.
constexpr LONG kRowsPerPage = 30;

// The grid control of the grid window.
ComPtr<IDispatch> GridControlOf(HWND grid) {
    auto* control = reinterpret_cast<IDispatch*>(
        SendMessageW(grid, RegisterWindowMessageW(tessary::kGetDispatchMessage), 0, 0));
    if (!control) return nullptr;
    ComPtr<IDispatch> owned(control);  // takes its own reference
    control->Release();
    return owned;
}

// The event sink the window advised on the grid.
ComPtr<IDispatch> WindowSink(HWND grid) {
    ComPtr<IDispatch> owned = GridControlOf(grid);
    if (!owned) return nullptr;
    ComPtr<IConnectionPointContainer> container;
    ComPtr<IConnectionPoint> point;
    ComPtr<IEnumConnections> connections;
    CONNECTDATA connection = {};
    if (FAILED(owned.As(&container)) || FAILED(container->FindConnectionPoint(tessary::DIID_Events, &point)) ||
        FAILED(point->EnumConnections(&connections)) || connections->Next(1, &connection, nullptr) != S_OK)
        return nullptr;
    ComPtr<IDispatch> sink;
    connection.pUnk->QueryInterface(IID_PPV_ARGS(&sink));
    connection.pUnk->Release();
    return sink;
}

// The window's answer to the grid's request for the text of `row`.
BSTR RequestRowText(IDispatch* sink, LONG row) {
    BSTR text = nullptr;
    LONG color = 0, reserved = 0;
    // In reverse: reserved, colour, text, row.
    VARIANT args[4] = {LongRefValue(&reserved), LongRefValue(&color), BstrRefValue(&text), LongValue(row)};
    DISPPARAMS params = {args, nullptr, 4, 0};
    sink->Invoke(tessary::kDispidRowTextRequest, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                 nullptr, nullptr);
    return text;
}

// Counts the VarFormat calls behind a row's text from its cells: a quantity
// or a date cell that is not empty was formatted (a confirmation row has its
// quantities in cells 5 and 6 and its dates in 10 and 11, a rejection line its
// date in cell 1; a continuation line has none).
void CountFormatCalls(LONG kind, const wchar_t* text, RowTextCost* cost) {
    std::vector<std::wstring> cells(1);
    for (const wchar_t* at = text ? text : L""; *at; ++at) {
        if (*at == L'|')
            cells.emplace_back();
        else
            cells.back() += *at;
    }
    auto filled = [&](size_t cell) { return cell < cells.size() && !cells[cell].empty() ? 1.0 : 0.0; };
    if (kind == 1) {
        cost->date_calls += filled(1);
    } else {
        cost->quantity_calls += filled(5) + filled(6);
        cost->date_calls += filled(10) + filled(11);
    }
}

// The window's answers to the grid's row-text requests, through the event
// sink: the mean over rows spread over the whole set, each far from the one
// before (every record read from memory not yet in the caches), or, `paged`,
// over pages of consecutive rows that start at such spread places (as the grid
// asks when it paints a page). The rows' texts are then asked for again,
// untimed, to count the VarFormat calls they make.
RowTextCost TimeRowTexts(HWND grid, LONG kind, bool paged) {
    RowTextCost cost;
    ComPtr<IDispatch> sink = WindowSink(grid);
    SCROLLINFO info = {sizeof(info), SIF_RANGE, 0, 0, 0, 0, 0};
    if (!sink || !GetScrollInfo(grid, SB_VERT, &info)) return cost;
    const LONG rows = std::max(1, info.nMax);
    const int requests = g_row_text_requests;
    std::vector<LONG> asked(static_cast<size_t>(requests));
    for (int i = 0; i < requests; ++i) {
        const long long spread = paged ? static_cast<long long>(i / kRowsPerPage) * kRowsPerPage * 7919 + i % kRowsPerPage
                                       : static_cast<long long>(i) * 7919;
        asked[static_cast<size_t>(i)] = 2 + static_cast<LONG>(spread % rows);
    }
    const double started = Now();
    for (LONG row : asked) SysFreeString(RequestRowText(sink.Get(), row));
    cost.seconds = (Now() - started) / requests;
    for (LONG row : asked) {
        BSTR text = RequestRowText(sink.Get(), row);
        CountFormatCalls(kind, text, &cost);
        SysFreeString(text);
    }
    cost.quantity_calls /= requests;
    cost.date_calls /= requests;
    return cost;
}

// The platform's VarFormat calls a row text makes, each timed on its own: a
// quantity with its pattern and a date.
struct FormatCallCost {
    double quantity = 0;
    double date = 0;
};

FormatCallCost TimeFormatCalls() {
    VARIANT quantity = DoubleValue(1234.25);
    VARIANT date = DateValue(45123.5);
    constexpr int kCalls = 4000;
    auto time = [&](VARIANT* value, const wchar_t* pattern) {
        const double started = Now();
        for (int i = 0; i < kCalls; ++i) {
            BSTR text = nullptr;
            VarFormat(value, const_cast<LPOLESTR>(pattern), 0, 0, 0, &text);
            SysFreeString(text);
        }
        return (Now() - started) / kCalls;
    };
    return {time(&quantity, L"##,#0.00"), time(&date, L"yyyy-mm-dd")};
}

// The floor of the row texts: the VarFormat calls they made.
double FloorOf(const RowTextCost& rows, const FormatCallCost& calls) {
    return rows.quantity_calls * calls.quantity + rows.date_calls * calls.date;
}

// The outside calls behind the text of one row, made here directly: the
// grid's sheet and its row count, the record set positioned as the window
// positions it (Move from the first record, EOF, BOF), every field the row
// shows read as the window reads it (Value of the sequence text; Value of a
// date, and VarFormat when it is not null; ValueOrDefault with the empty text
// of a text or quantity, and VarFormat of a quantity), the value of FID and,
// where it is 0, the grid's row object and its mark, and a new string of the
// row's length handed back. They run on a record set of the same records as
// the window's (for kind 1 the service's rejections cut into lines by the
// component's own rebuild), rows a page at a time from spread places: what the
// window's answer costs at the least, whatever it does itself.
// kId: FID's value, and where it is 0 the mark of the record's grid row.
enum class Read { kValue, kDate, kText, kQuantity, kId };
struct ShownField {
    const wchar_t* name;
    Read read;
};
constexpr ShownField kConfirmationRow[] = {
    {L"FQtyDecimal", Read::kValue}, {L"FNumber", Read::kText},          {L"FName", Read::kText},
    {L"FModel", Read::kText},       {L"FAuxPropName", Read::kText},     {L"FReqQty", Read::kQuantity},
    {L"FValidateQty", Read::kQuantity}, {L"FValidater", Read::kText},   {L"FBeValBrName", Read::kText},
    {L"FBrName", Read::kText},      {L"FValDate", Read::kDate},         {L"FDeliveryDate", Read::kDate},
    {L"FID", Read::kId}};
constexpr ShownField kRejectionRow[] = {{L"FSort", Read::kValue},     {L"FValDate", Read::kDate},
                                        {L"FRejectDesc", Read::kText}, {L"FBeBrName", Read::kText},
                                        {L"FBrName", Read::kText},     {L"FID", Read::kId}};

double TimeOutsideCallsOfRows(HWND grid, LONG kind, _ADORecordset* records) {
    ComPtr<IDispatch> owned = GridControlOf(grid);
    if (!owned || !records) return 0;
    ComPtr<IValueTools> tools;
    if (FAILED(CoCreateInstance(CLSID_ValueTools, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&tools)))) return 0;
    const ShownField* shown = kind == 1 ? kRejectionRow : kConfirmationRow;
    const size_t shown_count = kind == 1 ? std::size(kRejectionRow) : std::size(kConfirmationRow);
    ComPtr<ADOFields> fields;
    if (FAILED(records->get_Fields(&fields))) return 0;
    std::vector<ComPtr<ADOField>> row_fields(shown_count);
    for (size_t i = 0; i < shown_count; ++i) {
        VARIANT name = NewText(shown[i].name);
        const HRESULT hr = fields->get_Item(name, &row_fields[i]);
        SysFreeString(V_BSTR(&name));
        if (FAILED(hr)) return 0;
    }
    ADO_LONGPTR record_count = 0;
    if (FAILED(records->get_RecordCount(&record_count)) || record_count < 1) return 0;
    UniqueBstr empty(L"", 0);
    const int requests = g_row_text_requests;
    const double started = Now();
    for (int i = 0; i < requests; ++i) {
        const long long spread = static_cast<long long>(i / kRowsPerPage) * kRowsPerPage * 7919 + i % kRowsPerPage;
        UniqueVariant sheet, rows;
        DISPPARAMS none = {nullptr, nullptr, 0, 0};
        owned->Invoke(tessary::kDispidSheet, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, sheet.ptr(),
                      nullptr, nullptr);
        if (sheet.vt() == VT_DISPATCH)
            V_DISPATCH(sheet.ptr())->Invoke(tessary::kDispidSheetRows, IID_NULL, LOCALE_USER_DEFAULT,
                                            DISPATCH_PROPERTYGET, &none, rows.ptr(), nullptr, nullptr);
        VARIANT first = LongValue(adBookmarkFirst);
        VARIANT_BOOL at = VARIANT_FALSE;
        const long long record = spread % record_count;
        records->Move(static_cast<ADO_LONGPTR>(record), first);
        records->get_EOF(&at);
        records->get_BOF(&at);
        auto format = [](VARIANT* value, const wchar_t* pattern) {
            BSTR text = nullptr;
            VarFormat(value, const_cast<LPOLESTR>(pattern), 0, 0, 0, &text);
            SysFreeString(text);
        };
        for (size_t f = 0; f < shown_count; ++f) {
            UniqueVariant value;
            if (shown[f].read == Read::kValue || shown[f].read == Read::kDate || shown[f].read == Read::kId) {
                row_fields[f]->get_Value(value.ptr());
                if (shown[f].read == Read::kDate && value.vt() != VT_NULL) format(value.ptr(), L"yyyy-mm-dd");
                if (shown[f].read == Read::kId && value.vt() == VT_I4 && V_I4(value.ptr()) == 0) {
                    // The record's grid row is record + 2; the row object's index is one less.
                    UniqueVariant row_object;
                    VARIANT index = LongValue(static_cast<LONG>(record + 1));
                    DISPPARAMS by_index = {&index, nullptr, 1, 0};
                    owned->Invoke(tessary::kDispidRow, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET,
                                  &by_index, row_object.ptr(), nullptr, nullptr);
                    VARIANT mark = ambrelle::BoolValue(true);
                    DISPID named = DISPID_PROPERTYPUT;
                    DISPPARAMS put = {&mark, &named, 1, 1};
                    if (row_object.vt() == VT_DISPATCH)
                        V_DISPATCH(row_object.ptr())->Invoke(tessary::kDispidRowMark, IID_NULL, LOCALE_USER_DEFAULT,
                                                             DISPATCH_PROPERTYPUT, &put, nullptr, nullptr, nullptr);
                }
                continue;
            }
            VARIANT field;
            V_VT(&field) = VT_DISPATCH;
            V_DISPATCH(&field) = row_fields[f].Get();
            VARIANT default_text;
            V_VT(&default_text) = VT_BSTR;
            V_BSTR(&default_text) = empty.get();
            tools->ValueOrDefault(&field, &default_text, value.ptr());
            if (shown[f].read == Read::kQuantity) format(value.ptr(), L"##,#0.00");
        }
        SysFreeString(SysAllocStringLen(nullptr, kind == 1 ? 40 : 100));
    }
    return (Now() - started) / requests;
}

void MeasurePageDownAndClose(HWND form) {
    HWND grid = FindWindowExW(form, nullptr, tessary::kWindowClass, nullptr);
    if (grid) {
        g_timing->row_text = TimeRowTexts(grid, g_timing->kind, false);
        g_timing->row_text_paged = TimeRowTexts(grid, g_timing->kind, true);
        g_timing->outside_calls = TimeOutsideCallsOfRows(grid, g_timing->kind, g_timing->records);
        g_timing->page_down[0] = TimePageDowns(grid);
        SCROLLINFO info = {sizeof(info), SIF_RANGE | SIF_PAGE, 0, 0, 0, 0, 0};
        if (GetScrollInfo(grid, SB_VERT, &info)) {
            ScrollTo(grid, info.nMax / 2);
            g_timing->page_down[1] = TimePageDowns(grid);
            const int page = std::max<int>(1, static_cast<int>(info.nPage));
            ScrollTo(grid, std::max(0, info.nMax - (kPages + 1) * page));
            g_timing->page_down[2] = TimePageDowns(grid);
        }
    }
    PostMessageW(form, WM_CLOSE, 0, 0);
}

// Watches the messages the modal loop takes: the grid's first WM_PAINT is
// followed by a message of our own, so the next retrieval comes right after
// the paint has been done.
LRESULT CALLBACK WatchMessages(int code, WPARAM wparam, LPARAM lparam) {
    auto* message = reinterpret_cast<MSG*>(lparam);
    if (code == HC_ACTION && wparam == PM_REMOVE && g_timing && message) {
        static const UINT painted_message = RegisterWindowMessageW(L"AmbrelleBench.Painted");
        wchar_t name[64] = {};
        if (message->message == WM_PAINT && !g_timing->saw_paint && message->hwnd &&
            GetClassNameW(message->hwnd, name, 64) && wcscmp(name, tessary::kWindowClass) == 0) {
            g_timing->saw_paint = true;
            PostMessageW(GetParent(message->hwnd), painted_message, 0, 0);
        } else if (message->message == painted_message && g_timing->painted == 0) {
            g_timing->painted = Now();
            MeasurePageDownAndClose(message->hwnd);
        }
    }
    return CallNextHookEx(g_hook, code, wparam, lparam);
}

// `records`: the same records as the window's, for the outside calls of its rows.
HRESULT TimeShow(LONG kind, _ADORecordset* records, ShowTiming* timing) {
    ComPtr<IDispatch> validate;
    HRESULT hr = bench::NewQuery(1, kind, &validate);
    if (FAILED(hr)) return hr;
    *timing = ShowTiming();
    timing->kind = kind;
    timing->records = records;
    g_timing = timing;
    g_hook = SetWindowsHookExW(WH_GETMESSAGE, WatchMessages, nullptr, GetCurrentThreadId());
    UniqueVariant shown;
    timing->started = Now();
    hr = Call(validate.Get(), L"show", DISPATCH_METHOD, nullptr, 0, shown.ptr());
    UnhookWindowsHookEx(g_hook);
    g_timing = nullptr;
    if (SUCCEEDED(hr) && timing->painted == 0) hr = E_FAIL;
    return hr;
}

struct Row {
    LONG kind;
    LONG count;
    double fill = 0, total = 0, page_down[3] = {}, row_text = 0, row_text_paged = 0, row_floor = 0,
           row_floor_paged = 0, outside_calls = 0;
};

HRESULT Measure(Row* row, int runs) {
    HRESULT hr = ServeGeneratedRows(row->count);
    if (FAILED(hr)) return hr;
    std::vector<double> fills, totals, pages[3], row_texts, paged_row_texts, row_floors, paged_row_floors,
        outside_calls;
    for (int run = 0; run < runs; ++run) {
        double fill = 0;
        ComPtr<_ADORecordset> filled;
        hr = TimeServiceFill(row->kind, &fill, &filled);
        if (SUCCEEDED(hr) && row->kind == 1) {
            // The rejections as the window shows them: cut into lines.
            ComPtr<_ADORecordset> lines;
            hr = ambrelle::BuildRejectionSet(filled.Get(), &lines);
            filled = lines;
        }
        if (FAILED(hr)) return hr;
        ShowTiming timing;
        hr = TimeShow(row->kind, filled.Get(), &timing);
        if (FAILED(hr)) return hr;
        fills.push_back(fill);
        totals.push_back(timing.painted - timing.started);
        for (int at = 0; at < 3; ++at) pages[at].push_back(timing.page_down[at]);
        row_texts.push_back(timing.row_text.seconds);
        paged_row_texts.push_back(timing.row_text_paged.seconds);
        const FormatCallCost calls = TimeFormatCalls();
        row_floors.push_back(FloorOf(timing.row_text, calls));
        paged_row_floors.push_back(FloorOf(timing.row_text_paged, calls));
        outside_calls.push_back(timing.outside_calls);
    }
    row->fill = Median(fills);
    row->total = Median(totals);
    for (int at = 0; at < 3; ++at) row->page_down[at] = Median(pages[at]);
    row->row_text = Median(row_texts);
    row->row_text_paged = Median(paged_row_texts);
    row->row_floor = Median(row_floors);
    row->row_floor_paged = Median(paged_row_floors);
    row->outside_calls = Median(outside_calls);
    return S_OK;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    int runs = 3;
    std::vector<LONG> counts;
    std::vector<LONG> kinds;
    for (int i = 1; i < argc; ++i) {
        if (wcscmp(argv[i], L"--runs") == 0 && i + 1 < argc)
            runs = std::max(1, _wtoi(argv[++i]));
        else if (wcscmp(argv[i], L"--row-text-requests") == 0 && i + 1 < argc)
            g_row_text_requests = std::max(1, _wtoi(argv[++i]));
        else if (wcscmp(argv[i], L"--kind") == 0 && i + 1 < argc)
            kinds.push_back(_wtol(argv[++i]));
        else
            counts.push_back(_wtol(argv[i]));
    }
    if (counts.empty()) counts = {1000, 100000};
    if (kinds.empty()) kinds = {0, 1};
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    int exit_code = 0;
    if (FAILED(bench::PublishSessionString(kSessionString))) {
        fwprintf(stderr, L"publishing the session string failed\n");
        exit_code = 1;
    }
    std::vector<Row> rows;
    for (LONG kind : kinds) {
        rows.push_back({kind, 1});
        for (LONG count : counts) rows.push_back({kind, count});
    }
    wprintf(L"show to the first painted window (median of %d runs)\n", runs);
    wprintf(L"kind  records   total ms  service fill ms  component ms  vs 1 record ms  page down ms: top  middle  end"
            L"  row text us: spread  paged  their VarFormat us: spread  paged  their outside calls us: paged\n");
    double reference = 0;
    for (Row& row : rows) {
        if (exit_code) break;
        HRESULT hr = Measure(&row, runs);
        if (FAILED(hr)) {
            fwprintf(stderr, L"kind %ld, %ld records: failed 0x%08lX\n", row.kind, row.count,
                     static_cast<unsigned long>(hr));
            exit_code = 1;
            break;
        }
        if (row.count == 1) reference = row.total;
        wprintf(L"%4ld %8ld %10.1f %16.1f %13.1f %15.1f %18.2f %7.2f %5.2f %20.2f %6.2f %26.2f %6.2f %30.2f\n", row.kind,
                row.count, row.total * 1000, row.fill * 1000, (row.total - row.fill) * 1000,
                (row.total - reference) * 1000, row.page_down[0] * 1000, row.page_down[1] * 1000,
                row.page_down[2] * 1000, row.row_text * 1e6, row.row_text_paged * 1e6, row.row_floor * 1e6,
                row.row_floor_paged * 1e6, row.outside_calls * 1e6);
    }
    ServeSampleData();
    CoUninitialize();
    return exit_code;
}
