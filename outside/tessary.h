// The grid control TESSARYLib.Tessary ("Tessary.ocx") as Ambrelle sees it: an
// outside ActiveX control that holds no cell data and asks its container for
// the text of every row it displays.
//
// The window drives it through IDispatch with the dispatch ids below; the
// control raises its events on its default source interface through
// IConnectionPointContainer.
#pragma once

#include <windows.h>
#include <ole2.h>

namespace tessary {

// The control is created from its ProgID; its class identifier, its event
// interface and the dispatch ids of its events are its own, read at run time
// from its type information.
inline constexpr wchar_t kProgId[] = L"TESSARYLib.Tessary";

// Dispatch ids of the control (ITessary).
enum ControlDispid : DISPID {
    // propget, no arguments: the sheet object (VT_DISPATCH).
    kDispidSheet = 2,
    // propget, one argument: the column number from 1 (VT_BYREF|VT_I4; VT_I4 and
    // VT_BYREF|VT_VARIANT are accepted too): the column object (VT_DISPATCH).
    kDispidColumn = 9,
    // propget, one argument: the row number minus 1 (VT_I4), 0 being the header
    // row: the row object (VT_DISPATCH).
    kDispidRow = 10,
};
// A number outside the grid fails: Invoke returns DISP_E_EXCEPTION with
// EXCEPINFO.scode DISP_E_BADINDEX and a description (IErrorInfo likewise).

// Dispatch ids of the sheet object (ITessarySheet).
enum SheetDispid : DISPID {
    // get/put, 32-bit (put as VT_I2 or VT_I4): rows, the header row 1 included.
    kDispidSheetRows = 1,
    // get/put, VT_I4: columns, numbered from 1.
    kDispidSheetCols = 2,
    // method, no arguments: asks again for the rows on screen.
    kDispidSheetRefresh = 15,
};

// Dispatch ids of the column object (ITessaryColumn).
enum ColumnDispid : DISPID {
    // get/put, a numeric VARIANT in twips (get gives VT_R4); a negative or
    // non-numeric value fails with CTL_E_INVALIDPROPERTYVALUE or DISP_E_TYPEMISMATCH.
    kDispidColumnWidth = 1,
};
inline constexpr float kDefaultColumnWidthTwips = 1200.0f;

// Dispatch ids of the row object (ITessaryRow).
enum RowDispid : DISPID {
    // get/put VT_BOOL: the row continues the row above and is shown as such.
    kDispidRowMark = 1,
    // get only, VT_I4: the colour (COLORREF) the last row-text request handed
    // back for the row; the grid's default background until then.
    kDispidRowBackColor = 2,
};

// The row-text request is the event at position 9 (from 0) of the control's
// default source interface: (long Row, BSTR* Text, long* Color, long*
// Reserved). Row: by value, 1 is the header row. Text: handed in as an empty
// string; the handler sets it: the row's cells, each followed by "|". Color:
// handed in with the grid's default background for the row, the handler may
// change it (a Windows COLORREF, red in the low byte). Reserved: not read
// back. In DISPPARAMS the arguments stand in reverse order, Row last
// (rgvarg[3]). A handler that fails leaves the row empty.
inline constexpr UINT kRowTextRequestPosition = 9;
inline constexpr UINT kRowTextRequestArgCount = 4;

}  // namespace tessary
