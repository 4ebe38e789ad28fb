// loadLdg: the last step of loading the window. It computes the totals, gives
// the grid its row count and refreshes it; a failure on the way is shown in a
// warning box and the window opens all the same.
#include "frm_validate_query.h"

#include <climits>

#include "com_error.h"
#include "load_error_report.h"
#include "unique_variant.h"
#include "vb_conversions.h"

namespace ambrelle {

void FrmValidateQuery::loadLdg() {
    HRESULT hr = [this] {
        UniqueVariant ignored;
        HRESULT step = sumdata(ignored.ptr());
        if (FAILED(step)) return step;
        if (!QueryRs) return RaiseObjectNotSet();
        ADO_LONGPTR records = 0;
        step = QueryRs->get_RecordCount(&records);
        if (FAILED(step)) return step;
        // The header row, and for the confirmation kinds the totals row.
        const LONGLONG rows = static_cast<LONGLONG>(records) + (QueryClass == 0 || QueryClass == 2 ? 2 : 1);
        if (rows > LONG_MAX || rows < LONG_MIN)
            return RaiseComError(MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 6), GUID_NULL, kComponentSource,
                                 L"Overflow");
        step = LdgValidateQuery.PutRowCount(static_cast<LONG>(rows));
        if (FAILED(step)) return step;
        return LdgValidateQuery.Refresh();
    }();
    if (SUCCEEDED(hr)) return;
    const ComErrorDetails error = TakeComError(hr);
    ShowLoadErrorMessage(hwnd_, LoadErrorMessage(ErrorNumberOf(hr), error.source, error.description));
}

}  // namespace ambrelle
