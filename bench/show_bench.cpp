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
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "ado.h"
#include "bill_info.h"
#include "share_props.h"
#include "tessary.h"
#include "unique_bstr.h"
#include "unique_variant.h"
#include "bench_support.h"

using Microsoft::WRL::ComPtr;
using ambrelle::UniqueBstr;
using ambrelle::UniqueVariant;

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
    VARIANT arg;
    V_VT(&arg) = VT_I4;
    V_I4(&arg) = count;
    return Call(steering.Get(), L"ServeGeneratedRows", DISPATCH_METHOD, &arg, 1, nullptr);
}

HRESULT ServeSampleData() {
    ComPtr<IDispatch> steering;
    HRESULT hr = CreateByProgId(L"Quistral.IBillInfo.Steering", &steering);
    return SUCCEEDED(hr) ? Call(steering.Get(), L"ServeSampleData", DISPATCH_METHOD, nullptr, 0, nullptr) : hr;
}

// The service's own share: QueryValidate into a new record set.
HRESULT TimeServiceFill(LONG kind, double* seconds) {
    ComPtr<IDispatch> bill;
    HRESULT hr = CreateByProgId(ambrelle::bill_info::kProgId, &bill);
    if (FAILED(hr)) return hr;
    ComPtr<IDispatch> records;
    hr = CreateByProgId(L"ADODB.Recordset", &records);
    if (FAILED(hr)) return hr;
    LONG fid = 1;
    IDispatch* record_variable = records.Detach();
    VARIANT args[4];
    V_VT(&args[0]) = VT_BYREF | VT_I4;
    V_I4REF(&args[0]) = &kind;
    V_VT(&args[1]) = VT_BYREF | VT_I4;
    V_I4REF(&args[1]) = &fid;
    V_VT(&args[2]) = VT_BYREF | VT_DISPATCH;
    V_DISPATCHREF(&args[2]) = &record_variable;
    V_VT(&args[3]) = VT_BSTR;
    V_BSTR(&args[3]) = SysAllocString(kSessionString);
    UniqueVariant result;
    const double started = Now();
    hr = Call(bill.Get(), L"QueryValidate", DISPATCH_METHOD, args, 4, result.ptr());
    *seconds = Now() - started;
    SysFreeString(V_BSTR(&args[3]));
    if (record_variable) record_variable->Release();
    return hr;
}

