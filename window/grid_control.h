// The grid control LdgValidateQuery as the window drives it: through the
// dispatch ids of its sheet, column and row objects.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <wrl/client.h>

namespace ambrelle {

class GridControl {
public:
    GridControl() = default;
    explicit GridControl(IDispatch* control) : control_(control) {}

    // The sheet object: row count, column count, refresh.
    HRESULT Sheet(Microsoft::WRL::ComPtr<IDispatch>* sheet) const;
    HRESULT PutRowCount(LONG rows) const;
    HRESULT GetRowCount(LONG* rows) const;
    HRESULT PutColumnCount(LONG columns) const;
    HRESULT GetColumnCount(LONG* columns) const;
    HRESULT Refresh() const;
    // The width of column `column` (from 1), in the grid's unit.
    HRESULT GetColumnWidth(LONG column, VARIANT* width) const;
    HRESULT PutColumnWidth(LONG column, const VARIANT& width) const;
    // Marks the row with index `index` (grid row number minus 1).
    HRESULT MarkRow(LONG index) const;

private:
    HRESULT Column(LONG column, Microsoft::WRL::ComPtr<IDispatch>* object) const;
    Microsoft::WRL::ComPtr<IDispatch> control_;
};

}  // namespace ambrelle
