// The grid control TESSARYLib.Tessary ("Tessary.ocx") as Ambrelle sees it: an
// outside ActiveX control that holds no cell data and asks its container for
// the text of every row it displays.
//
// The window drives it through IDispatch with the dispatch ids below; the
// control raises its events on the event dispinterface through
// IConnectionPointContainer (advise on DIID_Events).
#pragma once

#include <windows.h>
#include <ole2.h>

namespace tessary {

// Type library "TESSARYLib", version 1.0, embedded in Tessary.ocx as TYPELIB 1.
// {7206B154-AEEA-4714-9D68-C66785990071}
inline constexpr GUID LIBID_TESSARYLib = {0x7206B154, 0xAEEA, 0x4714, {0x9D, 0x68, 0xC6, 0x67, 0x85, 0x99, 0x00, 0x71}};
inline constexpr WORD kLibVersionMajor = 1;
inline constexpr WORD kLibVersionMinor = 0;

// The control class. {F8EDF3B6-D853-4E8A-9F56-3FFA6E7B3E66}
inline constexpr CLSID CLSID_Tessary = {0xF8EDF3B6, 0xD853, 0x4E8A, {0x9F, 0x56, 0x3F, 0xFA, 0x6E, 0x7B, 0x3E, 0x66}};
inline constexpr wchar_t kProgId[] = L"TESSARYLib.Tessary";
inline constexpr wchar_t kVersionedProgId[] = L"TESSARYLib.Tessary.1";
inline constexpr wchar_t kFileName[] = L"Tessary.ocx";

// The control's default interface (dual, ITessary). {3E4364D5-1D5C-4AF5-B28A-08CBD102E050}
inline constexpr IID IID_Control = {0x3E4364D5, 0x1D5C, 0x4AF5, {0xB2, 0x8A, 0x08, 0xCB, 0xD1, 0x02, 0xE0, 0x50}};
// The event dispinterface (_DTessaryEvents). {E5A40891-6FA6-443D-8EBE-47E6E3201EAE}
inline constexpr IID DIID_Events = {0xE5A40891, 0x6FA6, 0x443D, {0x8E, 0xBE, 0x47, 0xE6, 0xE3, 0x20, 0x1E, 0xAE}};
// The sub-objects (dual interfaces ITessarySheet, ITessaryColumn, ITessaryRow).
// {11E0142F-AA29-41E6-8E6B-D632AD1F0512}
inline constexpr IID IID_Sheet = {0x11E0142F, 0xAA29, 0x41E6, {0x8E, 0x6B, 0xD6, 0x32, 0xAD, 0x1F, 0x05, 0x12}};
// {377874DF-86B9-4737-A81F-8CA9D652E827}
inline constexpr IID IID_Column = {0x377874DF, 0x86B9, 0x4737, {0xA8, 0x1F, 0x8C, 0xA9, 0xD6, 0x52, 0xE8, 0x27}};
// {C412CE50-506F-4EB3-84AD-70995A7015DA}
inline constexpr IID IID_Row = {0xC412CE50, 0x506F, 0x4EB3, {0x84, 0xAD, 0x70, 0x99, 0x5A, 0x70, 0x15, 0xDA}};

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

// Events, positions 0 to 9 of the event dispinterface, with these dispatch ids.
enum EventDispid : DISPID {
    kDispidClick = 1,
    kDispidDblClick = 2,
    kDispidKeyDown = 3,     // (short* KeyCode, short Shift); KeyCode set to 0 cancels the key
    kDispidKeyPress = 4,    // (short* KeyAscii); KeyAscii set to 0 cancels the character
    kDispidKeyUp = 5,       // (short* KeyCode, short Shift)
    kDispidMouseDown = 6,   // (short Button, short Shift, float X, float Y), X and Y in twips
    kDispidMouseMove = 7,   // likewise
    kDispidMouseUp = 8,     // likewise
    kDispidSelChange = 9,   // ()
    // (long Row, BSTR* Text, long* Color, long* Reserved), position 9.
    // Row: by value, 1 is the header row. Text: handed in as an empty string;
    // the handler sets it: the row's cells, each followed by "|". Color: handed
    // in with the grid's default background for the row, the handler may change
    // it (a Windows COLORREF, red in the low byte). Reserved: handed in as 0,
    // not read back. In DISPPARAMS the arguments stand in reverse order, Row
    // last (rgvarg[3]). A handler that fails leaves the row empty.
    kDispidRowTextRequest = 10,
};
inline constexpr UINT kRowTextRequestArgCount = 4;

// The grid's own window.
inline constexpr wchar_t kWindowClass[] = L"TessaryGrid";
// Registered window message: sent (not posted) in-process to the grid's window,
// it returns the control's IDispatch*, AddRef'd, as the LRESULT (0 on failure).
inline constexpr wchar_t kGetDispatchMessage[] = L"Tessary.GetDispatch";
// WM_GETTEXTLENGTH / WM_GETTEXT on the grid's window give the rows on screen,
// header included: one line per row, the cells of columns 1 to the column count
// separated by "\t", lines separated by "\r\n" (no line break after the last).

}  // namespace tessary
