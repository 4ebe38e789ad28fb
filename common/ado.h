// The ADO 2.x interfaces (Recordset, Fields, Field) as the platform declares them.
// ADO 2.x servers answer only the 2.x interface IIDs, so these are the ones used.
#pragma once

#include <windows.h>
#include <windows.h>
#include <ole2.h>

#include "adoint_backcompat_cxx.h"

__CRT_UUID_DECL(_ADORecordset, 0x00000556, 0x0000, 0x0010, 0x80, 0x00, 0x00, 0xaa, 0x00, 0x6d, 0x2e, 0xa4)
__CRT_UUID_DECL(ADOFields, 0x00000564, 0x0000, 0x0010, 0x80, 0x00, 0x00, 0xaa, 0x00, 0x6d, 0x2e, 0xa4)
__CRT_UUID_DECL(ADOField, 0x00000569, 0x0000, 0x0010, 0x80, 0x00, 0x00, 0xaa, 0x00, 0x6d, 0x2e, 0xa4)

namespace ambrelle {
// ProgID of the platform's record set class.
constexpr wchar_t kRecordsetProgId[] = L"ADODB.Recordset";
}  // namespace ambrelle