// What the host sees of one show: the time until the grid's first paint has
// completed, and the cost of a page down with repaint.
struct ShowTiming {
    double started = 0;
    double painted = 0;
    double page_down[3] = {};  // at the top, in the middle, near the end
    double row_text = 0;       // one row's text, rows spread over the whole set
    double row_text_paged = 0;  // the same, rows a page at a time as the grid paints them
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

// The window's answer to the grid's request for a row's text, through the
// event sink the window advised on the grid: the mean over rows spread over
// the whole set, each far from the one before (every record read from memory
// not yet in the caches), or, `paged`, over pages of consecutive rows that
// start at such spread places (as the grid asks when it paints a page).
double TimeRowTexts(HWND grid, bool paged) {
    auto* control = reinterpret_cast<IDispatch*>(
        SendMessageW(grid, RegisterWindowMessageW(tessary::kGetDispatchMessage), 0, 0));
    if (!control) return 0;
    ComPtr<IDispatch> owned(control);  // takes its own reference
    control->Release();
    ComPtr<IConnectionPointContainer> container;
    ComPtr<IConnectionPoint> point;
    ComPtr<IEnumConnections> connections;
    CONNECTDATA connection = {};
    if (FAILED(owned.As(&container)) || FAILED(container->FindConnectionPoint(tessary::DIID_Events, &point)) ||
        FAILED(point->EnumConnections(&connections)) || connections->Next(1, &connection, nullptr) != S_OK)
        return 0;
    ComPtr<IDispatch> sink;
    connection.pUnk->QueryInterface(IID_PPV_ARGS(&sink));
    connection.pUnk->Release();
    SCROLLINFO info = {sizeof(info), SIF_RANGE, 0, 0, 0, 0, 0};
    if (!sink || !GetScrollInfo(grid, SB_VERT, &info)) return 0;
    const LONG rows = std::max(1, info.nMax);
    const int requests = g_row_text_requests;
    const double started = Now();
    for (int i = 0; i < requests; ++i) {
        BSTR text = nullptr;
        LONG color = 0, reserved = 0;
        VARIANT args[4];  // in reverse: reserved, colour, text, row
        V_VT(&args[0]) = VT_BYREF | VT_I4;
        V_I4REF(&args[0]) = &reserved;
        V_VT(&args[1]) = VT_BYREF | VT_I4;
        V_I4REF(&args[1]) = &color;
        V_VT(&args[2]) = VT_BYREF | VT_BSTR;
        V_BSTRREF(&args[2]) = &text;
        V_VT(&args[3]) = VT_I4;
        const long long spread = paged ? static_cast<long long>(i / kRowsPerPage) * kRowsPerPage * 7919 + i % kRowsPerPage
                                       : static_cast<long long>(i) * 7919;
        V_I4(&args[3]) = 2 + static_cast<LONG>(spread % rows);
        DISPPARAMS params = {args, nullptr, 4, 0};
        sink->Invoke(tessary::kDispidRowTextRequest, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                     nullptr, nullptr, nullptr);
        SysFreeString(text);
    }
    return (Now() - started) / requests;
}

// The floor of a row's text: the platform's VarFormat calls the row makes (a
// confirmation row two quantities and two dates, a rejection line one date).
double TimeRowFormats(LONG kind) {
    VARIANT quantity, date;
    V_VT(&quantity) = VT_R8;
    V_R8(&quantity) = 1234.25;
    V_VT(&date) = VT_DATE;
    V_DATE(&date) = 45123.5;
    constexpr int kRows = 2000;
    const double started = Now();
    for (int i = 0; i < kRows; ++i) {
        for (int call = 0; call < (kind == 1 ? 0 : 2); ++call) {
            BSTR text = nullptr;
            VarFormat(&quantity, const_cast<LPOLESTR>(L"##,#0.00"), 0, 0, 0, &text);
            SysFreeString(text);
        }
        for (int call = 0; call < (kind == 1 ? 1 : 2); ++call) {
            BSTR text = nullptr;
            VarFormat(&date, const_cast<LPOLESTR>(L"yyyy-mm-dd"), 0, 0, 0, &text);
            SysFreeString(text);
        }
    }
    return (Now() - started) / kRows;
}

void MeasurePageDownAndClose(HWND form) {
    HWND grid = FindWindowExW(form, nullptr, tessary::kWindowClass, nullptr);
    if (grid) {
        g_timing->row_text = TimeRowTexts(grid, false);
        g_timing->row_text_paged = TimeRowTexts(grid, true);
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

HRESULT TimeShow(LONG kind, ShowTiming* timing) {
    ComPtr<IDispatch> validate;
    HRESULT hr = bench::NewQuery(1, kind, &validate);
    if (FAILED(hr)) return hr;
    *timing = ShowTiming();
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
    double fill = 0, total = 0, page_down[3] = {}, row_text = 0, row_text_paged = 0, row_floor = 0;
};

HRESULT Measure(Row* row, int runs) {
    HRESULT hr = ServeGeneratedRows(row->count);
    if (FAILED(hr)) return hr;
    std::vector<double> fills, totals, pages[3], row_texts, paged_row_texts, row_floors;
    for (int run = 0; run < runs; ++run) {
        double fill = 0;
        hr = TimeServiceFill(row->kind, &fill);
        if (FAILED(hr)) return hr;
        ShowTiming timing;
        hr = TimeShow(row->kind, &timing);
        if (FAILED(hr)) return hr;
        fills.push_back(fill);
        totals.push_back(timing.painted - timing.started);
        for (int at = 0; at < 3; ++at) pages[at].push_back(timing.page_down[at]);
        row_texts.push_back(timing.row_text);
        paged_row_texts.push_back(timing.row_text_paged);
        row_floors.push_back(TimeRowFormats(row->kind));
    }
    row->fill = Median(fills);
    row->total = Median(totals);
    for (int at = 0; at < 3; ++at) row->page_down[at] = Median(pages[at]);
    row->row_text = Median(row_texts);
    row->row_text_paged = Median(paged_row_texts);
    row->row_floor = Median(row_floors);
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
            L"  row text us: spread  paged  its VarFormat us\n");
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
        wprintf(L"%4ld %8ld %10.1f %16.1f %13.1f %15.1f %18.2f %7.2f %5.2f %20.2f %6.2f %17.2f\n", row.kind,
                row.count, row.total * 1000, row.fill * 1000, (row.total - row.fill) * 1000,
                (row.total - reference) * 1000, row.page_down[0] * 1000, row.page_down[1] * 1000,
                row.page_down[2] * 1000, row.row_text * 1e6, row.row_text_paged * 1e6, row.row_floor * 1e6);
    }
    ServeSampleData();
    CoUninitialize();
    return exit_code;
}
