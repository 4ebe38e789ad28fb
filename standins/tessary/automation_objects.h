// The grid's automation sub-objects: the sheet (row and column counts,
// refresh), a column (width) and a row (mark, colour). Each keeps its control
// alive and checks on every call that its column or row still exists.
#pragma once

#include <windows.h>
#include <ole2.h>

namespace tessary {

class TessaryControl;

HRESULT CreateSheetObject(TessaryControl* control, IDispatch** sheet);
// column: from 1. row: the row number, 1 being the header row.
HRESULT CreateColumnObject(TessaryControl* control, LONG column, IDispatch** object);
HRESULT CreateRowObject(TessaryControl* control, LONG row, IDispatch** object);

}  // namespace tessary
