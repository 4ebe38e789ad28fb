// The identifiers of our Tessary grid control beside what every container
// relies on (tessary.h): its class, type library and event interface, and the
// dispatch ids of its events.
//
// The tests build the control a second time with TESSARY_OTHER_IDENTITY, under
// the same ProgID but with identifiers of its own (another class, library,
// interfaces and event interface, and every event's dispatch id shifted), as
// another build of the real control would have: a container that works with
// both relies on nothing but the ProgID and the event's position.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "tessary.h"
#include "tessary_lib.h"

namespace tessary {

#ifdef TESSARY_OTHER_IDENTITY
inline constexpr DISPID kEventDispidShift = 100;
inline constexpr wchar_t kFileName[] = L"TessaryOther.ocx";
#else
inline constexpr DISPID kEventDispidShift = 0;
inline constexpr wchar_t kFileName[] = L"Tessary.ocx";
#endif

// Type library "TESSARYLib", version 1.0, embedded in the control as TYPELIB 1.
inline const GUID& LIBID_TESSARYLib = ::LIBID_TESSARYLib;
inline constexpr WORD kLibVersionMajor = 1;
inline constexpr WORD kLibVersionMinor = 0;
inline const CLSID& CLSID_Tessary = ::CLSID_Tessary;
inline constexpr wchar_t kVersionedProgId[] = L"TESSARYLib.Tessary.1";
// The control's default interface and its sub-objects (dual interfaces).
inline const IID& IID_Control = ::IID_ITessary;
inline const IID& IID_Sheet = ::IID_ITessarySheet;
inline const IID& IID_Column = ::IID_ITessaryColumn;
inline const IID& IID_Row = ::IID_ITessaryRow;
// The event dispinterface (_DTessaryEvents).
inline const IID& DIID_Events = ::DIID__DTessaryEvents;

// The events, positions 0 to 9 of the event dispinterface.
enum EventDispid : DISPID {
    kDispidClick = 1 + kEventDispidShift,
    kDispidDblClick = 2 + kEventDispidShift,
    kDispidKeyDown = 3 + kEventDispidShift,    // (short* KeyCode, short Shift); KeyCode set to 0 cancels the key
    kDispidKeyPress = 4 + kEventDispidShift,   // (short* KeyAscii); KeyAscii set to 0 cancels the character
    kDispidKeyUp = 5 + kEventDispidShift,      // (short* KeyCode, short Shift)
    kDispidMouseDown = 6 + kEventDispidShift,  // (short Button, short Shift, float X, float Y), X and Y in twips
    kDispidMouseMove = 7 + kEventDispidShift,  // likewise
    kDispidMouseUp = 8 + kEventDispidShift,    // likewise
    kDispidSelChange = 9 + kEventDispidShift,  // ()
    // The row-text request, at position 9 (tessary.h).
    kDispidRowTextRequest = 10 + kEventDispidShift,
};

// The grid's own window.
inline constexpr wchar_t kWindowClass[] = L"TessaryGrid";
// Registered window message: sent (not posted) in-process to the grid's window,
// it returns the control's IDispatch*, AddRef'd, as the LRESULT (0 on failure).
inline constexpr wchar_t kGetDispatchMessage[] = L"Tessary.GetDispatch";
// WM_GETTEXTLENGTH / WM_GETTEXT on the grid's window give the rows on screen,
// header included: one line per row, the cells of columns 1 to the column count
// separated by "\t", lines separated by "\r\n" (no line break after the last).

}  // namespace tessary
