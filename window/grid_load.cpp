// loadLdg: the last step of loading the window. It computes the totals, gives
// the grid its row count and refreshes it; a failure on the way is shown in a
// warning box and the window opens all the same.
#include "frm_validate_query.h"

#include <climits>

#include "cell_format.h"
#include "com_error.h"
#include "load_error_report.h"
#include "unique_variant.h"
#include "vb_conversions.h"

namespace ambrelle {

namespace {

// A failure that left no error of its own on the thread gets one, so the
// report never shows an older error or an empty one.
HRESULT WithItsOwnError(HRESULT hr, const wchar_t* description) {
    if (SUCCEEDED(hr)) return hr;
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) == S_OK && info) {
        SetErrorInfo(0, info);
        info->Release();
        return hr;
    }
    return RaiseOwnError(hr, description);
}

}  // namespace

void FrmValidateQuery::loadLdg() {
    // Whatever an earlier step left on the thread is not this load's failure.
    SetErrorInfo(0, nullptr);
    HRESULT hr = [this] {
        UniqueVariant ignored;
        HRESULT step = WithItsOwnError(sumdata(ignored.ptr()), L"The totals cannot be computed.");
        if (FAILED(step)) return step;
        if (QueryClass == 0 || QueryClass == 2) {
            // The totals row must be able to show them.
            std::wstring total;
            step = FormatTotal(SumReqQty, &total);
            if (SUCCEEDED(step)) step = FormatTotal(SumValidateQty, &total);
            step = WithItsOwnError(step, L"The totals cannot be formatted.");
            if (FAILED(step)) return step;
        }
        if (!QueryRs) return RaiseObjectNotSet();
        ADO_LONGPTR records = 0;
        step = WithItsOwnError(QueryRs->get_RecordCount(&records), L"The record count cannot be read.");
        if (FAILED(step)) return step;
        // The header row, and for the confirmation kinds the totals row.
        const LONGLONG rows = static_cast<LONGLONG>(records) + (QueryClass == 0 || QueryClass == 2 ? 2 : 1);
        if (rows > LONG_MAX || rows < LONG_MIN) return RaiseAutomationError(kOverflow);
        step = WithItsOwnError(LdgValidateQuery.PutRowCount(static_cast<LONG>(rows)), L"The row count cannot be set.");
        if (FAILED(step)) return step;
        return WithItsOwnError(LdgValidateQuery.Refresh(), L"The grid cannot be refreshed.");
    }();
    if (SUCCEEDED(hr)) return;
    const ComErrorDetails error = TakeComError(hr);
    ShowLoadErrorMessage(hwnd_, LoadErrorMessage(ErrorNumberOf(hr), error.source, error.description));
}

}  // namespace ambrelle
